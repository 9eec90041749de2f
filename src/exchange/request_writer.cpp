#include "request_writer.h"

#include "store/data_link.h"
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
    try {
        // Pending edits of the fields and grid rows reach their tables, and
        // each set is opened again on its first record.
        for (DataLink *link : {links_.dtsEmpresas, links_.dtsSolicitu, links_.dtsInsupedi, links_.dtsExporped,
                               links_.dtsFactura, links_.dtsImpTLC})
            link->Refresh();

        Recordset &empresas = links_.dtsEmpresas->openRecordset();
        Recordset &solicitu = links_.dtsSolicitu->openRecordset();
        beginEdit(empresas);
        beginEdit(solicitu);

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

        relink();
        // A save is on disk when it is reported done: a power cut after it
        // loses nothing.
        links_.syncRequestTables();
        // The refund type a transfer's "T" hides, beside the tables.
        RequestChoices::writeRefundType(folder_, codes.keptRefundType);
    } catch (const StoreError &) {
        cancelEdits(links_);
        throw;
    }
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
