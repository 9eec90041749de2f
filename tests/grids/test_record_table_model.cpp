// The grids' columns and the record model under them: cell texts, the pending
// row and when it reaches the table, deleting, following the link, and a
// large table read on demand.

#include "test_registry.h"
#include "table_files.h"

#include "rules/grid_columns.h"
#include "grids/record_table_model.h"
#include "store/store_error.h"

#include <QAbstractItemModelTester>
#include <QDate>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace {

const QString kUnit = QStringLiteral("insunit");

QVariantMap unitCost(const QString &fraccion, double costo)
{
    return {{QStringLiteral("FRACCION"), fraccion}, {QStringLiteral("COSTO_UNIT"), costo}};
}

QList<GridColumn> columnsOf(const char *grid) { return GridColumns::grid(QLatin1String(grid))->columns; }

QString text(const QAbstractItemModel &m, int row, int column) { return m.index(row, column).data().toString(); }

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

    void cellTextsAndRowMarks()
    {
        RequestTables t;
        t.add(QStringLiteral("insupedi"), t.links.dtsInsupedi,
              {{{QStringLiteral("FEC_PAGO"), QDate(2026, 3, 9)}, {QStringLiteral("PU_MIMP"), 1234.5},
                {QStringLiteral("CAN_MIMP"), 0}, {QStringLiteral("VAL_TOT_IN"), -0.125}}});
        QList<GridColumn> columns = columnsOf("dbMI");
        columns.append({QStringLiteral("Sin campo"), QStringLiteral("NO_EXISTE"), QString(), QString(), QString()});
        RecordTableModel model(t.links.dtsInsupedi, columns);
        QAbstractItemModelTester tester(&model);

        QCOMPARE(model.rowCount(), 2);
        const QStringList texts{text(model, 0, kMiFechaPago), text(model, 0, kMiPrecio),
                                text(model, 0, kMiCantidad), text(model, 0, kMiValor),
                                text(model, 0, kMiRetornada), text(model, 0, kMiTipo)};
        QCOMPARE(texts, QStringList({"09/03/2026", "1234.5", "0", "-0.125", "", ""}));

        const QModelIndex missing = model.index(0, int(columns.size()) - 1); // the column without a field
        QCOMPARE(missing.data().toString(), QString());
        QVERIFY(!(model.flags(missing) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(missing, QStringLiteral("x")));

        QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), RecordTableModel::newRecordMark());
        QVERIFY(model.setData(model.index(0, kMiCantidad), QStringLiteral("5")));
        QCOMPARE(model.headerData(0, Qt::Vertical).toString(), RecordTableModel::editingMark());
    }

    void pendingRowIsWrittenOnlyWhenAnotherRowIsEdited()
    {
        RequestTables t;
        t.add(kUnit, t.links.dtsInsunit, {unitCost("84719001", 10), unitCost("84719002", 20)});
        RecordTableModel model(t.links.dtsInsunit, columnsOf("dbCU"));
        QAbstractItemModelTester tester(&model);
        QSignalSpy written(&model, &RecordTableModel::rowWritten);
        const QByteArray before = t.bytes(kUnit);

        QVERIFY(model.setData(model.index(0, kCosto), QStringLiteral("1,234.5")));
        QVERIFY(model.setData(model.index(0, kDescrip), QStringLiteral("Tornillos")));
        QVERIFY(model.setData(model.index(1, kCosto), QStringLiteral("20"))); // unchanged text: no edit
        QCOMPARE(text(model, 0, kCosto), QStringLiteral("1,234.5"));
        QCOMPARE(t.bytes(kUnit), before);

        QVERIFY(model.setData(model.index(1, kFraccion), QString()));
        QCOMPARE(written.count(), 1);
        QCOMPARE(t.stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(1234.5));
        QCOMPARE(t.stored(kUnit, 0, QStringLiteral("DESCRIP")), QVariant(QStringLiteral("Tornillos")));
        QCOMPARE(text(model, 0, kCosto), QStringLiteral("1,234.5")); // the column's format
        QCOMPARE(model.index(0, kCosto).data(Qt::EditRole).toString(), QStringLiteral("1234.5"));
        model.commitPendingRow();
        QCOMPARE(t.stored(kUnit, 1, QStringLiteral("FRACCION")), QVariant()); // empty text is null

        QVERIFY(model.setData(model.index(2, kFraccion), QStringLiteral("8")));
        QVERIFY(model.setData(model.index(2, kFraccion), QString()));
        model.commitPendingRow(); // typed and erased on the new-record line: no blank record
        QCOMPARE(written.count(), 2);
        QCOMPARE(t.count(kUnit), 2L);
    }

    void linkRefreshWritesThePendingRow()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        t.add(kUnit, link, {unitCost("84719001", 10)});
        RecordTableModel model(link, columnsOf("dbCU"));
        QAbstractItemModelTester tester(&model);

        QVERIFY(model.setData(model.index(1, kFraccion), QStringLiteral("84719002")));
        link->Refresh();
        QCOMPARE(t.count(kUnit), 2L);
        QCOMPARE(model.rowCount(), 3);

        QVERIFY(model.setData(model.index(0, kCosto), QStringLiteral("diez")));
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
        t.add(kUnit, t.links.dtsInsunit, {unitCost("1", 1), unitCost("2", 2), unitCost("3", 3)});
        RecordTableModel model(t.links.dtsInsunit, columnsOf("dbCU"));
        QAbstractItemModelTester tester(&model);

        QVERIFY(model.setData(model.index(2, kCosto), QStringLiteral("33")));
        model.deleteRow(0);
        QCOMPARE(model.pendingRow(), 1);
        model.commitPendingRow();
        QCOMPARE(t.count(kUnit), 2L);
        QCOMPARE(t.stored(kUnit, 1, QStringLiteral("COSTO_UNIT")), QVariant(33.0));

        QVERIFY(model.setData(model.index(2, kFraccion), QStringLiteral("4")));
        model.deleteRow(2); // the new-record line: only its texts go
        QVERIFY(!model.hasPendingRow());
        QCOMPARE(model.rowCount(), 3);
    }

    void largeTableIsReadOnDemand()
    {
        RequestTables t;
        constexpr int kRecords = 100000;
        t.add(QStringLiteral("insupedi"), t.links.dtsInsupedi, {{{QStringLiteral("MONT_SOLIC"), 2.5}}});
        repeatFirstRecord(t.file(QStringLiteral("insupedi")), kRecords, QStringLiteral("NUM_DOCUME"));
        t.links.dtsInsupedi->Refresh();

        CountingModel model(t.links.dtsInsupedi, columnsOf("dbMI"));
        QTableView view;
        view.setModel(&model);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.grab();
        QCOMPARE(model.rowCount(), kRecords + 1);
        QVERIFY2(!model.rowsRead.isEmpty() && model.rowsRead.size() < 100, qPrintable(QString::number(model.rowsRead.size())));
        QCOMPARE(text(model, kRecords - 1, kMiDocumento), QString::number(kRecords));
        QCOMPARE(text(model, kRecords - 1, kMiMontoSolicitado), QStringLiteral("2.5"));
    }
};

QUELVAR_TEST_CLASS(TestRecordTableModel)
#include "test_record_table_model.moc"
