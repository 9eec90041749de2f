// What the request window checks when a cell of one of its document grids is
// left, driven by keys on the real window: the length of each column and its
// message, the dates brought to dd/mm/yyyy and judged against a fixed today,
// the pedimento number, the payment date that defaults to today, the unit
// cost removed when too long, and the columns put in upper case as typed.
#include "window_harness.h"

#include "grids/bound_grid.h"

#include <QApplication>
#include <QLineEdit>

#include <tuple>

namespace {

const QDate kToday(2004, 6, 15);
const QString kFix = QStringLiteral(" Rectifica por favor");

// The texts of the length messages, by their place in the window's table.
const QString kLength[] = {
    QStringLiteral("El número de fracción no debe de exceder de 8 digitos."),
    QStringLiteral("La descripción del producto no debe de exceder de 30 letras."),
    QStringLiteral("La tasa advalorem no debe de exceder de 2 digitos."),
    QStringLiteral("El número de pedimento no debe de exceder de 11 digitos."),
    QStringLiteral("Ha escrito una fecha demasiado larga."),
    QStringLiteral("El precio unitario no debe de exceder de 12 digitos."),
    QStringLiteral("La cantidad no debe de exceder de 8 digitos."),
    QStringLiteral("El número que indica el valor no debe de exceder de 12 digitos."),
    QStringLiteral("El número de documento no debe de exceder de 12 digitos."),
    QStringLiteral("El exportador final no debe de exceder de 20 digitos."),
    QStringLiteral("El número que indica el monto no debe de exceder de 12 digitos."),
};
QString tooLong(int text) { return kLength[text] + kFix; }

const QString kFormat =
    QStringLiteral(" La fecha tiene un formato incorrecto, debe ser del tipo 01/01/2001. Rectifica por favor");
const QString kYear = QStringLiteral("El año que has introducido no es válido. Rectifica por favor");
const QString kMonth = QStringLiteral("El año sólo cuenta con 12 meses. Rectifica por favor");
const QString kLate = QStringLiteral(
    "La fecha introducida es posterior a la actual. Debe ser menor o igual al día de hoy. Rectifica por favor");
const QString kPedimento =
    QStringLiteral("La longitud del pedimento sólo puede ser de 15 números.  Rectifica por favor");
QString days(int n) { return QStringLiteral("El mes que has colocado sólo cuenta con %1 días. Rectifica por favor").arg(n); }

// A direct request of transformed goods with a complete unit cost, so that
// every tab may be visited.
RequestFixture::Records records()
{
    return {{"solicitu", {{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "O"}, {"TSOL", "N"}}}},
            {"insunit",
             {{{"FRACCION", "01020304"}, {"DESCRIP", "TUERCAS"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}}}},
            {"exporped", {{{"NO_PEDIMEN", "123456789012345"}}}}};
}

QString focused()
{
    QCoreApplication::processEvents();
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

} // namespace

