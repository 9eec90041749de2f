// The grids' column tables and the record model under them: rows read on
// demand, cell texts, the pending row and when it reaches the table, the
// new-record line, deleting, and following the link.

#include "request_tables.h"

#include "grids/grid_columns.h"
#include "grids/record_table_model.h"
#include "store/store_error.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>

namespace {

const QList<GridColumn> &unitCostColumns() { return GridColumns::grid(QStringLiteral("dbCU"))->columns; }

QVariantMap unitCost(const QString &fraccion, const QVariant &costo, const QString &descrip = QString())
{
    QVariantMap r{{QStringLiteral("FRACCION"), fraccion}, {QStringLiteral("COSTO_UNIT"), costo}};
    if (!descrip.isEmpty())
        r.insert(QStringLiteral("DESCRIP"), descrip);
    return r;
}

// dbCU columns: 0 FRACCION, 1 DESCRIP, 2 COSTO_UNIT, 3 TASA_ADVAL.
constexpr int kFraccion = 0;
constexpr int kDescrip = 1;
constexpr int kCosto = 2;

QString text(const QAbstractItemModel &m, int row, int column) { return m.index(row, column).data().toString(); }

// Counts the rows whose cells were read.
class CountingModel : public RecordTableModel {
public:
    using RecordTableModel::RecordTableModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::DisplayRole)
            rowsRead.insert(index.row());
        return RecordTableModel::data(index, role);
    }
    mutable QSet<int> rowsRead;
};

} // namespace

class TestRecordTableModel : public QObject {
    Q_OBJECT

private slots:
    void everyGridColumnNamesAFieldOfItsTable()
    {
        RequestTables t;
        const QList<GridDefinition> &grids = GridColumns::grids();
        QStringList names;
        for (const GridDefinition &g : grids) {
            names.append(g.name);
            QCOMPARE(GridColumns::grid(g.name), &g);
            DataLink *link = t.links.link(g.linkName);
            QVERIFY2(link && link->recordset(), qPrintable(g.linkName));
            for (const GridColumn &c : g.columns) {
                QVERIFY2(link->recordset()->fieldIndex(c.field) >= 0, qPrintable(g.name + u' ' + c.field));
                QVERIFY(!c.caption.isEmpty() && !c.help.isEmpty());
            }
        }
        QCOMPARE(names, QStringList({"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"}));
        QVERIFY(!GridColumns::grid(QStringLiteral("dbcu")));

        // Grid order differs from field order in these two grids.
        const auto fieldsOf = [](const QString &grid) {
            QStringList fields;
            for (const GridColumn &c : GridColumns::grid(grid)->columns)
                fields.append(c.field);
            return fields;
        };
        QCOMPARE(fieldsOf(QStringLiteral("dbCU")), QStringList({"FRACCION", "DESCRIP", "COSTO_UNIT", "TASA_ADVAL"}));
        QCOMPARE(fieldsOf(QStringLiteral("dbMI")).mid(12), QStringList({"SALDO_CAN", "SALDO_VAL", "MONT_SOLIC"}));
        QCOMPARE(fieldsOf(QStringLiteral("dbITLC")).mid(5), QStringList({"TASA_ADVAL", "VAL_TOT_IN", "MONT_SOLIC"}));
        QCOMPARE(fieldsOf(QStringLiteral("dbED")).size(), 8);
        QCOMPARE(fieldsOf(QStringLiteral("dbEI")).size(), 9);
    }

    void cellTextsAndRowMarks()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsupedi;
        t.add(QStringLiteral("insupedi"), link,
              {{{QStringLiteral("NUM_DOCUME"), QStringLiteral("123456789012345")},
                {QStringLiteral("FEC_PAGO"), QDate(2026, 3, 9)},
                {QStringLiteral("PU_MIMP"), 1234.5},
                {QStringLiteral("CAN_MIMP"), 0},
                {QStringLiteral("VAL_TOT_IN"), -0.125}}});
        QList<GridColumn> columns = GridColumns::grid(QStringLiteral("dbMI"))->columns;
        columns.append({QStringLiteral("Sin campo"), QStringLiteral("NO_EXISTE"), QStringLiteral("ayuda")});
        RecordTableModel model(link, columns);
        QAbstractItemModelTester tester(&model);

        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(text(model, 0, 1), QStringLiteral("123456789012345"));
        QCOMPARE(text(model, 0, 2), QStringLiteral("09/03/2026"));
        QCOMPARE(text(model, 0, 5), QStringLiteral("1234.5"));
        QCOMPARE(text(model, 0, 7), QStringLiteral("0"));
        QCOMPARE(text(model, 0, 9), QStringLiteral("-0.125"));
        QCOMPARE(text(model, 0, 8), QString()); // null number
        QCOMPARE(text(model, 0, 0), QString()); // null text
        QCOMPARE(model.index(0, 8).data(Qt::EditRole).toString(), QString());
        QCOMPARE(model.index(0, 5).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight, Qt::AlignRight);

