// The cells of the request window's document grids, driven by keys and the
// mouse on the real window: the rules each grid runs when a cell is left
// (the rules themselves are tested in tests/rules, the dates in
// tests/checks), the cells with rules of their own, the picker lists as the
// user sees them, and what the grids show.
#include "grid_window.h"
#include "test_registry.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "rules/grid_cell_rules.h"
#include "rules/window_texts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>


class TestGridCells : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> h_; // one window for the cases that leave no row behind

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
        h_ = std::make_unique<Window>();
        QVERIFY(h_->start(QStringLiteral("O")));
    }
    void cleanupTestCase() { h_.reset(); }

    // Each grid runs its rules when a cell is left: the messages, in order,
    // and what the cell holds afterwards.
    void cellLeft_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("kept");
        const auto row = [](const char *name, const char *grid, auto column, const QString &typed,
                            const QStringList &messages, const QString &kept) {
            QTest::newRow(name) << grid << columnIndex(column) << typed << messages << kept;
        };
        const QString n13 = QStringLiteral("1234567890123");
        row("cu fraction of 7", "dbCU", UnitCostCol::Fraccion, "0102030", {kFraction}, "0102030");
        row("cu fraction of 9", "dbCU", UnitCostCol::Fraccion, "010203040", {kFraction}, "010203040");
        row("cu fraction of 8, lower case", "dbCU", UnitCostCol::Fraccion, "abcdefgh", {}, "abcdefgh");
        row("cu cost of 13, emptied", "dbCU", UnitCostCol::CostoUnit, n13, {kCost}, "");
        row("cu cost of 12", "dbCU", UnitCostCol::CostoUnit, "123456789012", {}, "123456789012");
        row("cu description, lower case", "dbCU", UnitCostCol::Descripcion, "tuerca", {}, "TUERCA");
        row("cu rate of 7", "dbCU", UnitCostCol::TasaAdValorem, "1234567", {tooLong(2)}, "1234567");
        row("mi key V1 in lower case", "dbMI", ImportCol::Clave, "v1", {}, "");
        row("mi pedimento of 14", "dbMI", ImportCol::Pedimento, "12345678901234", {kPedimento}, "12345678901234");
        row("mi pedimento of 16", "dbMI", ImportCol::Pedimento, "1234567890123456", {kPedimento}, "1234567890123456");
        row("mi pedimento of 15", "dbMI", ImportCol::Pedimento, "123456789012345", {}, "123456789012345");
        row("mi empty date is today", "dbMI", ImportCol::FechaPago, "", {}, "15/06/2004");
        row("mi date of 11", "dbMI", ImportCol::FechaPago, "01/02/20034", {tooLong(4), kFormat}, "01/02/20034");
        row("mi value of 20", "dbMI", ImportCol::ValorTotal, n13 + "4567890", {tooLong(7)}, n13 + "4567890");
        row("ed pedimento of 14", "dbED", DirectExportCol::Pedimento, "12345678901234", {kPedimento}, "12345678901234");
        row("ed dd/mm/yy", "dbED", DirectExportCol::Fecha, "31/04/04",
            {"El mes que has colocado sólo cuenta con 30 días. Rectifica por favor"}, "31/04/2004");
        row("ed empty date", "dbED", DirectExportCol::Fecha, "", {kFormat}, "");
        row("ed value of 13", "dbED", DirectExportCol::ValorTotal, n13, {tooLong(7)}, n13);
        row("ei document of 16", "dbEI", IndirectExportCol::Documento, "1234567890123456", {tooLong(8)},
            "1234567890123456");
        row("ei date 1/2/03", "dbEI", IndirectExportCol::Fecha, "1/2/03", {kFormat, kFormat}, "1/2/03");
        row("ei exporter of 20, lower case", "dbEI", IndirectExportCol::ExportadorFinal, "abcdefghijklmnopqrst", {},
            "ABCDEFGHIJKLMNOPQRST");
        row("tlc today", "dbITLC", TlcanCol::Fecha, "150604", {}, "15/06/2004");
        row("tlc fraction of 9", "dbITLC", TlcanCol::Fraccion, "123456789", {tooLong(0)}, "123456789");
    }
    void cellLeft()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QStringList, messages);
        QFETCH(QString, kept);
        MessageBox::clearShown();
        BoundGrid *g = h_->typeInto(grid, column, typed);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        const QString cell = g->Columns(column).Value();
        QTest::keyClick(g, Qt::Key_Escape); // the next case starts from the stored row
        QCOMPARE(MessageBox::shownTexts(), messages);
        for (const MessageBox::Shown &s : shown)
            QVERIFY(s.title == "QUELVAR" && s.icon == MessageBox::Icon::Exclamation && !s.question);
        QCOMPARE(cell, kept);
    }

    // A returned quantity too long is reported again when the total value
    // beside it is left.
    void valueRechecksTheReturnedQuantity()
    {
        MessageBox::clearShown();
        h_->typeInto("dbMI", columnIndex(ImportCol::CantidadRetornada), "123456789");
        BoundGrid *g = h_->typeInto("dbMI", columnIndex(ImportCol::ValorTotal), "5");
        QTest::keyClick(g, Qt::Key_Escape);
        QCOMPARE(MessageBox::shownTexts(), (QStringList{tooLong(6), tooLong(6)}));
    }

    // A date complaint brings the focus back to the grid the user left for
    // another control; the cell keeps its text, and the row is written all
    // the same.
    void dateComplaintRefocusesTheGrid()
    {
        BoundGrid *g = h_->at("dbED", columnIndex(DirectExportCol::Fecha));
        MessageBox::clearShown();
        Window::keys(QStringLiteral("1")); // opens the cell
        QVERIFY(g->cellEditor());
        g->cellEditor()->selectAll();
        Window::keys(QStringLiteral("16/06/2004"));
        QTest::mouseClick(h_->text("txtRFC"), Qt::LeftButton); // leaving the grid takes the cell in
        QCOMPARE(MessageBox::shownTexts(), QStringList{kLate});
        QCoreApplication::processEvents();
        QCOMPARE(Window::focus(), g);
        QVERIFY(g->commitPendingRow());
        QCOMPARE(h_->rows("exporped").value(0).value("FECHA_PEDI").toString(), QStringLiteral("2004-06-16"));
        QCOMPARE(h_->rows("exporped").value(0).value("NO_PEDIMEN").toString(), QStringLiteral("123456789012345"));
        // A date without complaint lets the focus go where the user went.
        h_->at("dbED", columnIndex(DirectExportCol::Fecha));
        Window::keys(QStringLiteral("1"));
        g->cellEditor()->selectAll();
        Window::keys(QStringLiteral("140604"));
        QTest::mouseClick(h_->text("txtRFC"), Qt::LeftButton);
        QCOMPARE(Window::focus(), h_->text("txtRFC"));
        QVERIFY(g->commitPendingRow());
    }

    // Typing opens the list under the cell, the focus staying in the cell;
    // the list follows what is typed. A key typed in part is completed from
    // the list; one the catalogue does not have is kept as typed.
    void documentKeyIsPickedByTyping()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N")));
        QListWidget *keys = h.list("lstClave");
        QVERIFY(keys->isHidden());
        BoundGrid *imports = h.at("dbMI", columnIndex(ImportCol::Clave));
        h.keys(QStringLiteral("v"));
        QVERIFY(keys->isVisible());
        QVERIFY(imports->cellEditor() && h.focus() == imports->cellEditor());
        QCOMPARE(imports->Columns(ImportCol::Clave).Text(), QStringLiteral("V"));
        QVERIFY(h.current("lstClave").startsWith(u'V'));
        const QRect cell = imports->visualRect(imports->model()->index(0, columnIndex(ImportCol::Clave)));
        const QPoint under = imports->viewport()->mapTo(keys->parentWidget(), cell.bottomLeft());
        QVERIFY(qAbs(keys->geometry().top() - under.y()) <= 3 && qAbs(keys->geometry().left() - under.x()) <= 3);

        h.keys(QStringLiteral("1"));
        QCOMPARE(h.current("lstClave"), QStringLiteral("V1"));
        h.key(Qt::Key_Return); // "V1" confirmed empties the cell
        QCOMPARE(imports->Columns(ImportCol::Clave).Text(), QString());
        for (const auto &[typed, taken] : {std::pair{"a4", "A4"}, std::pair{"zz", "ZZ"}, std::pair{"a4z", "A4Z"}}) {
            h.at("dbMI", columnIndex(ImportCol::Clave));
            h.keys(QString::fromLatin1(typed));
            QCOMPARE(h.current("lstClave"), taken == QLatin1String("A4") ? QStringLiteral("A4") : QString());
            h.key(Qt::Key_Return);
            QCOMPARE(imports->Columns(ImportCol::Clave).Text(), QString::fromLatin1(taken));
            QVERIFY(keys->isHidden());
        }
        QVERIFY(MessageBox::shownTexts().isEmpty());
    }

    // The tariff item picked brings its rate, and its cost when the row is
    // written (into the unit cost as well, with a payment date); an item
    // the unit costs do not have keeps what was typed and takes no rate.
    void tariffItemBringsItsRateAndCost()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N")));
        BoundGrid *imports = h.at("dbMI", columnIndex(ImportCol::Fraccion));
        QListWidget *fractions = h.list("lstFraccion");
        h.keys(QStringLiteral("99999999"));
        QVERIFY(fractions->isVisible());
        QCOMPARE(h.current("lstFraccion"), QString());
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(ImportCol::Fraccion).Text(), QStringLiteral("99999999"));
        QCOMPARE(imports->Columns(ImportCol::AdValorem).Value(), QString());
        QVERIFY(fractions->isHidden());

        h.at("dbMI", columnIndex(ImportCol::Fraccion));
        h.keys(QStringLiteral("7318"));
        // Twice the column's width, or as wide as its lines: the rate shows.
        QVERIFY(fractions->width() >= 2 * imports->Columns(ImportCol::Fraccion).Width());
        QCoreApplication::processEvents();
        QCOMPARE(fractions->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(h.current("lstFraccion"), kTornillos);
        h.key(Qt::Key_Return);
        QCOMPARE(imports->Columns(ImportCol::Fraccion).Text(), QStringLiteral("73181500"));
        QCOMPARE(imports->Columns(ImportCol::AdValorem).Value(), QStringLiteral("5"));
        QCOMPARE(h.window->fraccionRecordada(), kTornillos);

        h.at("dbMI", columnIndex(ImportCol::FechaPago));
        h.keys(QStringLiteral("010304"));
        h.key(Qt::Key_Return);
        QVERIFY(imports->commitPendingRow());
        QList<QVariantMap> rows = h.rows(QStringLiteral("insupedi"));
        QCOMPARE(rows.size(), 1);
        QStringList stored;
        for (const char *field : {"FEC_PAGO", "FRACCION", "TASA_ADVAL", "PU_MIMP", "COSTO_UNIT"})
            stored << rows[0].value(field).toString();
        QCOMPARE(stored, (QStringList{"2004-03-01", "73181500", "5", "2.25", "2.25"}));
        // A row whose tariff item was never picked keeps the price typed.
        h.at("dbMI", columnIndex(ImportCol::PrecioUnitario), 1);
        h.keys(QStringLiteral("99"));
        h.key(Qt::Key_Return);
        QVERIFY(imports->commitPendingRow());
        rows = h.rows(QStringLiteral("insupedi"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].value("PU_MIMP").toDouble(), 99.0);
    }

    // Which list a country cell opens (the imported goods' by the request
    // mode), and what Enter puts into the cell.
    void countryLists_data()
    {
        QTest::addColumn<QString>("merRet");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("country");
        const int mi = columnIndex(ImportCol::Pais);
        const QString usa = QStringLiteral("ESTADOS UNIDOS DE AMERICA");
        QTest::newRow("imports, not originating") << "N" << "dbMI" << mi << "lstPais" << "can" << "CANADA";
        QTest::newRow("imports, originating") << "O" << "dbMI" << mi << "lstPaisAux" << "can" << "CANADA";
        QTest::newRow("direct exports")
            << "N" << "dbED" << columnIndex(DirectExportCol::PaisDestino) << "lstPaisAux" << "estados" << usa;
        QTest::newRow("TLCAN imports")
            << "N" << "dbITLC" << columnIndex(TlcanCol::PaisImportador) << "lstPaisAux" << "estados" << usa;
    }
    void countryLists()
    {
        QFETCH(QString, merRet);
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(QString, country);
        Window h;
        QVERIFY(h.start(merRet));
        BoundGrid *g = h.at(grid, column);
        h.keys(typed);
        QVERIFY(h.list(list)->isVisible());
        QCOMPARE(h.current(list), country);
        QCOMPARE(g->Columns(column).Text(), typed.toUpper());
        h.key(Qt::Key_Return);
        QCOMPARE(g->Columns(column).Text(), country);
        QVERIFY(h.list(list)->isHidden());
    }

    // The cell button opens the list on its first line; a click in the grid,
    // Esc or the focus leaving the list hides it; a double click confirms.
    void listOpensByTheButtonAndHides()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N")));
        const int pais = columnIndex(ImportCol::Pais);
        BoundGrid *imports = h.at("dbMI", pais);
        QListWidget *countries = h.list("lstPais");
        Window::click(imports, pais, true);
        QVERIFY(countries->isVisible());
        QCOMPARE(countries->currentRow(), 0);
        Window::click(imports, columnIndex(ImportCol::Pedimento), false);
        QVERIFY(countries->isHidden());

        // The list takes the focus without ending the cell; Esc hides it, the
        // focus goes back to the cell, which keeps what was typed.
        h.at("dbMI", pais);
        h.keys(QStringLiteral("me"));
        countries->setFocus(Qt::MouseFocusReason);
        QVERIFY(imports->cellEditor());
        QTest::keyClick(countries, Qt::Key_Escape);
        QVERIFY(countries->isHidden());
        QCOMPARE(imports->Columns(pais).Text(), QStringLiteral("ME"));
        QCOMPARE(h.focus(), imports->cellEditor());

        Window::click(imports, pais, true);
        countries->setFocus(Qt::MouseFocusReason);
        QListWidgetItem *mexico = countries->findItems(QStringLiteral("MEXICO"), Qt::MatchExactly).value(0);
        QVERIFY(mexico);
        countries->scrollToItem(mexico);
        const QPoint line = countries->visualItemRect(mexico).center();
        QTest::mouseClick(countries->viewport(), Qt::LeftButton, {}, line);
        QTest::mouseDClick(countries->viewport(), Qt::LeftButton, {}, line);
        QVERIFY(countries->isHidden());
        QCOMPARE(imports->Columns(pais).Text(), QStringLiteral("MEXICO"));

        Window::click(imports, pais, true);
        countries->setFocus(Qt::MouseFocusReason);
        h.text(QStringLiteral("txtRFC"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(countries->isHidden());
    }

    // A country confirmed on a tab without a country column goes nowhere.
    void countryOnATabWithoutCountriesWritesNothing()
    {
        h_->at("dbEI", columnIndex(IndirectExportCol::Documento));
        QListWidget *countries = h_->list("lstPais");
        countries->setCurrentRow(3);
        countries->show();
        countries->setFocus();
        QTest::keyClick(countries, Qt::Key_Return);
        QVERIFY(countries->isHidden());
        for (const char *name : {"dbMI", "dbED", "dbEI", "dbITLC"})
            QVERIFY2(!h_->grid(name)->recordModel()->hasPendingRow(), name);
    }

    // The longest text a user may type shows whole at the window's usual
    // size, beside the cell button, which the picker columns alone have; a
    // longer name shows whole in the cell's tool-tip. Headings small, cells
    // centred.
    void gridsShowTheirTexts()
    {
        const QString korea = QStringLiteral("COREA DEL NORTE (REPUBLICA POPULAR DEMOCRATICA DE COREA)");
        Window h;
        QVERIFY(h.start(QStringLiteral("N"),
                        {{"insunit", {{{"FRACCION", "01020304"}, {"COSTO_UNIT", 999999999999.0}}}},
                         {"insupedi",
                          {{{"TIPO", "A1"}, {"NUM_DOCUME", "123456789012345"}, {"FEC_PAGO", QDate(2004, 12, 28)},
                            {"FRACCION", "73181500"}, {"PU_MIMP", 999999999999.0}, {"TASA_ADVAL", 10.5},
                            {"PAIS_IMPOR", "ESTADOS UNIDOS DE AMERICA"}, {"MONT_SOLIC", 123456789012.125}}}},
                         {"exporped", {{{"NO_PEDIMEN", "987654321098765"}, {"PAIS_EXPOR", korea}}}},
                         {"factura", {{{"NODOC", "123456789012345"}, {"VALTOTNP", 999999999999.99}}}}}));
        h.window->resize(1366, 768);
        const int margin = h.window->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
        int shown = 0;
        for (const char *name : {"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"}) {
            BoundGrid *g = h.grid(name);
            for (int column = 0; column < g->ColumnsCount(); ++column) {
                const GridCellRules::CellRule *rule = GridCellRules::ruleOf(name, column);
                QCOMPARE(g->Columns(column).Button(), rule && rule->hasButton());
                const QString text = g->model()->index(0, column).data().toString();
                if (text.isEmpty() || text == korea)
                    continue;
                ++shown;
                const int button = g->Columns(column).Button() ? std::min(g->RowHeight(), 18) : 0;
                const int line = g->showGrid() ? 1 : 0; // the grid line takes the cell's last pixel
                const int needed = QFontMetrics(g->font()).horizontalAdvance(text) + 2 * margin + button + line;
                QVERIFY2(needed <= g->Columns(column).Width(),
                         qPrintable(QStringLiteral("%1(%2) «%3»").arg(name).arg(column).arg(text)));
            }
        }
        QVERIFY(shown >= 13);
        BoundGrid *exports = h.grid("dbED");
        const auto tip = [exports](DirectExportCol c) {
            return exports->cellToolTip(exports->model()->index(0, columnIndex(c)));
        };
        QVERIFY(tip(DirectExportCol::PaisDestino).startsWith(korea));
        QVERIFY(!tip(DirectExportCol::Pedimento).contains(QStringLiteral("987654321098765")));
    }
};

QUELVAR_TEST_CLASS(TestGridCells)
#include "test_grid_cells.moc"
