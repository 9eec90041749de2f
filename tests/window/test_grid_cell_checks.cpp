// What the request window checks when a cell of one of its document grids is
// left, driven by keys on the real window: the kinds of rule of the cell
// table on each grid (the lengths themselves are checked in
// test_grid_cell_rules, the dates in test_grid_dates), the cells with rules
// of their own, the order of the messages, the columns put in upper case as
// typed, and the focus after a date complaint.
#include "window_harness.h"

#include "grids/bound_grid.h"
#include "rules/window_texts.h"

#include <QApplication>
#include <QLineEdit>

namespace {

const QDate kToday(2004, 6, 15);

// The window's length messages, by their entry.
QString tooLong(int entry) { return WindowTexts::gridLengthMessages().value(entry) + " Rectifica por favor"; }

const QString kFormat =
    QStringLiteral(" La fecha tiene un formato incorrecto, debe ser del tipo 01/01/2001. Rectifica por favor");
const QString kYear = QStringLiteral("El año que has introducido no es válido. Rectifica por favor");
const QString kLate = QStringLiteral(
    "La fecha introducida es posterior a la actual. Debe ser menor o igual al día de hoy. Rectifica por favor");
const QString kPedimento =
    QStringLiteral("La longitud del pedimento sólo puede ser de 15 números.  Rectifica por favor");
const QString kFraction = QStringLiteral("La fracción debe ser de 8 dígitos. Rectifica por favor");
const QString kCost = QStringLiteral("El precio unitario no debe de exceder de 12 números. Rectifica por favor");

const QMap<QString, int> kTab{{"dbCU", 4}, {"dbMI", 5}, {"dbED", 6}, {"dbEI", 7}, {"dbITLC", 8}};

} // namespace

