// The commands of the bar under the request, and the save and erase they
// run.
#include "frm_quelvar.h"

#include "exchange/command_bar.h"
#include "exchange/request_writer.h"
#include "field_edit.h"
#include "platform/message_box.h"
#include "printing/frm_about.h"
#include "rules/completeness_review.h"
#include "store/store_error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QRadioButton>

void FrmQuelvar::cmdAccion_Click(int index)
{
    // A command acts on the request the window shows.
    if (!finishEditing())
        return;
    const QString asked = CommandBar::question(index);
    if (!asked.isEmpty() && !MessageBox::question(this, asked))
        return;
    switch (index) {
    case 1:
        showConsiderations();
        break;
    case 2:
        BorraInformacion(0);
        break;
    case 3:
        BorraInformacion(1);
        break;
    case 4:
        if (confirmAmount(4))
            GeneraRecupera(0);
        break;
    case 5:
        if (confirmAmount(5))
            ImprimeSolicitud(0);
        break;
    case 6:
        GuardaInformacion();
        break;
    case 7:
        GeneraRecupera(1);
        break;
    case 8: {
        FrmAbout about(this);
        about.exec();
        // Coming back from a window of the program reloads the stored choices.
        Form_Activate();
        break;
    }
    default:
        // Any other index does nothing.
        break;
    }
}

bool FrmQuelvar::confirmAmount(int command)
{
    if (ContinuaRev() != 0)
        return false;
    // A transfer proved by a certificate names the annex it presents.
    QCheckBox *annexB = ctl<QCheckBox>(QStringLiteral("chkAnexoB"));
    if (command == 4 && opcTSolicitud[1]->isChecked() && !annexB->isChecked()
        && !ctl<QCheckBox>(QStringLiteral("chkAnexoC"))->isChecked() && cmbTExportacion->currentIndex() == 0
        && cmbTDevolucion->currentIndex() == 0) {
        MessageBox::information(this, CompletenessReview::kAnnexRequired);
        SSTabDatos->setCurrentIndex(7);
        annexB->setFocus(Qt::OtherFocusReason);
        return false;
    }
    // The amount asked for is the one the stored rows give, as the request
    // shows it when opened, whichever grid was edited last.
    totalsAsOpened();
    if (!MessageBox::question(this, CompletenessReview::amountQuestion(txt(QStringLiteral("txtDevS"))->text()))) {
        SSTabDatos->setCurrentIndex(4);
        return false;
    }
    // What follows (the copy for the ministry, the printed request) comes
    // with those commands.
    return true;
}

bool FrmQuelvar::GuardaInformacion()
{
    RequestWriter::Unbound values;
    values.choices = headerChoices();
    // The state is written when chosen; a company not stored yet gets it
    // with the save.
    if (cmbEdo->currentIndex() >= 0 && cmbEdo->currentData().isValid())
        values.state = cmbEdo->currentData();
    values.bank = cmbBanco->currentText();
    if (cmbActFiscal->currentIndex() >= 0)
        values.sector = cmbActFiscal->currentData();
    values.unit = cmbUM->currentText();
    try {
        RequestWriter(*links_, folder_).save(values, [this] { EstableceLigas(); });
        return true;
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudo guardar la información de la solicitud; lo que no se guardó "
                                        "sigue en pantalla."),
                         e.message());
        return false;
    }
}

bool FrmQuelvar::BorraInformacion(quint8 accion)
{
    try {
        RequestWriter writer(*links_, folder_);
        EstableceLigas();
        writer.erase(accion == 0);

        clearChoices(accion == 0);
        EstableceVisiblesTab(QStringLiteral("111111111"));
        EstableceLigas();
        ColocaCeros(1);
        return true;
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudo borrar la información de la solicitud."), e.message());
        return false;
    }
}

void FrmQuelvar::clearChoices(bool company)
{
    for (QComboBox *c : {cmbTDevolucion, cmbTExportacion})
        c->setCurrentIndex(-1);
    // Nothing of the request gone may reach the next save: no request type
    // chosen, and an initial request with its folio boxes empty and closed,
    // as a new request starts.
    for (QRadioButton *option : std::as_const(opcTSolicitud)) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    selectEntry(cmbTSolicitud, 0);
    if (company)
        for (QComboBox *c : {cmbEdo, cmbActFiscal, cmbBanco})
            c->setCurrentIndex(-1);
    cmbUM->setCurrentIndex(-1);
}

void FrmQuelvar::ColocaCeros(quint8 aCero)
{
    // The cost structure gets its zeros where nothing is stored: a request
    // saved before its depreciation was typed keeps the costs it has.
    if (aCero == 1)
        for (const char *name : {"txtMPN", "txtCIN", "txtMPE", "txtCIE", "txtCNIN", "txtEN", "txtSN", "txtDN"})
            if (QLineEdit *box = txt(QString::fromLatin1(name)); box->text().isEmpty())
                box->setText(QStringLiteral("0"));
    for (const char *name : {"txtTCU", "txtTO", "txtTNO", "txtTED(0)", "txtTED(1)", "txtTED(2)", "txtTED(3)",
                             "txtTEI(0)", "txtTEI(1)", "txtTEI(2)", "txtTEI(3)", "txtTLCAN(0)", "txtTLCAN(1)"})
        txt(QString::fromLatin1(name))->setText(QStringLiteral("0"));
}
