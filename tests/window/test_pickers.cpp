// The picker lists on the real window: opened under the cell of the imported
// goods, the direct exports and the TLCAN imports, following what is typed,
// confirmed with Enter or a double click, dismissed with Esc, a click in the
// grid or the focus leaving; and what a picked tariff item brings into the
// row when it is written. Also the lists' contents and the grids' look.
#include "window_harness.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"

#include <QApplication>
#include <QHeaderView>
#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>
#include <QLabel>
#include <QListWidget>

namespace {

// A direct request of transformed goods; MER_RET "N" makes the imported
// goods' country column use the list of every country.
QVariantMap request(const QString &merRet = QStringLiteral("N"))
{
    return {{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", merRet}, {"TSOL", "N"}, {"DEPRE_MAQ", 3.0}};
}

QList<QVariantMap> unitCosts()
{
    return {{{"FRACCION", "01020304"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}, {"DESCRIP", "TUERCAS"}},
            {{"FRACCION", "73181500"}, {"TASA_ADVAL", 5.0}, {"COSTO_UNIT", 2.25}, {"DESCRIP", "TORNILLOS"}}};
}

struct Pickers : WindowHarness {
    bool start(const QString &merRet = QStringLiteral("N"))
    {
        if (!open({{"solicitu", {request(merRet)}}, {"insunit", unitCosts()}}))
            return false;
        window->setToday(QDate(2004, 6, 15));
        QApplication::setActiveWindow(window.get());
        return QTest::qWaitForWindowActive(window.get());
    }
    BoundGrid *grid(const char *name) const { return get<BoundGrid>(QString::fromLatin1(name)); }
    QListWidget *list(const char *name) const { return get<QListWidget>(QString::fromLatin1(name)); }

    // Brings the tab forward and puts the cursor on a cell of the grid.
    BoundGrid *at(int tab, const char *name, int row, int column) const
    {
        tabs()->setCurrentIndex(tab);
        BoundGrid *g = grid(name);
        g->setCurrentIndex(g->model()->index(row, column));
        g->setFocus();
        QCoreApplication::processEvents();
        return g;
    }
    QWidget *focus() const { return QApplication::focusWidget(); }
    void keys(const QString &text) const
    {
        for (const QChar c : text)
            QTest::keyClick(focus(), c.toLatin1());
    }
    void key(Qt::Key k) const
    {
        QTest::keyClick(focus(), k);
        QCoreApplication::processEvents();
    }
    QString current(const char *listName) const
    {
        QListWidgetItem *item = list(listName)->currentItem();
        return item ? item->text() : QString();
    }
};

} // namespace

class TestPickers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    void listsAreFilledFromTheirTables()
    {
        Pickers h;
        QVERIFY(h.open({{"insunit", {{{"FRACCION", "01020304"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}},
                                     {{"FRACCION", "01020399"}, {"TASA_ADVAL", 3.0}}}}}));
        for (const char *name : {"lstClave", "lstFraccion", "lstPais", "lstPaisAux"})
            QVERIFY(h.list(name)->isHidden());
        h.window->LlenaListas();
        QListWidget *fractions = h.list("lstFraccion");
        QCOMPARE(fractions->count(), 2);
        QCOMPARE(fractions->item(0)->text(), QStringLiteral("01020304        15.5          10"));
        // Without a cost the middle column is left out.
        QCOMPARE(fractions->item(1)->text(), QStringLiteral("01020399           3"));
        QListWidget *keys = h.list("lstClave");
        QCOMPARE(keys->item(0)->text(), QStringLiteral("A1"));
        QVERIFY(keys->count() > 40);
        QCOMPARE(h.list("lstPais")->findItems(QStringLiteral("MEXICO"), Qt::MatchExactly).size(), 1);
    }

    void documentKeyIsPickedByTyping()
    {
        Pickers h;
        QVERIFY(h.start());
        BoundGrid *imports = h.at(5, "dbMI", 0, 0);
        QCOMPARE(h.tabs()->currentIndex(), 5);
        QListWidget *keys = h.list("lstClave");

        h.keys(QStringLiteral("v"));
        QVERIFY(keys->isVisible());
        // The focus stays in the cell being typed, which is upper-cased.
        QVERIFY(imports->cellEditor());
        QCOMPARE(h.focus(), imports->cellEditor());
        QCOMPARE(imports->Columns(0).Text(), QStringLiteral("V"));
        QVERIFY(h.current("lstClave").startsWith(u'V'));

        // Under the cell, as wide as the column and a little more.
        const QRect cell = imports->visualRect(imports->model()->index(0, 0));
        const QPoint cellBottomLeft = imports->viewport()->mapTo(keys->parentWidget(), cell.bottomLeft());
        QVERIFY(qAbs(keys->geometry().top() - cellBottomLeft.y()) <= 3);
        QVERIFY(qAbs(keys->geometry().left() - cellBottomLeft.x()) <= 3);
        QCOMPARE(keys->width(), imports->Columns(0).Width() + 15);

        h.keys(QStringLiteral("1"));
        QCOMPARE(h.current("lstClave"), QStringLiteral("V1"));
        // "V1" left in the cell empties it.
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(0).Text(), QString());

        // A key typed in part is completed from the list.
        imports->setCurrentIndex(imports->model()->index(0, 0));
        h.keys(QStringLiteral("a4"));
        QCOMPARE(h.current("lstClave"), QStringLiteral("A4"));
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(0).Text(), QStringLiteral("A4"));
        QVERIFY(keys->isHidden());

