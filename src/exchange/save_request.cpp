// Saving the request: the company and request records with the choices of
// the header and lists that are not bound to a field.
#include "window/frm_quelvar.h"

#include "platform/message_box.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_choices.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/field_edit.h"

#include <QComboBox>
#include <QRadioButton>

namespace {

void beginEdit(Recordset &rs)
{
    if (rs.Eof())
        rs.AddNew();
    else
        rs.Edit();
}

// Leaves no record of the two in edit mode after a failed save.
void cancelEdits(RequestLinks *links)
{
    for (DataLink *link : {links->dtsEmpresas, links->dtsSolicitu})
        if (Recordset *rs = link->recordset(); rs && rs->editMode() != Recordset::EditMode::None)
            rs->CancelUpdate();
}

} // namespace

bool FrmQuelvar::GuardaInformacion()
{
    try {
        // Pending edits of the fields and grid rows reach their tables, and
        // each set is opened again on its first record.
        for (DataLink *link : {links_->dtsEmpresas, links_->dtsSolicitu, links_->dtsInsupedi, links_->dtsExporped,
                               links_->dtsFactura, links_->dtsImpTLC})
            link->Refresh();

        Recordset &empresas = links_->dtsEmpresas->openRecordset();
        Recordset &solicitu = links_->dtsSolicitu->openRecordset();
        beginEdit(empresas);
        beginEdit(solicitu);

        const RequestChoices::Codes codes = RequestChoices::encode(headerChoices());
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
        if (cmbEdo->currentIndex() >= 0 && cmbEdo->currentData().isValid())
            empresas.Fields(4).setValue(cmbEdo->currentData());
        empresas.Fields(QStringLiteral("BANCO")).setValue(cmbBanco->currentText());
        if (cmbActFiscal->currentIndex() >= 0)
            empresas.Fields(QStringLiteral("Sector")).setValue(cmbActFiscal->currentData());
        solicitu.Fields(QStringLiteral("Unidad")).setValue(cmbUM->currentText());

        empresas.Update();
        solicitu.Update();

        EstableceLigas();
        // A save is on disk when it is reported done: a power cut after it
        // loses nothing.
        links_->syncRequestTables();
        // The refund type a transfer's "T" hides, beside the tables.
        RequestChoices::writeRefundType(folder_, codes.keptRefundType);
        return true;
    } catch (const StoreError &e) {
        cancelEdits(links_);
        showStoreFailure(QStringLiteral("No se pudo guardar la información de la solicitud; lo que no se guardó "
                                        "sigue en pantalla."),
                         e.message());
        return false;
    }
}
