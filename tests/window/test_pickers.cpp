// The picker lists on the real window: filled from their tables, opened under
// the cell by typing or the cell button, following what is typed, confirmed
// with Enter or a double click, dismissed with Esc, a click in the grid or
// the focus leaving; what a picked tariff item brings into its row; and the
// grids' look.
#include "window_harness.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>

namespace {

// A direct request of transformed goods; MER_RET "N" (not originating) makes
// the imported goods' country column use the list of every country.
QVariantMap request(const QString &merRet = QStringLiteral("N"))
{
    return {{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", merRet}, {"TSOL", "N"}, {"DEPRE_MAQ", 3.0},
            {"UNIDAD", "PIEZA"}};
}

struct Window : WindowHarness {
    bool start(const QString &merRet = QStringLiteral("N"))
    {
        if (!open({{"solicitu", {request(merRet)}},
                   {"insunit",
                    {{{"FRACCION", "01020304"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}, {"DESCRIP", "TUERCAS"}},
                     {{"FRACCION", "73181500"}, {"TASA_ADVAL", 5.0}, {"COSTO_UNIT", 2.25}, {"DESCRIP", "TORNILLOS"}}}}}))
            return false;
        window->setToday(QDate(2004, 6, 15));
        QApplication::setActiveWindow(window.get());
        return QTest::qWaitForWindowActive(window.get());
    }
    BoundGrid *grid(const QString &name) const { return get<BoundGrid>(name); }
    QListWidget *list(const QString &name) const { return get<QListWidget>(name); }
    // Brings the tab forward and puts the cursor on a cell of the grid.
    template <class E> BoundGrid *at(int tab, const QString &name, int row, E column) const
    {
        tabs()->setTabVisible(tab, true); // whatever the request shows
        tabs()->setCurrentIndex(tab);
        BoundGrid *g = grid(name);
        int index = 0;
        if constexpr (std::is_enum_v<E>)
            index = columnIndex(column);
        else
            index = column;
        g->setCurrentIndex(g->model()->index(row, index));
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
    QString current(const QString &listName) const
    {
        QListWidgetItem *item = list(listName)->currentItem();
        return item ? item->text() : QString();
    }
    static void click(BoundGrid *g, int row, int column, bool button)
    {
        const QModelIndex cell = g->model()->index(row, column);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          button ? g->buttonRect(cell).center() : g->visualRect(cell).center());
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
        Window h;
        QVERIFY(h.open({{"insunit", {{{"FRACCION", "01020304"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}},
                                     {{"FRACCION", "01020399"}, {"TASA_ADVAL", 3.0}}}}}));
        for (const char *name : {"lstClave", "lstFraccion", "lstPais", "lstPaisAux"})
            QVERIFY(h.list(name)->isHidden());
        h.window->LlenaListas();
        QListWidget *fractions = h.list("lstFraccion");
        QCOMPARE(fractions->count(), 2);
        QCOMPARE(fractions->item(0)->text(), QStringLiteral("01020304        15.5          10"));
        QCOMPARE(fractions->item(1)->text(), QStringLiteral("01020399           3")); // no cost
        QCOMPARE(h.list("lstClave")->item(0)->text(), QStringLiteral("A1"));
        QVERIFY(h.list("lstClave")->count() > 40);
        QCOMPARE(h.list("lstPais")->findItems(QStringLiteral("MEXICO"), Qt::MatchExactly).size(), 1);
    }

    void documentKeyIsPickedByTyping()
    {
        Window h;
        QVERIFY(h.start());
        BoundGrid *imports = h.at(5, "dbMI", 0, ImportCol::Clave);
        QListWidget *keys = h.list("lstClave");
        h.keys(QStringLiteral("v"));
        QVERIFY(keys->isVisible());
        // The focus stays in the cell being typed, which is upper-cased.
        QVERIFY(imports->cellEditor());
        QCOMPARE(h.focus(), imports->cellEditor());
        QCOMPARE(imports->Columns(ImportCol::Clave).Text(), QStringLiteral("V"));
        QVERIFY(h.current("lstClave").startsWith(u'V'));
        // Under the cell, as wide as the column and a little more.
        const QRect cell = imports->visualRect(imports->model()->index(0, columnIndex(ImportCol::Clave)));
        const QPoint under = imports->viewport()->mapTo(keys->parentWidget(), cell.bottomLeft());
        QVERIFY(qAbs(keys->geometry().top() - under.y()) <= 3 && qAbs(keys->geometry().left() - under.x()) <= 3);
        QCOMPARE(keys->width(), imports->Columns(ImportCol::Clave).Width() + 15);

        h.keys(QStringLiteral("1"));
        QCOMPARE(h.current("lstClave"), QStringLiteral("V1"));
        h.key(Qt::Key_Return); // "V1" left in the cell empties it
        QCOMPARE(imports->Columns(ImportCol::Clave).Text(), QString());
        // A key typed in part is completed from the list; one the catalogue
        // does not have is kept as typed, never swapped for another.
        for (const auto &[typed, taken] : {std::pair{"a4", "A4"}, std::pair{"zz", "ZZ"}, std::pair{"a4z", "A4Z"}}) {
            imports->setCurrentIndex(imports->model()->index(0, columnIndex(ImportCol::Clave)));
            h.keys(QString::fromLatin1(typed));
            QCOMPARE(h.current("lstClave"), taken == QLatin1String("A4") ? QStringLiteral("A4") : QString());
            h.key(Qt::Key_Return);
            QCOMPARE(imports->Columns(ImportCol::Clave).Text(), QString::fromLatin1(taken));
            QVERIFY(keys->isHidden());
        }
        QVERIFY(MessageBox::shownTexts().isEmpty());
    }

    void tariffItemBringsItsRateAndCost()
    {
        Window h;
        QVERIFY(h.start());
        BoundGrid *imports = h.at(5, "dbMI", 0, ImportCol::Fraccion);
        QListWidget *fractions = h.list("lstFraccion");
        // An item the unit costs do not have keeps what was typed, and takes
        // no other item's rate.
        h.keys(QStringLiteral("99999999"));
        QVERIFY(fractions->isVisible());
        QCOMPARE(h.current("lstFraccion"), QString());
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(ImportCol::Fraccion).Text(), QStringLiteral("99999999"));
        QCOMPARE(imports->Columns(ImportCol::AdValorem).Value(), QString());
        QVERIFY(fractions->isHidden());

        imports->setCurrentIndex(imports->model()->index(0, columnIndex(ImportCol::Fraccion)));
        h.keys(QStringLiteral("7318"));
        // Twice the column's width, or as wide as its lines: the rate shows.
        QVERIFY(fractions->width() >= 2 * imports->Columns(ImportCol::Fraccion).Width());
        QCoreApplication::processEvents();
        QCOMPARE(fractions->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(h.current("lstFraccion"), QStringLiteral("73181500        2.25           5"));
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(ImportCol::Fraccion).Text(), QStringLiteral("73181500"));
        QCOMPARE(imports->Columns(ImportCol::AdValorem).Value(), QStringLiteral("5"));
        QCOMPARE(h.window->fraccionRecordada(), QStringLiteral("73181500        2.25           5"));

        // With a payment date the cost goes into the unit cost as well.
        imports->setCurrentIndex(imports->model()->index(0, columnIndex(ImportCol::FechaPago)));
        h.keys(QStringLiteral("010304"));
        h.key(Qt::Key_Return);
        QVERIFY(imports->commitPendingRow());
        QList<QVariantMap> rows = h.rows(QStringLiteral("insupedi"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("FEC_PAGO").toString(), QStringLiteral("2004-03-01"));
        QCOMPARE(rows[0].value("FRACCION").toString(), QStringLiteral("73181500"));
        QCOMPARE(rows[0].value("TASA_ADVAL").toDouble(), 5.0);
        QCOMPARE(rows[0].value("PU_MIMP").toDouble(), 2.25);
        QCOMPARE(rows[0].value("COSTO_UNIT").toDouble(), 2.25);
        // A row whose tariff item was never picked keeps the price typed.
        imports->setCurrentIndex(imports->model()->index(1, columnIndex(ImportCol::PrecioUnitario)));
        h.keys(QStringLiteral("99"));
        h.key(Qt::Key_Return);
        QVERIFY(imports->commitPendingRow());
        rows = h.rows(QStringLiteral("insupedi"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].value("PU_MIMP").toDouble(), 99.0);
    }

    // Which list a country cell opens, and what it puts into the cell.
    void countryLists_data()
    {
        QTest::addColumn<QString>("merRet");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("country");
        const int mi = columnIndex(ImportCol::Pais);
        QTest::newRow("imports, not originating") << "N" << 5 << "dbMI" << mi << "lstPais" << "can" << "CANADA";
        QTest::newRow("imports, originating") << "O" << 5 << "dbMI" << mi << "lstPaisAux" << "can" << "CANADA";
        QTest::newRow("direct exports") << "N" << 6 << "dbED" << columnIndex(DirectExportCol::PaisDestino)
                                        << "lstPaisAux" << "estados" << "ESTADOS UNIDOS DE AMERICA";
        QTest::newRow("TLCAN imports") << "N" << 8 << "dbITLC" << columnIndex(TlcanCol::PaisImportador)
                                       << "lstPaisAux" << "estados" << "ESTADOS UNIDOS DE AMERICA";
    }
    void countryLists()
    {
        QFETCH(QString, merRet);
        QFETCH(int, tab);
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(QString, country);
        Window h;
        QVERIFY(h.start(merRet));
        BoundGrid *g = h.at(tab, grid, 0, column);
        h.keys(typed);
        QVERIFY(h.list(list)->isVisible());
        QCOMPARE(h.current(list), country);
        QCOMPARE(g->Columns(column).Text(), typed.toUpper());
        h.key(Qt::Key_Return);
        QCOMPARE(g->Columns(column).Text(), country);
        QVERIFY(h.list(list)->isHidden());
    }

    void listOpensByTheButtonAndHides()
    {
        Window h;
        QVERIFY(h.start());
        const int pais = columnIndex(ImportCol::Pais);
        BoundGrid *imports = h.at(5, "dbMI", 0, pais);
        QListWidget *countries = h.list("lstPais");
        Window::click(imports, 0, pais, true);
        QVERIFY(countries->isVisible());
        QCOMPARE(countries->currentRow(), 0);
        Window::click(imports, 0, columnIndex(ImportCol::Pedimento), false); // a click in the grid
        QVERIFY(countries->isHidden());

        // The list takes the focus without ending the cell; Esc hides it and
        // the cell keeps what was typed.
        imports->setCurrentIndex(imports->model()->index(0, pais));
        h.keys(QStringLiteral("me"));
        countries->setFocus(Qt::MouseFocusReason);
        QVERIFY(imports->cellEditor());
        QTest::keyClick(countries, Qt::Key_Escape);
        QVERIFY(countries->isHidden());
        QCOMPARE(imports->Columns(pais).Text(), QStringLiteral("ME"));
        QCOMPARE(h.focus(), imports->cellEditor());
        // A double click on a line writes it into the cell being typed.
        Window::click(imports, 0, pais, true);
        countries->setFocus(Qt::MouseFocusReason);
        QListWidgetItem *mexico = countries->findItems(QStringLiteral("MEXICO"), Qt::MatchExactly).value(0);
        QVERIFY(mexico);
        countries->scrollToItem(mexico);
        const QPoint line = countries->visualItemRect(mexico).center();
        QTest::mouseClick(countries->viewport(), Qt::LeftButton, {}, line);
        QTest::mouseDClick(countries->viewport(), Qt::LeftButton, {}, line);
        QVERIFY(countries->isHidden());
        QCOMPARE(imports->Columns(pais).Text(), QStringLiteral("MEXICO"));
        // The focus leaving the list hides it.
        Window::click(imports, 0, pais, true);
        countries->setFocus(Qt::MouseFocusReason);
        h.text(QStringLiteral("txtRFC"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(countries->isHidden());
    }

    void enterOnATabWithoutCountriesWritesNothing()
    {
        Window h;
        QVERIFY(h.start());
        h.at(7, "dbEI", 0, IndirectExportCol::Documento);
        QListWidget *countries = h.list("lstPais");
        countries->setCurrentRow(3);
        countries->show();
        countries->setFocus();
        QTest::keyClick(countries, Qt::Key_Return);
        QVERIFY(countries->isHidden());
        for (const char *name : {"dbMI", "dbED", "dbEI", "dbITLC"})
            QVERIFY2(!h.grid(name)->recordModel()->hasPendingRow(), name);
    }

    // What a user types shows whole at the window's usual size, beside the
    // cell button; a longer name shows whole in the cell's tool-tip. The
    // grids' headings are small, their cells centred.
    void gridsShowTheirTexts()
    {
        const QString korea = QStringLiteral("COREA DEL NORTE (REPUBLICA POPULAR DEMOCRATICA DE COREA)");
        Window h;
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
        QList<QPair<QString, int>> cells{{"dbCU", columnIndex(UnitCostCol::Fraccion)},
                                         {"dbCU", columnIndex(UnitCostCol::CostoUnit)},
                                         {"dbED", columnIndex(DirectExportCol::Pedimento)},
                                         {"dbEI", columnIndex(IndirectExportCol::Documento)},
                                         {"dbEI", columnIndex(IndirectExportCol::ValorTotal)}};
        for (ImportCol column : {ImportCol::Clave, ImportCol::Pedimento, ImportCol::FechaPago, ImportCol::Fraccion,
                                 ImportCol::AdValorem, ImportCol::PrecioUnitario, ImportCol::Pais, ImportCol::MontSolic})
            cells.append({"dbMI", columnIndex(column)});
        for (const auto &[name, column] : std::as_const(cells)) {
            BoundGrid *g = h.grid(name);
            const QString text = g->model()->index(0, column).data().toString();
            const int button = g->Columns(column).Button() ? std::min(g->RowHeight(), 18) : 0;
            const int line = g->showGrid() ? 1 : 0; // the grid line takes the cell's last pixel
            const int needed = QFontMetrics(g->font()).horizontalAdvance(text) + 2 * margin + button + line;
            QVERIFY2(!text.isEmpty() && needed <= g->Columns(column).Width(),
                     qPrintable(QStringLiteral("%1(%2) «%3»").arg(name).arg(column).arg(text)));
        }
        BoundGrid *exports = h.grid("dbED");
        const auto tip = [exports](DirectExportCol c) { return exports->cellToolTip(exports->model()->index(0, columnIndex(c))); };
        QVERIFY(tip(DirectExportCol::PaisDestino).startsWith(korea));
        QVERIFY(!tip(DirectExportCol::Pedimento).contains(QStringLiteral("987654321098765")));
        for (const char *name : {"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"}) {
            BoundGrid *g = h.grid(name);
            QCOMPARE(g->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
            for (int i = 0; i < g->ColumnsCount(); ++i)
                QCOMPARE(g->Columns(i).Alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QCOMPARE(g->horizontalHeader()->font().pointSize(), 8);
        }
        QCOMPARE(h.combo(QStringLiteral("cmbUM"))->count(), 13);
        QCOMPARE(h.combo(QStringLiteral("cmbUM"))->itemText(12), QStringLiteral("TONELADAS"));
        QCOMPARE(h.combo(QStringLiteral("cmbUM"))->currentText(), QStringLiteral("PIEZA"));
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
