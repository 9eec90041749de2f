// The record model under the grids, without a grid: cell texts, the pending
// row and when it reaches the table, deleting, following the link, and a
// large table read on demand. What the user sees of it through the keys is
// TestGridEvents'.

#include "test_registry.h"
#include "table_files.h"

#include "rules/grid_columns.h"
#include "grids/record_table_model.h"
#include "store/store_error.h"

#include <QAbstractItemModelTester>
#include <QDate>
#include <QSet>
#include <QTableView>
#include <QTest>

namespace {

const QString kUnit = QStringLiteral("insunit");

QList<GridColumn> columnsOf(const char *grid) { return GridColumns::grid(QLatin1String(grid))->columns; }

QString text(const QAbstractItemModel &m, int row, int column) { return m.index(row, column).data().toString(); }

QVariantMap unitCost(int n)
{
    return {{QStringLiteral("FRACCION"), QString::number(n)}, {QStringLiteral("COSTO_UNIT"), n}};
}

bool set(RecordTableModel &m, int row, int column, const QString &value)
{
    return m.setData(m.index(row, column), value);
}

class CountingModel : public RecordTableModel {
public:
    using RecordTableModel::RecordTableModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        rowsRead.insert(index.row());
        return RecordTableModel::data(index, role);
    }
    mutable QSet<int> rowsRead;
};

} // namespace

class TestRecordTableModel : public QObject {
    Q_OBJECT

private slots:
    void gridColumnsNameFieldsOfTheirTables()
    {
        RequestTables t;
        for (const GridDefinition &g : GridColumns::grids()) {
            Recordset *rs = t.links.link(g.linkName)->recordset();
            for (const GridColumn &c : g.columns)
                QVERIFY2(rs->fieldIndex(c.field) >= 0, qPrintable(g.name + u' ' + c.field));
        }
    }

    void cellTexts()
    {
        RequestTables t;
        t.add(QStringLiteral("insupedi"), t.links.dtsInsupedi,
              {{{QStringLiteral("FEC_PAGO"), QDate(2026, 3, 9)},
                {QStringLiteral("PU_MIMP"), 1234.5},
                {QStringLiteral("CAN_MIMP"), 0},
                {QStringLiteral("VAL_TOT_IN"), -0.125}}});
        RecordTableModel model(t.links.dtsInsupedi, columnsOf("dbMI"));
        QAbstractItemModelTester tester(&model);

        const QStringList texts{text(model, 0, kMiFechaPago), text(model, 0, kMiPrecio), text(model, 0, kMiCantidad),
                                text(model, 0, kMiValor), text(model, 0, kMiRetornada)};
        QCOMPARE(texts, QStringList({"09/03/2026", "1234.5", "0", "-0.125", ""}));
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), RecordTableModel::newRecordMark());
    }

    // When the pending row is written, through the keys, is TestGridEvents';
    // here, what is written, and a refused one kept.
    void pendingRowTexts()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        t.add(kUnit, link, {unitCost(1), unitCost(2)});
        RecordTableModel model(link, columnsOf("dbCU"));
        QAbstractItemModelTester tester(&model);
        QVERIFY(set(model, 1, kCosto, QStringLiteral("2"))); // unchanged text: no edit
        QVERIFY(!model.hasPendingRow());
        QVERIFY(set(model, 0, kCosto, QStringLiteral("1,234.5")));
        QVERIFY(set(model, 0, kFraccion, QString()));
        QVERIFY(model.commitPendingRow());
        QCOMPARE(t.stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(1234.5));
        QCOMPARE(t.stored(kUnit, 0, QStringLiteral("FRACCION")), QVariant()); // empty text is null

        QVERIFY(set(model, 2, kFraccion, QStringLiteral("8")));
        QVERIFY(set(model, 2, kFraccion, QString()));
        model.commitPendingRow(); // typed and erased on the new-record line: no blank record
        QCOMPARE(t.count(kUnit), 2L);

        QVERIFY(set(model, 0, kCosto, QStringLiteral("diez")));
        QVERIFY_THROWS_EXCEPTION(StoreError, link->Refresh());
        QCOMPARE(text(model, 0, kCosto), QStringLiteral("diez"));
        QCOMPARE(link->recordset()->editMode(), Recordset::EditMode::None);
        model.discardPendingRow();
        link->setRecordSource(QString());
        link->Refresh();
        QCOMPARE(model.rowCount(), 0);
    }

    void deletingMovesThePendingRowWithItsRecord()
    {
        RequestTables t;
        t.add(kUnit, t.links.dtsInsunit, {unitCost(1), unitCost(2), unitCost(3)});
        RecordTableModel model(t.links.dtsInsunit, columnsOf("dbCU"));
        QAbstractItemModelTester tester(&model);
        QVERIFY(set(model, 2, kCosto, QStringLiteral("33")));
        model.deleteRow(0);
        QCOMPARE(model.pendingRow(), 1);
        model.commitPendingRow();
        QCOMPARE(t.count(kUnit), 2L);
        QCOMPARE(t.stored(kUnit, 1, QStringLiteral("COSTO_UNIT")), QVariant(33.0));

        QVERIFY(set(model, 2, kFraccion, QStringLiteral("4")));
        model.deleteRow(2); // the new-record line: only its texts go
        QVERIFY(!model.hasPendingRow());
        QCOMPARE(model.rowCount(), 3);
    }

    // Rows are read where they lie, beside the current record, which stays.
    void largeTableIsReadOnDemand()
    {
        RequestTables t;
        constexpr int kRecords = 100000;
        t.add(QStringLiteral("insupedi"), t.links.dtsInsupedi, {{{QStringLiteral("MONT_SOLIC"), 2.5}}});
        repeatFirstRecord(t.file(QStringLiteral("insupedi")), kRecords, QStringLiteral("NUM_DOCUME"));
        t.links.dtsInsupedi->Refresh();
        Recordset *rs = t.links.dtsInsupedi->recordset();
        rs->MoveFirst();

        CountingModel model(t.links.dtsInsupedi, columnsOf("dbMI"));
        QTableView view;
        view.setModel(&model);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.grab();
        QCOMPARE(model.rowCount(), kRecords + 1);
        QVERIFY2(!model.rowsRead.isEmpty() && model.rowsRead.size() < 100,
                 qPrintable(QString::number(model.rowsRead.size())));
        QCOMPARE(text(model, kRecords - 1, kMiDocumento), QString::number(kRecords));
        QCOMPARE(text(model, kRecords - 1, kMiMontoSolicitado), QStringLiteral("2.5"));
        QCOMPARE(rs->currentRow(), 0);
    }
};

QUELVAR_TEST_CLASS(TestRecordTableModel)
#include "test_record_table_model.moc"
