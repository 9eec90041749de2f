#include "request_writer.h"

#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "unfinished_work.h"

namespace {

void beginEdit(Recordset &rs)
{
    if (rs.Eof())
        rs.AddNew();
    else
        rs.Edit();
}

// Leaves no record of the two in edit mode after a failed save.
void cancelEdits(RequestLinks &links)
{
    for (DataLink *link : {links.dtsEmpresas, links.dtsSolicitu})
        if (Recordset *rs = link->recordset(); rs && rs->editMode() != Recordset::EditMode::None)
            rs->CancelUpdate();
}

} // namespace

RequestWriter::RequestWriter(RequestLinks &links, const QString &folder) : links_(links), folder_(folder) {}

void RequestWriter::save(const Unbound &values, const std::function<void()> &relink)
{
    // Rows typed in the grids reach their tables first, each whole as when
    // the user leaves it.
    for (DataLink *link : {links_.dtsInsupedi, links_.dtsExporped, links_.dtsFactura, links_.dtsImpTLC})
        link->Refresh();

    // The company's record, the request's and the refund type are one step:
    // the note keeps them as they were until all three are on the disk, and
    // a failure (or the next start, after a crash) puts them back.
    Recordset &empresas = links_.dtsEmpresas->openRecordset();
    Recordset &solicitu = links_.dtsSolicitu->openRecordset();
    const auto rewritten = [](Recordset &rs) {
        return std::pair{rs.table()->path(), rs.Eof() ? qint64(-1) : qint64(rs.recordOfRow(rs.currentRow()))};
    };
    const UnfinishedWork::SaveBefore before = UnfinishedWork::beforeSave(folder_, {rewritten(empresas), rewritten(solicitu)});
    UnfinishedWork::noteSave(folder_, before);
    QList<BoundEditor *> typed;
    try {
        // What the bound boxes hold goes into the two records, which the
        // choices and lists then complete: one write of each.
        typed = links_.dtsEmpresas->stagePendingEdits() + links_.dtsSolicitu->stagePendingEdits();
        for (Recordset *rs : {&empresas, &solicitu})
            if (rs->editMode() == Recordset::EditMode::None)
                beginEdit(*rs);

        const RequestChoices::Codes codes = RequestChoices::encode(values.choices);
        const std::pair<const char *, QVariant> fields[] = {{"OTipoExpor", codes.oTipoExpor},
                                                            {"Tipo_Expor", codes.tipoExpor},
                                                            {"Mer_Ret", codes.merRet},
                                                            {"tsol", codes.tsol},
                                                            {"folio", codes.folio}};
        for (const auto &[name, value] : fields)
            if (!value.isNull())
                solicitu.Fields(QString::fromLatin1(name)).setValue(value);

        // The state is written when chosen; a company not stored yet gets it
        // here.
        if (values.state)
            empresas.Fields(RequestSchema::kCompanyState).setValue(*values.state);
        empresas.Fields(QStringLiteral("BANCO")).setValue(values.bank);
        if (values.sector)
            empresas.Fields(QStringLiteral("Sector")).setValue(*values.sector);
        solicitu.Fields(QStringLiteral("Unidad")).setValue(values.unit);

        empresas.Update();
        solicitu.Update();
        // A save is on disk when it is reported done: a power cut after it
        // loses nothing.
        links_.syncRequestTables();
        // The refund type a transfer's "T" hides, beside the tables.
        RequestChoices::writeRefundType(folder_, codes.keptRefundType);
        UnfinishedWork::clear(folder_);
    } catch (const StoreError &e) {
        cancelEdits(links_);
        throw StoreError(e.message() + takeBack(before));
    }
    // The boxes let go of what they held only now that it is stored; until
    // then a failed save leaves it typed, to be saved again.
    for (BoundEditor *editor : std::as_const(typed))
        editor->pendingEditSaved();
    relink();
}

QString RequestWriter::takeBack(const UnfinishedWork::SaveBefore &before)
{
    try {
        const DataLink *written[] = {links_.dtsEmpresas, links_.dtsSolicitu};
        for (qsizetype i = 0; i < before.tables.size(); ++i) {
            Recordset &rs = written[i]->openRecordset();
            UnfinishedWork::undoTable(*rs.table(), before.tables[i].count, before.tables[i].replaced);
            rs.tableChanged();
            rs.MoveFirst();
        }
        UnfinishedWork::undoRefundType(folder_, before.refundType);
        UnfinishedWork::clear(folder_);
    } catch (const StoreError &) {
        return QStringLiteral(" No se pudo deshacer lo que alcanzó a guardarse: al iniciar de nuevo, el programa "
                              "dejará la empresa y la solicitud como estaban antes de guardar.");
    }
    return QStringLiteral(" La empresa y la solicitud quedaron como estaban antes de guardar.");
}

void RequestWriter::erase(bool everything)
{
    // The note first: a program that dies part-way leaves the rest to the
    // next start, never half a request.
    UnfinishedWork::noteErase(folder_, everything);
    try {
        QList<DataLink *> emptied;
        if (everything)
            emptied.append(links_.dtsEmpresas);
        emptied += {links_.dtsImpTLC, links_.dtsFactura, links_.dtsExporped, links_.dtsInsunit, links_.dtsInsupedi,
                    links_.dtsSolicitu};
        Q_ASSERT(emptied.size() == UnfinishedWork::erasedTables(everything).size());
        for (DataLink *link : std::as_const(emptied))
            if (Recordset *rs = link->recordset())
                EliminaRegistros(*rs);
        // The deletions are on the disk before the note goes.
        links_.syncRequestTables();
        RequestChoices::removeRefundType(folder_);
    } catch (const StoreError &) {
        // The program lives on and says what failed: no later start is to
        // erase what the user enters meanwhile.
        try {
            UnfinishedWork::clear(folder_);
        } catch (const StoreError &) {
        }
        throw;
    }
    UnfinishedWork::clear(folder_);
}
