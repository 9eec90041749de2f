// The named grid columns and the table of cell rules, without a window: the
// names stand on the columns they name, every rule of the table can be
// carried out, and a cell's length complaint follows its rule.
#include "test_registry.h"
#include "rules/grid_cell_rules.h"
#include "rules/grid_columns.h"
#include "rules/window_texts.h"

#include <QTest>

class TestGridCellRules : public QObject {
    Q_OBJECT
private slots:
    // Where the grid order leaves the table's field order, and the last name
    // of each grid on its last column (a name left out or added shifts it).
    void namesStandOnTheirColumns_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("last");
        QTest::newRow("unit cost rate") << "dbCU" << columnIndex(UnitCostCol::TasaAdValorem) << "TASA_ADVAL" << true;
        // The balances come before the amount in the grid, not in the table.
        QTest::newRow("import value") << "dbMI" << columnIndex(ImportCol::ValorTotal) << "VAL_TOT_IN" << false;
        QTest::newRow("import balance") << "dbMI" << columnIndex(ImportCol::SaldoValor) << "SALDO_VAL" << false;
        QTest::newRow("import amount") << "dbMI" << columnIndex(ImportCol::MontSolic) << "MONT_SOLIC" << true;
        QTest::newRow("direct balance") << "dbED" << columnIndex(DirectExportCol::SaldoDocumento) << "SDO_DOCU" << true;
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

    // The complaint comes from the cell's own rule, past its limit only; the
    // first message is a message too. Which limit each cell has is the
    // table's; the window tests try them.
    void lengthComplaint_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("message"); // entry of the length messages, -1: none
        const auto row = [](const char *name, const char *grid, auto column, int length, int message) {
            QTest::newRow(name) << grid << columnIndex(column) << length << message;
        };
        row("over the limit", "dbEI", IndirectExportCol::ExportadorFinal, 21, 9);
        row("at the limit", "dbEI", IndirectExportCol::ExportadorFinal, 20, -1);
        row("first message", "dbITLC", TlcanCol::Fraccion, 9, 0);
        row("rule without a limit", "dbCU", UnitCostCol::CostoUnit, 13, -1);
        row("picker without a limit", "dbMI", ImportCol::Clave, 30, -1);
        row("no such grid", "dbXX", ImportCol::FechaPago, 11, -1);
    }
    void lengthComplaint()
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
    }
};

QUELVAR_TEST_CLASS(TestGridCellRules)
#include "test_grid_cell_rules.moc"
