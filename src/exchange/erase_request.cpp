// Erasing the request (or everything) and putting zeros into the computed
// fields.
#include "window/frm_quelvar.h"

#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_choices.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/field_edit.h"

#include <QComboBox>
#include <QRadioButton>

bool FrmQuelvar::BorraInformacion(quint8 accion)
{
    try {
        EstableceLigas();
        QList<DataLink *> emptied;
        if (accion == 0)
            emptied.append(links_->dtsEmpresas);
        emptied += {links_->dtsImpTLC, links_->dtsFactura, links_->dtsExporped, links_->dtsInsunit,
                    links_->dtsInsupedi, links_->dtsSolicitu};
        for (DataLink *link : std::as_const(emptied))
            if (Recordset *rs = link->recordset())
                EliminaRegistros(*rs);

        for (QComboBox *c : {cmbTDevolucion, cmbTSolicitud, cmbTExportacion})
            c->setCurrentIndex(-1);
        // Nothing of the erased request may reach the next save: no request
        // type chosen, and the folio boxes empty and open, as for a new
        // request.
        for (QRadioButton *option : std::as_const(opcTSolicitud)) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
        for (const char *name : {"txtFolio", "txtFolioA"}) {
            txt(QString::fromLatin1(name))->setText(QString());
            txt(QString::fromLatin1(name))->setEnabled(true);
        }
        RequestChoices::removeRefundType(folder_);
        if (accion == 0)
            for (QComboBox *c : {cmbEdo, cmbActFiscal, cmbBanco})
                c->setCurrentIndex(-1);
        cmbUM->setCurrentIndex(-1);

        EstableceVisiblesTab(QStringLiteral("111111111"));
        EstableceLigas();
        links_->syncRequestTables();
        ColocaCeros(1);
        return true;
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudo borrar la información de la solicitud."), e.message());
        return false;
    }
}

void FrmQuelvar::ColocaCeros(quint8 aCero)
{
    if (aCero == 1)
        for (const char *name : {"txtMPN", "txtCIN", "txtMPE", "txtCIE", "txtCNIN", "txtEN", "txtSN", "txtDN"})
            txt(QString::fromLatin1(name))->setText(QStringLiteral("0"));
    for (const char *name : {"txtTCU", "txtTO", "txtTNO", "txtTED(0)", "txtTED(1)", "txtTED(2)", "txtTED(3)",
                             "txtTEI(0)", "txtTEI(1)", "txtTEI(2)", "txtTEI(3)", "txtTLCAN(0)", "txtTLCAN(1)"})
        txt(QString::fromLatin1(name))->setText(QStringLiteral("0"));
}