class TestGridCellChecks : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHarness> h_; // one window for every case

    BoundGrid *show(const QString &name)
    {
        h_->window->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(h_->window.get());
        h_->tabs()->setCurrentIndex(kTab.value(name));
        return h_->get<BoundGrid>(name);
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

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
        h_ = std::make_unique<WindowHarness>();
        // A direct request of transformed goods with a complete unit cost, so
        // that every tab may be visited.
        QVERIFY(h_->open({{"solicitu", {{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "O"}, {"TSOL", "N"}}}},
                          {"insunit", {{{"FRACCION", "01020304"}, {"DESCRIP", "TUERCAS"}, {"TASA_ADVAL", 10.0},
                                        {"COSTO_UNIT", 15.5}}}},
                          {"exporped", {{{"NO_PEDIMEN", "123456789012345"}}}}}));
        h_->window->setToday(kToday);
        // Every tab and every imported-goods column within reach of the keys.
        h_->window->EstableceVisiblesTab(QStringLiteral("111111111"));
        h_->window->EstableceVisiblesDB(QStringLiteral("111111111111111"), h_->get<BoundGrid>("dbMI"));
    }
    void cleanupTestCase() { h_.reset(); }

    // One case per rule: the messages, in order, and what the cell holds.
    void cellLeft_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char *name, const char *grid, auto column, const QString &typed,
                            const QString &kept, const QStringList &messages) {
            QTest::newRow(name) << grid << columnIndex(column) << typed << kept << messages;
        };
        const QString n13 = QStringLiteral("1234567890123");
        row("cu fraction of 7", "dbCU", UnitCostCol::Fraccion, "0102030", "0102030", {kFraction});
        row("cu fraction of 9", "dbCU", UnitCostCol::Fraccion, "010203040", "010203040", {kFraction});
        row("cu fraction of 8", "dbCU", UnitCostCol::Fraccion, "01020305", "01020305", {});
        row("cu cost of 13, emptied", "dbCU", UnitCostCol::CostoUnit, n13, "", {kCost});
        row("cu cost of 12", "dbCU", UnitCostCol::CostoUnit, "123456789012", "123456789012", {});
        row("cu rate of 7", "dbCU", UnitCostCol::TasaAdValorem, "1234567", "1234567", {tooLong(2)});
        row("mi key V1 in lower case", "dbMI", ImportCol::Clave, "v1", "", {});
        row("mi pedimento of 14", "dbMI", ImportCol::Pedimento, "12345678901234", "12345678901234", {kPedimento});
        row("mi pedimento of 16", "dbMI", ImportCol::Pedimento, "1234567890123456", "1234567890123456", {kPedimento});
        row("mi pedimento of 15", "dbMI", ImportCol::Pedimento, "123456789012345", "123456789012345", {});
        row("mi empty date is today", "dbMI", ImportCol::FechaPago, "", "15/06/2004", {});
        row("mi ddmmyy of 2002", "dbMI", ImportCol::FechaPago, "010202", "01/02/2002", {kYear});
        row("mi date of 11", "dbMI", ImportCol::FechaPago, "01/02/20034", "01/02/20034", {tooLong(4), kFormat});
        row("mi price of 13", "dbMI", ImportCol::PrecioUnitario, n13, n13, {tooLong(5)});
        row("mi value of 20", "dbMI", ImportCol::ValorTotal, n13 + "4567890", n13 + "4567890", {tooLong(7)});
        row("mi value of 19", "dbMI", ImportCol::ValorTotal, n13 + "456789", n13 + "456789", {});
        row("ed pedimento of 14", "dbED", DirectExportCol::Pedimento, "12345678901234", "12345678901234", {kPedimento});
        row("ed dd/mm/yy", "dbED", DirectExportCol::Fecha, "31/04/04", "31/04/2004",
            {"El mes que has colocado sólo cuenta con 30 días. Rectifica por favor"});
        row("ed empty date", "dbED", DirectExportCol::Fecha, "", "", {kFormat});
        row("ed value of 13", "dbED", DirectExportCol::ValorTotal, n13, n13, {tooLong(7)});
        row("ei document of 16", "dbEI", IndirectExportCol::Documento, "1234567890123456", "1234567890123456",
            {tooLong(8)});
        row("ei date 1/2/03", "dbEI", IndirectExportCol::Fecha, "1/2/03", "1/2/03", {kFormat, kFormat});
        row("ei exporter of 20, lower case", "dbEI", IndirectExportCol::ExportadorFinal, "abcdefghijklmnopqrst",
            "ABCDEFGHIJKLMNOPQRST", {});
        row("tlc today", "dbITLC", TlcanCol::Fecha, "150604", "15/06/2004", {});
        row("tlc fraction of 9", "dbITLC", TlcanCol::Fraccion, "123456789", "123456789", {tooLong(0)});
        row("tlc amount of 13", "dbITLC", TlcanCol::MontSolic, n13, n13, {tooLong(10)});
    }
    void cellLeft()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QStringList, messages);
        BoundGrid *g = show(grid);
        QCOMPARE(h_->tabs()->currentIndex(), kTab.value(grid));
        MessageBox::clearShown();
        typeInto(g, column, typed);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        const QString cell = g->Columns(column).Value();
        QTest::keyClick(g, Qt::Key_Escape); // the next case starts from the stored row
        QCOMPARE(MessageBox::shownTexts(), messages);
        for (const MessageBox::Shown &s : shown)
            QVERIFY(s.title == "QUELVAR" && s.icon == MessageBox::Icon::Exclamation && !s.question);
        QCOMPARE(cell, kept);
    }

    // A quantity returned that is too long is reported again when the total
    // value is committed beside it.
    void valueRechecksTheReturnedQuantity()
    {
        BoundGrid *g = show("dbMI");
        MessageBox::clearShown();
        typeInto(g, columnIndex(ImportCol::CantidadRetornada), "123456789");
        typeInto(g, columnIndex(ImportCol::ValorTotal), "5");
        QTest::keyClick(g, Qt::Key_Escape);
        QCOMPARE(MessageBox::shownTexts(), (QStringList{tooLong(6), tooLong(6)}));
    }

    void typingPutsUpperCase_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::newRow("unit cost description") << "dbCU" << columnIndex(UnitCostCol::Descripcion) << "TUERCA";
        QTest::newRow("unit cost fraction, as typed") << "dbCU" << columnIndex(UnitCostCol::Fraccion) << "tuerca";
        QTest::newRow("final exporter") << "dbEI" << columnIndex(IndirectExportCol::ExportadorFinal) << "TUERCA";
    }
    void typingPutsUpperCase()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, shown);
        BoundGrid *g = show(grid);
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
    void dateComplaintRefocusesTheGrid_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("complaints");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("stored");
        QTest::newRow("tomorrow") << "16/06/2004" << QStringList{kLate} << "dbED" << "2004-06-16";
        QTest::newRow("yesterday") << "140604" << QStringList{} << "txtRFC" << "2004-06-14";
        QTest::newRow("dashes") << "01-02-2004" << QStringList{} << "txtRFC" << "2004-02-01";
        QTest::newRow("dots") << "15.06.04" << QStringList{} << "txtRFC" << "2004-06-15";
    }
    void dateComplaintRefocusesTheGrid()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, complaints);
        QFETCH(QString, focus);
        QFETCH(QString, stored);
        BoundGrid *g = show("dbED");
        MessageBox::clearShown();
        g->setCurrentIndex(g->model()->index(0, columnIndex(DirectExportCol::Fecha)));
        g->setFocus();
        QTest::keyClicks(g, "1"); // opens the cell
        QVERIFY(g->cellEditor());
        g->cellEditor()->selectAll();
        QTest::keyClicks(g->cellEditor(), typed);
        QTest::mouseClick(h_->text("txtRFC"), Qt::LeftButton); // leaving the grid takes the cell in
        QCOMPARE(MessageBox::shownTexts(), complaints);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QVERIFY(g->commitPendingRow());
        QCOMPARE(h_->rows("exporped").value(0).value("FECHA_PEDI").toString(), stored);
        QCOMPARE(h_->rows("exporped").value(0).value("NO_PEDIMEN").toString(), QStringLiteral("123456789012345"));
    }

    // The payment date left empty is stored as today.
    void emptyPaymentDateIsStoredAsToday()
    {
        BoundGrid *g = show("dbMI");
        MessageBox::clearShown();
        typeInto(g, columnIndex(ImportCol::FechaPago), "");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCoreApplication::processEvents();
        QCOMPARE(MessageBox::shownTexts(), QStringList{});
        QCOMPARE(h_->rows("insupedi").value(0).value("FEC_PAGO").toString(), QStringLiteral("2004-06-15"));
    }
};

QTEST_MAIN(TestGridCellChecks)
#include "test_grid_cell_checks.moc"