class TestGridCellChecks : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHarness> h_; // one window for the tables of cases

    BoundGrid *show(WindowHarness &h, const QString &name, int tab)
    {
        h.window->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(h.window.get());
        h.tabs()->setCurrentIndex(tab);
        return h.get<BoundGrid>(name);
    }

    // Types into a cell of the first row as the user does and leaves it with
    // Tab. An empty text is typed and rubbed out, so that the cell is edited.
    static void typeInto(BoundGrid *g, int column, const QString &text)
    {
        g->setCurrentIndex(g->model()->index(0, column));
        g->setFocus();
        QCoreApplication::processEvents();
        const auto target = [g] { return QApplication::focusWidget() ? QApplication::focusWidget() : g; };
        for (const QChar c : text.isEmpty() ? QStringLiteral("1") : text)
            QTest::keyClick(target(), c.toLatin1());
        if (text.isEmpty())
            QTest::keyClick(target(), Qt::Key_Backspace);
        // Tab from the last column goes on to the next row, writing this one.
        QTest::keyClick(target(), column + 1 < g->ColumnsCount() ? Qt::Key_Tab : Qt::Key_Backtab);
        QCoreApplication::processEvents();
    }

    static void addColumns()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // what the cell holds afterwards
        QTest::addColumn<QStringList>("messages");
    }

    // Runs one row of a grid's table on the shared window, then drops the
    // row's typed texts so that the next case starts from the stored row.
    void runCase(const QString &name, int tab)
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QStringList, messages);
        BoundGrid *g = show(*h_, name, tab);
        QCOMPARE(h_->tabs()->currentIndex(), tab);
        MessageBox::clearShown();
        typeInto(g, column, typed);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        const QString cell = g->Columns(column).Value();
        QTest::keyClick(g, Qt::Key_Escape);
        QStringList texts;
        for (const MessageBox::Shown &s : shown)
            texts << s.text;
        QCOMPARE(texts, messages);
        for (const MessageBox::Shown &s : shown) {
            QCOMPARE(s.title, QStringLiteral("QUELVAR"));
            QCOMPARE(s.icon, MessageBox::Icon::Exclamation);
            QVERIFY(!s.question);
        }
        QCOMPARE(cell, kept);
    }

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
        h_ = std::make_unique<WindowHarness>();
        QVERIFY(h_->open(records()));
        h_->window->setToday(kToday);
        // Every tab and every imported-goods column within reach of the keys.
        h_->window->EstableceVisiblesTab(QStringLiteral("111111111"));
        h_->window->EstableceVisiblesDB(QStringLiteral("111111111111111"), h_->get<BoundGrid>("dbMI"));
    }
    void cleanupTestCase() { h_.reset(); }

    void unitCosts_data()
    {
        addColumns();
        const QString d31(31, u'D');
        QTest::newRow("fraction of 7") << 0 << "0102030" << "0102030"
                                       << QStringList{"La fracción debe ser de 8 dígitos. Rectifica por favor"};
        QTest::newRow("fraction of 9") << 0 << "010203040" << "010203040"
                                       << QStringList{"La fracción debe ser de 8 dígitos. Rectifica por favor"};
        QTest::newRow("fraction of 8") << 0 << "01020305" << "01020305" << QStringList{};
        QTest::newRow("description of 31") << 1 << d31 << d31 << QStringList{tooLong(1)};
        QTest::newRow("description of 30") << 1 << d31.left(30) << d31.left(30) << QStringList{};
        QTest::newRow("cost of 13, removed")
            << 2 << "1234567890123" << ""
            << QStringList{"El precio unitario no debe de exceder de 12 números. Rectifica por favor"};
        QTest::newRow("cost within") << 2 << "12.5" << "12.5" << QStringList{};
        QTest::newRow("cost of 10") << 2 << "1234567890" << "1234567890" << QStringList{};
        QTest::newRow("rate of 7") << 3 << "1234567" << "1234567" << QStringList{tooLong(2)};
        QTest::newRow("rate of 6") << 3 << "123456" << "123456" << QStringList{};
    }
    void unitCosts() { runCase("dbCU", 4); }

    void importedGoods_data()
    {
        addColumns();
        QTest::newRow("pedimento of 14") << 1 << "12345678901234" << "12345678901234" << QStringList{kPedimento};
        QTest::newRow("pedimento of 16") << 1 << "1234567890123456" << "1234567890123456" << QStringList{kPedimento};
        QTest::newRow("pedimento of 15") << 1 << "123456789012345" << "123456789012345" << QStringList{};
        QTest::newRow("empty date is today") << 2 << "" << "15/06/2004" << QStringList{};
        QTest::newRow("ddmmyy") << 2 << "010203" << "01/02/2003" << QStringList{};
        QTest::newRow("ddmmyy of 2002") << 2 << "010202" << "01/02/2002" << QStringList{kYear};
        QTest::newRow("tomorrow") << 2 << "16/06/2004" << "16/06/2004" << QStringList{kLate};
        QTest::newRow("date of 11") << 2 << "01/02/20034" << "01/02/20034" << QStringList{tooLong(4), kFormat};
        QTest::newRow("price of 13") << 5 << "1234567890123" << "1234567890123" << QStringList{tooLong(5)};
        QTest::newRow("price of 10") << 5 << "1234567890" << "1234567890" << QStringList{};
        QTest::newRow("quantity of 9") << 7 << "123456789" << "123456789" << QStringList{tooLong(6)};
        QTest::newRow("quantity of 8") << 7 << "12345678" << "12345678" << QStringList{};
        QTest::newRow("returned of 9") << 8 << "123456789" << "123456789" << QStringList{tooLong(6)};
        QTest::newRow("value of 20") << 9 << "12345678901234567890" << "12345678901234567890"
                                     << QStringList{tooLong(7)};
        QTest::newRow("value of 19") << 9 << "1234567890123456789" << "1234567890123456789" << QStringList{};
        QTest::newRow("incorporated of 20") << 10 << "12345678901234567890" << "12345678901234567890"
                                            << QStringList{tooLong(7)};
        QTest::newRow("key V1 typed in lower case") << 0 << "v1" << "" << QStringList{};
    }
    void importedGoods() { runCase("dbMI", 5); }

    void directExports_data()
    {
        addColumns();
        QTest::newRow("pedimento of 14") << 0 << "12345678901234" << "12345678901234" << QStringList{kPedimento};
        QTest::newRow("pedimento of 15") << 0 << "123456789012346" << "123456789012346" << QStringList{};
        QTest::newRow("ddmmyyyy") << 1 << "01022004" << "01/02/2004" << QStringList{};
        QTest::newRow("dd/mm/yy") << 1 << "31/04/04" << "31/04/2004" << QStringList{days(30)};
        QTest::newRow("month 13") << 1 << "01/13/2004" << "01/13/2004" << QStringList{kMonth};
        QTest::newRow("empty date") << 1 << "" << "" << QStringList{kFormat};
        QTest::newRow("date of 11") << 1 << "01/02/20041" << "01/02/20041" << QStringList{tooLong(4), kFormat};
        QTest::newRow("total of 9") << 3 << "123456789" << "123456789" << QStringList{tooLong(6)};
        QTest::newRow("used of 9") << 4 << "123456789" << "123456789" << QStringList{tooLong(6)};
        QTest::newRow("used of 8") << 4 << "12345678" << "12345678" << QStringList{};
        QTest::newRow("value of 12") << 5 << "123456789012" << "123456789012" << QStringList{};
        QTest::newRow("value of 13") << 5 << "1234567890123" << "1234567890123" << QStringList{tooLong(7)};
        QTest::newRow("used value of 13") << 6 << "1234567890123" << "1234567890123" << QStringList{tooLong(7)};
    }
    void directExports() { runCase("dbED", 6); }

    void indirectExports_data()
    {
        addColumns();
        QTest::newRow("document of 16") << 0 << "1234567890123456" << "1234567890123456" << QStringList{tooLong(8)};
        QTest::newRow("document of 15") << 0 << "123456789012345" << "123456789012345" << QStringList{};
        QTest::newRow("date 1/2/03") << 1 << "1/2/03" << "1/2/03" << QStringList{kFormat, kFormat};
        QTest::newRow("date of 9") << 1 << "1/02/2004" << "1/02/2004" << QStringList{kFormat};
        QTest::newRow("total of 9") << 2 << "123456789" << "123456789" << QStringList{tooLong(6)};
        QTest::newRow("used of 9") << 3 << "123456789" << "123456789" << QStringList{tooLong(6)};
        for (int column : {4, 5, 6, 7})
            QTest::newRow(qPrintable(QStringLiteral("value %1 of 13").arg(column)))
                << column << "1234567890123" << "1234567890123" << QStringList{tooLong(7)};
        QTest::newRow("value of 7") << 4 << "1000000" << "1000000" << QStringList{};
        QTest::newRow("exporter of 21") << 8 << "ABCDEFGHIJKLMNOPQRSTU" << "ABCDEFGHIJKLMNOPQRSTU"
                                        << QStringList{tooLong(9)};
        QTest::newRow("exporter of 20, lower case") << 8 << "abcdefghijklmnopqrst" << "ABCDEFGHIJKLMNOPQRST"
                                                    << QStringList{};
    }
    void indirectExports() { runCase("dbEI", 7); }

    void tlcanImports_data()
    {
        addColumns();
        QTest::newRow("fraction of 9") << 1 << "123456789" << "123456789" << QStringList{tooLong(0)};
        QTest::newRow("fraction of 8") << 1 << "12345678" << "12345678" << QStringList{};
        QTest::newRow("today") << 2 << "150604" << "15/06/2004" << QStringList{};
        QTest::newRow("two years ago") << 2 << "15/06/2002" << "15/06/2002" << QStringList{kYear};
        QTest::newRow("quantity of 9") << 3 << "123456789" << "123456789" << QStringList{tooLong(6)};
        QTest::newRow("price of 12") << 4 << "123456789012" << "123456789012" << QStringList{};
        QTest::newRow("price of 13") << 4 << "1234567890123" << "1234567890123" << QStringList{tooLong(5)};
        QTest::newRow("rate of 3") << 5 << "123" << "123" << QStringList{tooLong(2)};
        QTest::newRow("rate of 2") << 5 << "12" << "12" << QStringList{};
        QTest::newRow("amount of 7") << 7 << "1000000" << "1000000" << QStringList{};
        QTest::newRow("amount of 13") << 7 << "1234567890123" << "1234567890123" << QStringList{tooLong(10)};
    }
    void tlcanImports() { runCase("dbITLC", 8); }

    // A quantity returned that is too long is reported again when the total
    // value is committed beside it.
    void valueRechecksTheReturnedQuantity()
    {
        BoundGrid *g = show(*h_, "dbMI", 5);
        MessageBox::clearShown();
        typeInto(g, 8, "123456789");
        typeInto(g, 9, "5");
        QTest::keyClick(g, Qt::Key_Escape);
        QCOMPARE(MessageBox::shownTexts(), (QStringList{tooLong(6), tooLong(6)}));
    }

    void typingPutsUpperCase_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::newRow("unit cost description") << "dbCU" << 4 << 1 << "TUERCA";
        QTest::newRow("unit cost fraction, as typed") << "dbCU" << 4 << 0 << "tuerca";
        QTest::newRow("final exporter") << "dbEI" << 7 << 8 << "TUERCA";
        QTest::newRow("document, as typed") << "dbEI" << 7 << 0 << "tuerca";
    }
    void typingPutsUpperCase()
    {
        QFETCH(QString, grid);
        QFETCH(int, tab);
        QFETCH(int, column);
        QFETCH(QString, shown);
        BoundGrid *g = show(*h_, grid, tab);
        g->setCurrentIndex(g->model()->index(0, column));
        g->setFocus();
        QTest::keyClicks(g, "t"); // opens the cell
        QLineEdit *editor = g->cellEditor();
        QVERIFY(editor);
        QTest::keyClicks(editor, "uerca");
        QCOMPARE(editor->text(), shown);
        QCOMPARE(editor->cursorPosition(), 6);
        QTest::keyClick(editor, Qt::Key_Escape);
        QTest::keyClick(g, Qt::Key_Escape);
    }

    // A date complaint brings the focus back to the grid the user left; the
    // cell keeps its text, and the row is written when left all the same.
    void dateComplaintRefocusesTheGrid()
    {
        WindowHarness &h = *h_;
        BoundGrid *g = show(h, "dbED", 6);
        for (const auto &[typed, complaints, focus] :
             {std::tuple{QStringLiteral("16/06/2004"), QStringList{kLate}, QStringLiteral("dbED")},
              std::tuple{QStringLiteral("140604"), QStringList{}, QStringLiteral("txtRFC")}}) {
            MessageBox::clearShown();
            g->setCurrentIndex(g->model()->index(0, 1));
            g->setFocus();
            QTest::keyClicks(g, "1"); // opens the cell
            QLineEdit *editor = g->cellEditor();
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, typed);
            QTest::mouseClick(h.text("txtRFC"), Qt::LeftButton); // leaving the grid takes the cell in
            QCOMPARE(MessageBox::shownTexts(), complaints);
            QCOMPARE(focused(), focus);
        }
        QCOMPARE(g->Columns(1).Text(), QStringLiteral("14/06/2004"));
        // A date the checks take is stored, whatever its separators; tomorrow
        // is refused with its message, and stored when the row is left.
        for (const auto &[typed, complaints, stored] :
             {std::tuple{QStringLiteral("01-02-2004"), QStringList{}, QStringLiteral("2004-02-01")},
              std::tuple{QStringLiteral("15.06.04"), QStringList{}, QStringLiteral("2004-06-15")},
              std::tuple{QStringLiteral("16-06-2004"), QStringList{kLate}, QStringLiteral("2004-06-16")}}) {
            MessageBox::clearShown();
            typeInto(g, 1, typed);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QCoreApplication::processEvents();
            QCOMPARE(MessageBox::shownTexts(), complaints);
            QCOMPARE(h.rows("exporped").value(0).value("FECHA_PEDI").toString(), stored);
        }
        QCOMPARE(h.rows("exporped").value(0).value("NO_PEDIMEN").toString(), QStringLiteral("123456789012345"));

        // The payment date left empty is stored as today.
        g = show(h, "dbMI", 5);
        MessageBox::clearShown();
        typeInto(g, 2, "");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCoreApplication::processEvents();
        QCOMPARE(MessageBox::shownTexts(), QStringList{});
        QCOMPARE(h.rows("insupedi").value(0).value("FEC_PAGO").toString(), QStringLiteral("2004-06-15"));
    }
};

QTEST_MAIN(TestGridCellChecks)
#include "test_grid_cell_checks.moc"
