// The printed request and the general considerations, shown in the
// printing window.
#include "frm_quelvar.h"

#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "printing/frm_imp.h"
#include "rules/considerations.h"
#include "store/data_link.h"
#include "store/request_links.h"

#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

FrmImp *FrmQuelvar::frmImp()
{
    if (!frmImp_)
    {
        frmImp_ = new FrmImp(this);
        frmImp_->setFolderName(QDir(folder_).dirName());
    }
    return frmImp_;
}

void FrmQuelvar::showConsiderations()
{
    FrmImp *window = frmImp();
    const QString path =
        Considerations::path(folder_, ProgramFolder::installedDataDir(), cmbTDevolucion->currentIndex());
    const Considerations::Loaded loaded = Considerations::load(path);
    if (!loaded.error.isEmpty()) {
        MessageBox::warning(this, loaded.error);
        return;
    }
    window->showConsiderations(loaded.text);
    window->show();
    window->raise();
    window->activateWindow();
}

RequestReport::Report FrmQuelvar::reportAsShown() const
{
    const auto shown = [this](const QString &name) {
        if (const auto *combo = ctl<QComboBox>(name))
            return combo->currentText();
        if (const auto *box = ctl<QLineEdit>(name))
            return box->text();
        return QString();
    };
    RequestReport::Choices choices;
    choices.opcDT = OpcDT;
    choices.direct = opcTSolicitud[0]->isChecked();
    choices.tSolicitud = cmbTSolicitud->currentIndex();
    choices.tDevolucion = cmbTDevolucion->currentIndex();
    choices.tExportacion = cmbTExportacion->currentIndex();
    choices.appendix8 = ctl<QCheckBox>(QStringLiteral("chkApendice8"))->isChecked();
    choices.annexB = ctl<QCheckBox>(QStringLiteral("chkAnexoB"))->isChecked();
    const RequestReport::Tables tables{links_->dtsInsunit->recordset(), links_->dtsInsupedi->recordset(),
                                       links_->dtsExporped->recordset(), links_->dtsFactura->recordset(),
                                       links_->dtsImpTLC->recordset()};
    return RequestReport::build(shown, choices, tables);
}

void FrmQuelvar::ImprimeSolicitud(quint8 imprime)
{
    if (imprime == 1) {
        frmImp()->ImprimeConsideraciones();
        return;
    }
    const RequestReport::Report report = reportAsShown();
    switch (report.outcome) {
    case RequestReport::Report::Outcome::Incomplete:
        MessageBox::warning(this, RequestReport::kIncomplete);
        return;
    case RequestReport::Report::Outcome::NoCode:
        return;
    case RequestReport::Report::Outcome::Built:
        break;
    }
    FrmImp *window = frmImp();
    window->showReport(report);
    window->show();
    window->raise();
    window->activateWindow();
}
