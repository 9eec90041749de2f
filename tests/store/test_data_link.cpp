// Data links: opening a request folder, record sources, refresh with the
// pending edits of bound controls, detaching.

#include "test_registry.h"
#include "table_files.h"

#include "store/data_link.h"
#include "store/store_error.h"

#include <QTest>
#include <QSignalSpy>

namespace {

// A bound text box as the link sees it: a value typed and not yet written.
class FakeEditor : public BoundEditor {
public:
    FakeEditor(QString field, QVariant typed) : field_(std::move(field)), typed_(std::move(typed)) {}
    bool hasPendingEdit() const override { return pending_; }
    void writePendingEdit(Recordset &rs) override { rs.Fields(field_).setValue(typed_); }
    void pendingEditSaved() override { pending_ = false; }
    void type(const QVariant &v)
    {
        typed_ = v;
        pending_ = true;
    }

private:
    QString field_;
    QVariant typed_;
    bool pending_ = true;
};

} // namespace

class TestDataLink : public QObject {
    Q_OBJECT

private slots:
    void linksOfTheWindow()
    {
        RequestTables t; // the request links are refreshed on a new folder
        QCOMPARE(t.links.link(QStringLiteral("dtsImpTLC")), t.links.dtsImpTLC);
        t.links.refreshCatalogues();
        for (DataLink *l : t.links.requestLinks()) {
            QVERIFY2(l->recordset() && l->recordset()->Eof(), qPrintable(l->name()));
            QCOMPARE(l->recordset()->RecordCount(), 0L);
        }
        QCOMPARE(t.links.dtsImpTLC->recordset()->tableName(), QStringLiteral("impTLC")); // found in any case
        QVERIFY(!t.links.dtsEstados->recordset()->Eof());
        QVERIFY(!t.links.dtsPaisAux->recordset()); // pointed at its table only when its list is filled
        t.links.syncRequestTables();
    }

    void queryRecordSourceAndDetaching()
    {
        RequestTables t;
        appendTexts(t.file(QStringLiteral("exporped")), {QStringLiteral("123456789012345")});
        DataLink aux(QStringLiteral("dtsAux"), QStringLiteral("FoxPro 2.5;"));
        QSignalSpy reopened(&aux, &DataLink::reopened);
        aux.setDatabaseName(t.folder);
        aux.setRecordSource(QStringLiteral("Select * from exporped"));
        aux.Refresh();
        QCOMPARE(aux.recordset()->RecordCount(), 1L);
        QCOMPARE(aux.recordset()->Fields(QStringLiteral("NO_PEDIMEN")).Value(),
                 QVariant(QStringLiteral("123456789012345")));

        aux.setRecordSource(QString());
        aux.Refresh();
        QVERIFY(!aux.recordset());
        QCOMPARE(reopened.count(), 2);
    }

    void missingTableIsReportedAndTheOldSetStays()
    {
        RequestTables t;
        DataLink *link = t.links.dtsFactura;
        Recordset *before = link->recordset();
        QFile::remove(t.file(QStringLiteral("factura")));
        try {
            link->Refresh();
            QFAIL("refresh of a missing table succeeded");
        } catch (const StoreError &e) {
            QVERIFY(e.message().contains(QLatin1String("Factura")));
            QVERIFY(e.message().contains(t.folder));
        }
        QCOMPARE(link->recordset(), before);
    }

    void refreshWritesPendingEditsFirst()
    {
        RequestTables t;
        DataLink &link = *t.links.dtsEmpresas;
        FakeEditor name(QStringLiteral("NOMBRE"), QStringLiteral("EXPORTADORA DEL NORTE"));
        FakeEditor rfc(QStringLiteral("RFC"), QStringLiteral(" END010101AB1"));
        link.addBoundEditor(&name);
        link.addBoundEditor(&rfc);

        // Typed over an empty table: the refresh adds the one record.
        link.Refresh();
        QVERIFY(!name.hasPendingEdit() && !rfc.hasPendingEdit());
        Recordset *rs = link.recordset();
        QCOMPARE(rs->RecordCount(), 1L);
        QCOMPARE(rs->Fields(QStringLiteral("RFC")).Value(), QVariant(QStringLiteral(" END010101AB1")));

        // Later edits change that record; a refresh with nothing typed writes nothing.
        name.type(QStringLiteral("EXPORTADORA DEL SUR"));
        link.Refresh();
        link.Refresh();
        rs = link.recordset();
        QCOMPARE(rs->RecordCount(), 1L);
        QCOMPARE(rs->Fields(QStringLiteral("NOMBRE")).Value(), QVariant(QStringLiteral("EXPORTADORA DEL SUR")));

        // A value the field refuses: nothing is written, every edit stays pending.
        name.type(QStringLiteral("OTRA"));
        rfc.type(QStringLiteral("DEMASIADO LARGO PARA EL RFC"));
        QVERIFY_THROWS_EXCEPTION(StoreError, link.Refresh());
        QVERIFY(name.hasPendingEdit() && rfc.hasPendingEdit());
        QCOMPARE(t.stored(QStringLiteral("empresas"), 0, QStringLiteral("NOMBRE")),
                 QVariant(QStringLiteral("EXPORTADORA DEL SUR")));
        rfc.type(QStringLiteral(" OTR010101AB1"));
        link.Refresh();
        QCOMPARE(link.recordset()->Fields(QStringLiteral("NOMBRE")).Value(), QVariant(QStringLiteral("OTRA")));
        link.removeBoundEditor(&name);
        link.removeBoundEditor(&rfc);
    }
};

QUELVAR_TEST_CLASS(TestDataLink)
#include "test_data_link.moc"