        // A column whose field the table lacks shows nothing and takes nothing.
        const QModelIndex missing = model.index(0, 15);
        QCOMPARE(missing.data().toString(), QString());
        QVERIFY(!(model.flags(missing) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(missing, QStringLiteral("x")));
        QVERIFY(model.flags(model.index(0, 5)) & Qt::ItemIsEditable);

        QCOMPARE(model.headerData(5, Qt::Horizontal).toString(), QStringLiteral("Precio Unitario M.N."));
        QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), RecordTableModel::newRecordMark());
        QVERIFY(model.setData(model.index(0, 7), QStringLiteral("5")));
        QCOMPARE(model.headerData(0, Qt::Vertical).toString(), RecordTableModel::editingMark());
        QVERIFY(RecordTableModel::editingMark() != RecordTableModel::newRecordMark());
    }

    void editsWaitUntilTheRowIsWritten()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        t.add(QStringLiteral("insunit"), link, {unitCost("84719001", 10), unitCost("84719002", 20)});
        RecordTableModel model(link, unitCostColumns());
        QAbstractItemModelTester tester(&model);
        QSignalSpy written(&model, &RecordTableModel::rowWritten);
        const QByteArray before = t.bytes(QStringLiteral("insunit"));

        QVERIFY(model.setData(model.index(0, kCosto), QStringLiteral("1,234.5")));
        QVERIFY(model.setData(model.index(0, kDescrip), QStringLiteral("Tornillos")));
        QCOMPARE(text(model, 0, kCosto), QStringLiteral("1,234.5")); // as typed while pending
        QCOMPARE(model.pendingRow(), 0);
        QCOMPARE(t.bytes(QStringLiteral("insunit")), before);

        // The same text an editor was opened with is no edit.
        QVERIFY(model.setData(model.index(1, kCosto), QStringLiteral("20")));
        QCOMPARE(model.pendingRow(), 0);

        // Editing another row writes the pending one first, once.
        QVERIFY(model.setData(model.index(1, kFraccion), QStringLiteral("")));
        QCOMPARE(written.count(), 1);
        QCOMPARE(written.at(0).at(0).toInt(), 0);
        QCOMPARE(t.stored(QStringLiteral("insunit"), 0, QStringLiteral("COSTO_UNIT")), QVariant(1234.5));
        QCOMPARE(t.stored(QStringLiteral("insunit"), 0, QStringLiteral("DESCRIP")), QVariant(QStringLiteral("Tornillos")));
        QCOMPARE(text(model, 0, kCosto), QStringLiteral("1234.5"));
        QCOMPARE(model.pendingRow(), 1);

        // Empty text is a null value.
        model.commitPendingRow();
        QCOMPARE(t.stored(QStringLiteral("insunit"), 1, QStringLiteral("FRACCION")), QVariant());
        QCOMPARE(t.stored(QStringLiteral("insunit"), 1, QStringLiteral("COSTO_UNIT")), QVariant(20.0));
        QVERIFY(!model.hasPendingRow());
        model.commitPendingRow(); // nothing pending: nothing written
        QCOMPARE(written.count(), 2);
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 2L);
    }

    void newRecordLineAddsARecordAndANewLineFollows()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        RecordTableModel model(link, unitCostColumns());
        QAbstractItemModelTester tester(&model);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(model.isNewRecordRow(0));

        // Typed and erased again: no blank record.
        QVERIFY(model.setData(model.index(0, kFraccion), QStringLiteral("8")));
        QVERIFY(model.setData(model.index(0, kFraccion), QString()));
        model.commitPendingRow();
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 0L);

        for (int i = 0; i < 2; ++i) {
            const int row = model.newRecordRow();
            QVERIFY(model.setData(model.index(row, kFraccion), QStringLiteral("8471900%1").arg(i)));
            QVERIFY(model.setData(model.index(row, kCosto), QStringLiteral("%1.5").arg(i)));
            model.commitPendingRow();
            QCOMPARE(model.rowCount(), row + 2);
            QCOMPARE(model.newRecordRow(), row + 1);
            QCOMPARE(text(model, row, kFraccion), QStringLiteral("8471900%1").arg(i));
            QCOMPARE(text(model, row + 1, kFraccion), QString());
        }
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 2L);
        QCOMPARE(t.stored(QStringLiteral("insunit"), 1, QStringLiteral("COSTO_UNIT")), QVariant(1.5));
    }

    void refusedValueKeepsWhatWasTyped()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        t.add(QStringLiteral("insunit"), link, {unitCost("84719001", 10)});
        RecordTableModel model(link, unitCostColumns());
        const QByteArray before = t.bytes(QStringLiteral("insunit"));

        for (int row : {0, 1}) { // a record, then the new-record line
            QVERIFY(model.setData(model.index(row, kDescrip), QStringLiteral("TUERCAS")));
            QVERIFY(model.setData(model.index(row, kCosto), QStringLiteral("abc")));
            try {
                model.commitPendingRow();
                QFAIL("a text in a numeric field was written");
            } catch (const StoreError &e) {
                QVERIFY2(e.message().contains(QLatin1String("COSTO_UNIT")), qPrintable(e.message()));
                QVERIFY(e.message().contains(QLatin1String("abc")));
            }
            QCOMPARE(t.bytes(QStringLiteral("insunit")), before);
            QCOMPARE(link->recordset()->editMode(), Recordset::EditMode::None);
            QCOMPARE(model.pendingRow(), row);
            QCOMPARE(text(model, row, kCosto), QStringLiteral("abc"));
            QCOMPARE(text(model, row, kDescrip), QStringLiteral("TUERCAS"));
            QCOMPARE(model.rowCount(), 2);

            // Another row cannot be edited while this one is refused.
            QVERIFY(!model.setData(model.index(1 - row, kDescrip), QStringLiteral("OTRA")));
            QCOMPARE(model.pendingRow(), row);
            model.discardPendingRow();
        }
    }

    void refreshOfTheLinkWritesThePendingRow()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        t.add(QStringLiteral("insunit"), link, {unitCost("84719001", 10)});
        RecordTableModel model(link, unitCostColumns());
        QAbstractItemModelTester tester(&model);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        QVERIFY(model.setData(model.index(1, kFraccion), QStringLiteral("84719002")));
        link->Refresh();
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 2L);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(!model.hasPendingRow());

        // A refused value stops the refresh; the typed text stays.
        QVERIFY(model.setData(model.index(0, kCosto), QStringLiteral("diez")));
        QVERIFY_THROWS_EXCEPTION(StoreError, link->Refresh());
        QCOMPARE(text(model, 0, kCosto), QStringLiteral("diez"));
        QCOMPARE(t.stored(QStringLiteral("insunit"), 0, QStringLiteral("COSTO_UNIT")), QVariant(10.0));

        // Detached, the model has no rows; a pending row is dropped then.
        model.discardPendingRow();
        link->setRecordSource(QString());
        link->Refresh();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.newRecordRow(), -1);
        QVERIFY(!model.setData(model.index(0, kCosto), QStringLiteral("1")));
    }

    void deletingRows()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsunit;
        t.add(QStringLiteral("insunit"), link, {unitCost("1", 1), unitCost("2", 2), unitCost("3", 3)});
        RecordTableModel model(link, unitCostColumns());
        QAbstractItemModelTester tester(&model);
        QSignalSpy deleted(&model, &RecordTableModel::rowDeleted);

        // A pending row below the deleted one moves up with its record.
        QVERIFY(model.setData(model.index(2, kCosto), QStringLiteral("33")));
        model.deleteRow(0);
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.pendingRow(), 1);
        QCOMPARE(text(model, 0, kFraccion), QStringLiteral("2"));
        model.commitPendingRow();
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 2L);
        QCOMPARE(t.stored(QStringLiteral("insunit"), 1, QStringLiteral("COSTO_UNIT")), QVariant(33.0));

        // Deleting the pending row drops its texts with it.
        QVERIFY(model.setData(model.index(0, kCosto), QStringLiteral("22")));
        model.deleteRow(0);
        QVERIFY(!model.hasPendingRow());
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 1L);

        // On the new-record line only the typed texts go.
        QVERIFY(model.setData(model.index(1, kFraccion), QStringLiteral("4")));
        model.deleteRow(1);
        QVERIFY(!model.hasPendingRow());
        QCOMPARE(deleted.count(), 2);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(t.storedCount(QStringLiteral("insunit")), 1L);
    }

    void largeTableOpensWithoutReadingItsRecords()
    {
        RequestTables t;
        DataLink *link = t.links.dtsInsupedi;
        constexpr int kRecords = 100000;
        fillByCopies(t.file(QStringLiteral("insupedi")), kRecords,
                     {{QStringLiteral("NUM_DOCUME"), QStringLiteral("x")}, {QStringLiteral("MONT_SOLIC"), 2.5}},
                     QStringLiteral("NUM_DOCUME"));
        link->Refresh();

        CountingModel model(link, GridColumns::grid(QStringLiteral("dbMI"))->columns);
        QTableView view;
        view.setModel(&model);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.grab();
        QCOMPARE(model.rowCount(), kRecords + 1);
        QVERIFY(!model.rowsRead.isEmpty());
        QVERIFY2(model.rowsRead.size() < 100, qPrintable(QString::number(model.rowsRead.size())));

        QCOMPARE(text(model, kRecords - 1, 1), QString::number(kRecords));
        QCOMPARE(text(model, kRecords - 1, 14), QStringLiteral("2.5"));
        view.scrollToBottom();
        view.grab();
        QVERIFY(model.rowsRead.contains(kRecords - 1));
        QVERIFY(model.rowsRead.size() < 200);
    }
};

QTEST_MAIN(TestRecordTableModel)
#include "test_record_table_model.moc"
