// The named grid columns and the table of cell rules, without a window: the
// names stand on the columns they name, the length each cell allows and its
// message, and every rule of the table can be carried out.
#include "rules/grid_cell_rules.h"
#include "rules/grid_columns.h"
#include "rules/window_texts.h"

#include <QTest>

class TestGridCellRules : public QObject {
    Q_OBJECT
private slots:
    void namesStandOnTheirColumns_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("last");
        QTest::newRow("unit cost") << "dbCU" << columnIndex(UnitCostCol::CostoUnit) << "COSTO_UNIT" << false;
        QTest::newRow("unit cost rate") << "dbCU" << columnIndex(UnitCostCol::TasaAdValorem) << "TASA_ADVAL" << true;
        QTest::newRow("import country") << "dbMI" << columnIndex(ImportCol::Pais) << "PAIS_IMPOR" << false;
        // The balances come before the value in the grid, not in the table.
        QTest::newRow("import value") << "dbMI" << columnIndex(ImportCol::ValorTotal) << "VAL_TOT_IN" << false;
        QTest::newRow("import balance") << "dbMI" << columnIndex(ImportCol::SaldoValor) << "SALDO_VAL" << false;
        QTest::newRow("import amount") << "dbMI" << columnIndex(ImportCol::MontSolic) << "MONT_SOLIC" << true;
        QTest::newRow("direct country") << "dbED" << columnIndex(DirectExportCol::PaisDestino) << "PAIS_EXPOR" << false;
        QTest::newRow("direct balance") << "dbED" << columnIndex(DirectExportCol::SaldoDocumento) << "SDO_DOCU" << true;
        QTest::newRow("indirect dollars")
            << "dbEI" << columnIndex(IndirectExportCol::ValorUtilizadoDls) << "VALREPDLL" << false;
        QTest::newRow("indirect exporter")
            << "dbEI" << columnIndex(IndirectExportCol::ExportadorFinal) << "NOM_EXPIDE" << true;
        QTest::newRow("tlcan rate") << "dbITLC" << columnIndex(TlcanCol::AdValorem) << "TASA_ADVAL" << false;
        QTest::newRow("tlcan amount") << "dbITLC" << columnIndex(TlcanCol::MontSolic) << "MONT_SOLIC" << true;
    }
    void namesStandOnTheirColumns()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, field);
        QFETCH(bool, last);
        const GridDefinition *def = GridColumns::grid(grid);
        QVERIFY(def);
        QCOMPARE(def->columns.value(column).field, field);
        if (last)
            QCOMPARE(def->columns.size(), column + 1);
    }

    void lengths_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("message"); // entry of the length messages, -1: none
        const auto row = [](const char *grid, auto column, int length, int message) {
            QTest::addRow("%s(%d) of %d", grid, columnIndex(column), length)
                << grid << columnIndex(column) << length << message;
        };
        row("dbCU", UnitCostCol::Descripcion, 31, 1);
        row("dbCU", UnitCostCol::Descripcion, 30, -1);
        row("dbCU", UnitCostCol::TasaAdValorem, 7, 2);
        row("dbCU", UnitCostCol::TasaAdValorem, 6, -1);
        row("dbCU", UnitCostCol::CostoUnit, 13, -1); // a rule of its own
        row("dbMI", ImportCol::Pedimento, 16, -1);   // a rule of its own
        row("dbMI", ImportCol::FechaPago, 11, 4);
        row("dbMI", ImportCol::FechaPago, 10, -1);
        row("dbMI", ImportCol::PrecioUnitario, 13, 5);
        row("dbMI", ImportCol::PrecioUnitario, 12, -1);
        row("dbMI", ImportCol::CantidadImportada, 9, 6);
        row("dbMI", ImportCol::CantidadImportada, 8, -1);
        row("dbMI", ImportCol::CantidadRetornada, 9, 6);
        row("dbMI", ImportCol::ValorTotal, 20, 7);
        row("dbMI", ImportCol::ValorTotal, 19, -1);
        row("dbMI", ImportCol::ValorIncorporado, 20, 7);
        row("dbMI", ImportCol::MontSolic, 30, -1);
        row("dbED", DirectExportCol::Fecha, 11, 4);
        row("dbED", DirectExportCol::CantidadTotal, 9, 6);
        row("dbED", DirectExportCol::CantidadExportada, 9, 6);
        row("dbED", DirectExportCol::CantidadExportada, 8, -1);
        row("dbED", DirectExportCol::ValorTotal, 13, 7);
        row("dbED", DirectExportCol::ValorTotal, 12, -1);
        row("dbED", DirectExportCol::ValorUtilizado, 13, 7);
        row("dbEI", IndirectExportCol::Documento, 16, 8);
        row("dbEI", IndirectExportCol::Documento, 15, -1);
        row("dbEI", IndirectExportCol::Fecha, 11, 4);
        row("dbEI", IndirectExportCol::CantidadTotal, 9, 6);
        row("dbEI", IndirectExportCol::CantidadUtilizada, 9, 6);
        for (auto column : {IndirectExportCol::ValorTotal, IndirectExportCol::ValorUtilizado,
                            IndirectExportCol::ValorTotalDls, IndirectExportCol::ValorUtilizadoDls}) {
            row("dbEI", column, 13, 7);
            row("dbEI", column, 12, -1);
        }
        row("dbEI", IndirectExportCol::ExportadorFinal, 21, 9);
        row("dbEI", IndirectExportCol::ExportadorFinal, 20, -1);
        row("dbITLC", TlcanCol::Fraccion, 9, 0);
        row("dbITLC", TlcanCol::Fraccion, 8, -1);
        row("dbITLC", TlcanCol::Fecha, 11, 4);
        row("dbITLC", TlcanCol::CantidadImportada, 9, 6);
        row("dbITLC", TlcanCol::PrecioUnitario, 13, 5);
        row("dbITLC", TlcanCol::PrecioUnitario, 12, -1);
        row("dbITLC", TlcanCol::AdValorem, 3, 2);
        row("dbITLC", TlcanCol::AdValorem, 2, -1);
        row("dbITLC", TlcanCol::MontSolic, 13, 10);
        row("dbITLC", TlcanCol::MontSolic, 12, -1);
    }
    void lengths()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(int, length);
        QFETCH(int, message);
        const QStringList messages = WindowTexts::gridLengthMessages();
        const QString expected = message < 0 ? QString() : messages.value(message) + " Rectifica por favor";
        QCOMPARE(GridCellRules::lengthComplaint(grid, column, QString(length, u'1'), messages), expected);
    }

    void everyRuleCanBeCarriedOut()
    {
        const int messages = int(WindowTexts::gridLengthMessages().size());
        for (const GridDefinition &g : GridColumns::grids()) {
            const QList<GridCellRules::CellRule> &rules = GridCellRules::rulesOf(g.name);
            QVERIFY2(!rules.isEmpty(), qPrintable(g.name));
            int previous = -1;
            for (const GridCellRules::CellRule &r : rules) {
                const QString where = QStringLiteral("%1(%2)").arg(g.name).arg(r.column);
                // One rule per cell, in column order, on a column of the grid.
                QVERIFY2(r.column > previous && r.column < g.columns.size(), qPrintable(where));
                previous = r.column;
                QCOMPARE(GridCellRules::ruleOf(g.name, r.column), &r);
                // A limit comes with its message, and a message with a limit.
                QCOMPARE(r.maxLength > 0, r.lengthMessage >= 0);
                QVERIFY2(r.lengthMessage < messages, qPrintable(where));
                if (r.date)
                    QCOMPARE(r.maxLength, GridCellRules::kDateLength);
            }
        }
        QVERIFY(GridCellRules::rulesOf(QStringLiteral("dbXX")).isEmpty());
        QCOMPARE(GridCellRules::ruleOf(QStringLiteral("dbMI"), columnIndex(ImportCol::Pedimento)), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestGridCellRules)
#include "test_grid_cell_rules.moc"