        // A key the catalogue does not have is kept as typed, never swapped
        // for the first entry or for the last one matched.
        for (const QString &typed : {QStringLiteral("zz"), QStringLiteral("a4z")}) {
            imports->setCurrentIndex(imports->model()->index(0, 0));
            h.keys(typed);
            QCOMPARE(h.current("lstClave"), QString());
            h.key(Qt::Key_Return);
            QCOMPARE(imports->Columns(0).Text(), typed.toUpper());
        }
        QVERIFY(MessageBox::shownTexts().isEmpty());
    }

    void tariffItemBringsItsRateAndCost()
    {
        Pickers h;
        QVERIFY(h.start());
        BoundGrid *imports = h.at(5, "dbMI", 0, 3);
        QListWidget *fractions = h.list("lstFraccion");
        // An item the unit costs do not have keeps what was typed, and takes
        // no other item's rate.
        h.keys(QStringLiteral("99999999"));
        QVERIFY(fractions->isVisible());
        QCOMPARE(h.current("lstFraccion"), QString());
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(3).Text(), QStringLiteral("99999999"));
        QCOMPARE(imports->Columns(4).Value(), QString());
        QVERIFY(fractions->isHidden());

        imports->setCurrentIndex(imports->model()->index(0, 3));
        h.keys(QStringLiteral("7318"));
        QVERIFY(fractions->isVisible());
        // Twice the column's width, or as wide as its lines: the rate shows.
        QVERIFY(fractions->width() >= 2 * imports->Columns(3).Width());
        QCoreApplication::processEvents();
        QCOMPARE(fractions->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(h.current("lstFraccion"), QStringLiteral("73181500        2.25           5"));
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(3).Text(), QStringLiteral("73181500"));
        QCOMPARE(imports->Columns(4).Value(), QStringLiteral("5"));
        QCOMPARE(h.window->fraccionRecordada(), QStringLiteral("73181500        2.25           5"));

        // The row needs a payment date for the cost to be copied as well.
        imports->setCurrentIndex(imports->model()->index(0, 2));
        h.keys(QStringLiteral("010304"));
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(2).Text(), QStringLiteral("01/03/2004"));
        QVERIFY(imports->commitPendingRow());
        QList<QVariantMap> rows = h.rows(QStringLiteral("insupedi"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("FRACCION").toString(), QStringLiteral("73181500"));
        QCOMPARE(rows[0].value("TASA_ADVAL").toDouble(), 5.0);
        QCOMPARE(rows[0].value("PU_MIMP").toDouble(), 2.25);
        QCOMPARE(rows[0].value("COSTO_UNIT").toDouble(), 2.25);

        // Another row, with another tariff item typed in by hand and never
        // picked, keeps the price typed for it.
        imports->setCurrentIndex(imports->model()->index(1, 5));
        h.keys(QStringLiteral("99"));
        h.key(Qt::Key_Return);
        QVERIFY(imports->commitPendingRow());
        rows = h.rows(QStringLiteral("insupedi"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].value("PU_MIMP").toDouble(), 99.0);
    }

    void countryListDependsOnTheRequest_data()
    {
        QTest::addColumn<QString>("merRet");
        QTest::addColumn<QString>("picker");
        QTest::newRow("transformed, not originating") << "N" << "lstPais";
        QTest::newRow("transformed, originating") << "O" << "lstPaisAux";
    }

    void countryListDependsOnTheRequest()
    {
        QFETCH(QString, merRet);
        QFETCH(QString, picker);
        Pickers h;
        QVERIFY(h.start(merRet));
        BoundGrid *imports = h.at(5, "dbMI", 0, 6);
        h.keys(QStringLiteral("can"));
        QListWidget *list = h.get<QListWidget>(picker);
        QVERIFY(list->isVisible());
        QCOMPARE(list->currentItem()->text(), QStringLiteral("CANADA"));
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(6).Text(), QStringLiteral("CANADA"));
        QVERIFY(list->isHidden());
    }

    void buttonOpensTheListAndAClickInTheGridHidesIt()
    {
        Pickers h;
        QVERIFY(h.start());
        BoundGrid *imports = h.at(5, "dbMI", 0, 6);
        const QModelIndex cell = imports->model()->index(0, 6);
        const QRect button = imports->buttonRect(cell);
        QVERIFY(!button.isEmpty());
        QTest::mouseClick(imports->viewport(), Qt::LeftButton, {}, button.center());
        QListWidget *countries = h.list("lstPais");
        QVERIFY(countries->isVisible());
        QCOMPARE(countries->currentRow(), 0);

        const QRect other = imports->visualRect(imports->model()->index(0, 1));
        QTest::mouseClick(imports->viewport(), Qt::LeftButton, {}, other.center());
        QVERIFY(countries->isHidden());
    }

    void listTakesTheFocusWithoutEndingTheCell()
    {
        Pickers h;
        QVERIFY(h.start());
        BoundGrid *imports = h.at(5, "dbMI", 0, 6);
        QListWidget *countries = h.list("lstPais");
        h.keys(QStringLiteral("me"));
        QLineEdit *editor = imports->cellEditor();
        QVERIFY(editor);

        // Esc in the list hides it; the cell keeps what was typed.
        countries->setFocus(Qt::MouseFocusReason);
        QVERIFY(imports->cellEditor());
        QTest::keyClick(countries, Qt::Key_Escape);
        QVERIFY(countries->isHidden());
        QCOMPARE(imports->Columns(6).Text(), QStringLiteral("ME"));
        QCOMPARE(h.focus(), imports->cellEditor());

        // A double click on a line writes it into the cell being typed.
        QTest::mouseClick(imports->viewport(), Qt::LeftButton, {}, imports->buttonRect(imports->model()->index(0, 6)).center());
        QVERIFY(countries->isVisible());
        countries->setFocus(Qt::MouseFocusReason);
        QListWidgetItem *mexico = countries->findItems(QStringLiteral("MEXICO"), Qt::MatchExactly).value(0);
        QVERIFY(mexico);
        countries->scrollToItem(mexico);
        const QRect line = countries->visualItemRect(mexico);
        QTest::mouseClick(countries->viewport(), Qt::LeftButton, {}, line.center());
        QTest::mouseDClick(countries->viewport(), Qt::LeftButton, {}, line.center());
        QVERIFY(countries->isHidden());
        QCOMPARE(imports->Columns(6).Text(), QStringLiteral("MEXICO"));

        // The focus leaving the list hides it.
        QTest::mouseClick(imports->viewport(), Qt::LeftButton, {}, imports->buttonRect(imports->model()->index(0, 6)).center());
        countries->setFocus(Qt::MouseFocusReason);
        h.text(QStringLiteral("txtRFC"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(countries->isHidden());
    }

    void enterOnATabWithoutCountriesWritesNothing()
    {
        Pickers h;
        QVERIFY(h.start());
        h.tabs()->setTabVisible(7, true);
        h.tabs()->setCurrentIndex(7);
        QCOMPARE(h.tabs()->currentIndex(), 7);
        QListWidget *countries = h.list("lstPais");
        countries->setCurrentRow(3);
        countries->show();
        countries->setFocus();
        QTest::keyClick(countries, Qt::Key_Return);
        QVERIFY(countries->isHidden());
        QCOMPARE(h.grid("dbMI")->recordModel()->hasPendingRow(), false);
        QCOMPARE(h.grid("dbED")->recordModel()->hasPendingRow(), false);
        QCOMPARE(h.grid("dbITLC")->recordModel()->hasPendingRow(), false);
    }

    void exportAndTlcanCountriesUseTheFolderList_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("gridName");
        QTest::addColumn<int>("column");
        QTest::newRow("direct exports") << 6 << "dbED" << 2;
        QTest::newRow("TLCAN imports") << 8 << "dbITLC" << 0;
    }

    void exportAndTlcanCountriesUseTheFolderList()
    {
        QFETCH(int, tab);
        QFETCH(QString, gridName);
        QFETCH(int, column);
        Pickers h;
        QVERIFY(h.start());
        h.tabs()->setTabVisible(tab, true); // whatever the request shows
        BoundGrid *g = h.at(tab, qPrintable(gridName), 0, column);
        QListWidget *countries = h.list("lstPaisAux");
        h.keys(QStringLiteral("estados"));
        QVERIFY(countries->isVisible());
        QCOMPARE(h.current("lstPaisAux"), QStringLiteral("ESTADOS UNIDOS DE AMERICA"));
        QCOMPARE(g->Columns(column).Text(), QStringLiteral("ESTADOS"));
        h.key(Qt::Key_Return);
        QCOMPARE(g->Columns(column).Text(), QStringLiteral("ESTADOS UNIDOS DE AMERICA"));
        QVERIFY(countries->isHidden());
    }

    // What a user types shows whole at the window's usual size: 15-digit
    // numbers, dates, tariff items, amounts, and the usual countries beside
    // the cell button; a longer name shows whole in the cell's tool-tip.
    void typedValuesShowWhole()
    {
        const QString korea = QStringLiteral("COREA DEL NORTE (REPUBLICA POPULAR DEMOCRATICA DE COREA)");
        Pickers h;
        QVERIFY(h.open({{"solicitu", {request()}},
                        {"insunit", {{{"FRACCION", "01020304"}, {"COSTO_UNIT", 999999999999.0}}}},
                        {"insupedi",
                         {{{"TIPO", "A1"}, {"NUM_DOCUME", "123456789012345"}, {"FEC_PAGO", QDate(2004, 12, 28)},
                           {"FRACCION", "73181500"}, {"PU_MIMP", 999999999999.0}, {"TASA_ADVAL", 10.5},
                           {"PAIS_IMPOR", "ESTADOS UNIDOS DE AMERICA"}, {"MONT_SOLIC", 123456789012.125}}}},
                        {"exporped", {{{"NO_PEDIMEN", "987654321098765"}, {"PAIS_EXPOR", korea}}}},
                        {"factura", {{{"NODOC", "123456789012345"}, {"VALTOTNP", 999999999999.99}}}}}));
        h.window->resize(1366, 768);
        h.window->EstableceVisiblesDB(QStringLiteral("111111111111111"), h.grid("dbMI"));
        const int margin = h.window->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
        const struct {
            const char *grid;
            int column;
        } cells[] = {{"dbCU", 0},  {"dbCU", 2},  {"dbMI", 0},  {"dbMI", 1},  {"dbMI", 2}, {"dbMI", 3}, {"dbMI", 4},
                     {"dbMI", 5},  {"dbMI", 6},  {"dbMI", 14}, {"dbED", 0}, {"dbEI", 0},
                     {"dbEI", 4}};
        for (const auto &[name, column] : cells) {
            BoundGrid *g = h.grid(name);
            const QString text = g->model()->index(0, column).data().toString();
            QVERIFY2(!text.isEmpty(), name);
            const int button = g->Columns(column).Button() ? std::min(g->RowHeight(), 18) : 0;
            const int line = g->showGrid() ? 1 : 0; // the grid line takes the cell's last pixel
            const int needed = QFontMetrics(g->font()).horizontalAdvance(text) + 2 * margin + button + line;
            QVERIFY2(needed <= g->Columns(column).Width(),
                     qPrintable(QStringLiteral("%1(%2) «%3»").arg(name).arg(column).arg(text)));
        }
        BoundGrid *exports = h.grid("dbED");
        QVERIFY(exports->cellToolTip(exports->model()->index(0, 2)).startsWith(korea));
        QVERIFY(!exports->cellToolTip(exports->model()->index(0, 0)).contains(QStringLiteral("987654321098765")));
    }

    void grids_look_and_units()
    {
        Pickers h;
        QVERIFY(h.open({{"solicitu", {{{"UNIDAD", "PIEZA"}, {"DEPRE_MAQ", 3.0}}}}}));
        for (const char *name : {"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"}) {
            BoundGrid *g = h.grid(name);
            QCOMPARE(g->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
            for (int i = 0; i < g->ColumnsCount(); ++i)
                QCOMPARE(g->Columns(i).Alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QCOMPARE(g->horizontalHeader()->font().pointSize(), 8);
        }
        QComboBox *units = h.combo(QStringLiteral("cmbUM"));
        QCOMPARE(units->count(), 13);
        QCOMPARE(units->itemText(12), QStringLiteral("TONELADAS"));
        QCOMPARE(units->currentText(), QStringLiteral("PIEZA"));
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
