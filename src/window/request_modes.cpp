// The request type, refund type and export type: which tabs, grid columns,
// totals and check boxes they show, which imported-goods columns they lock,
// and the two mode values the rest of the program reads (the refund option
// and the totalling mode of the imported goods).
#include "frm_quelvar.h"

#include "field_edit.h"
#include "grids/bound_grid.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "rules/window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {

// Column masks of the unit costs and the imported goods, and lock masks of
// the imported goods ("1" shown, or locked).
const QString kAllUnitCosts = QStringLiteral("1111");
const QString kNoUnitCost = QStringLiteral("1101");
const QString kImportsTransformed = QStringLiteral("111110100110011");
const QString kImportsReturned = QStringLiteral("111111111101111");
const QString kLocksTransformed = QStringLiteral("000010000000011");
const QString kLocksReturned = QStringLiteral("000010000001111");

const QString kTotal = QStringLiteral("Total :                          $");
const QString kTotalOriginating = QStringLiteral("Total Originarios :                          $");
const QString kTotalOriginatingMixed = QStringLiteral("Total Originarios :             $");

// Heights of the export grids, in twips: shorter when the transfer boxes
// stand below them.
constexpr int kGridWithBoxes = 1815;
constexpr int kGridAlone = 2205;

} // namespace

QLabel *FrmQuelvar::lbl(const QString &name) const
{
    QLabel *l = ctl<QLabel>(name);
    Q_ASSERT_X(l, "lbl", qPrintable(name));
    return l;
}

bool FrmQuelvar::isDirect() const { return opcTSolicitud[0]->isChecked(); }

void FrmQuelvar::selectEntry(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    raiseSelection(combo);
}

void FrmQuelvar::raiseSelection(QComboBox *combo)
{
    if (combo == cmbTDevolucion)
        cmbTDevolucion_Click();
    else if (combo == cmbTExportacion)
        cmbTExportacion_Click();
    else if (combo == cmbTSolicitud)
        cmbTSolicitud_Click();
}

void FrmQuelvar::showControls(const QStringList &names, bool visible)
{
    for (const QString &name : names)
        if (QWidget *w = ctl<QWidget>(name))
            w->setVisible(visible);
}

void FrmQuelvar::EstableceVisiblesDB(const QString &mask, BoundGrid *grid)
{
    for (int i = 0; i < mask.size() && i < grid->ColumnsCount(); ++i)
        grid->Columns(i).setVisible(mask[i] == u'1');
}

void FrmQuelvar::EstLockdbMI(const QString &mask)
{
    BoundGrid *imports = grid(QStringLiteral("dbMI"));
    for (int i = 0; i < mask.size() && i < imports->ColumnsCount(); ++i)
        imports->Columns(i).setLocked(mask[i] == u'1');
}

void FrmQuelvar::EstableceVisiblesTab(const QString &mask)
{
    // Hiding the tab shown moves the strip to another one; that is no change
    // of tab by the user, and saves nothing.
    const bool outer = arrangingTabs_;
    arrangingTabs_ = true;
    for (int i = 0; i < mask.size() && i < SSTabDatos->count(); ++i)
        SSTabDatos->setTabVisible(i, mask[i] == u'1');
    arrangingTabs_ = outer;
    setTabsPerRow(int(mask.count(u'1')));
}

void FrmQuelvar::setTabsPerRow(int count)
{
    // The strip spreads its tabs over the whole row, so the tabs shown
    // always fill exactly one row.
    tabsPerRow_ = count;
}

void FrmQuelvar::OpcionesRME(bool vf)
{
    SSTabDatos->setTabText(4, vf ? QStringLiteral("Costos Unitarios") : QStringLiteral("Fracciones"));
    lbl(QStringLiteral("lblMTRME(1)"))
        ->setText(vf ? QStringLiteral("DATOS GENERALES DE LA IMPORTACIÓN")
                     : QStringLiteral("DATOS GENERALES DE LA MERCANCÍA IMPORTADA"));
    BoundGrid *imports = grid(QStringLiteral("dbMI"));
    imports->Columns(9).setCaption(vf ? QStringLiteral("Valor total de insumos importados M.N.")
                                      : QStringLiteral("Valor total de las mercancías importadas M.N."));
    imports->Columns(14).setCaption(vf ? QStringLiteral("Monto de aranceles pagados M.N.")
                                       : QStringLiteral("Monto a devolver"));
    // The unit-cost total goes with its "TOTAL : " heading.
    showControls({QStringLiteral("Label41"), QStringLiteral("LblTCU"), QStringLiteral("txtTCU"),
                  QStringLiteral("txtPUMN"), QStringLiteral("lblPUMN"), QStringLiteral("txtPUDls"),
                  QStringLiteral("lblPUDls"), QStringLiteral("lblTNO"), QStringLiteral("txtTNO")},
                 vf);
    lbl(QStringLiteral("lblMTRME(0)"))->setText((SSTabDatos->tabText(4) + QStringLiteral(" de Importación.")).toUpper());
}

void FrmQuelvar::OpcionesDirecta()
{
    if (cmbTDevolucion->currentIndex() >= 0)
        selectEntry(cmbTSolicitud, 0);
    lbl(QStringLiteral("lblTE"))->setText(QStringLiteral("Orígen de los Bienes : "));
    switch (cmbTDevolucion->currentIndex()) {
    case 0:
        EstableceVisiblesDB(kAllUnitCosts, grid(QStringLiteral("dbCU")));
        EstableceVisiblesDB(kImportsTransformed, grid(QStringLiteral("dbMI")));
        EstLockdbMI(kLocksTransformed);
        EstableceVisiblesTab(QStringLiteral("111111100"));
        OpcionesRME(true);
        cmbTExportacion->setEnabled(true);
        break;
    case 1:
    case 2: {
        EstableceVisiblesDB(kNoUnitCost, grid(QStringLiteral("dbCU")));
        EstableceVisiblesDB(kImportsReturned, grid(QStringLiteral("dbMI")));
        EstLockdbMI(kLocksReturned);
        EstableceVisiblesTab(QStringLiteral("111011100"));
        OpcionesRME(false);
        // Emptied quietly: its own handling runs just below.
        const QSignalBlocker quiet(cmbTExportacion);
        cmbTExportacion->setCurrentIndex(-1);
        cmbTExportacion->setEnabled(false);
        break;
    }
    default:
        break;
    }
    cmbTExportacion_Click();
}

void FrmQuelvar::OpcionesTransferencia()
{
    lbl(QStringLiteral("lblTE"))->setText(QStringLiteral("Comp. de Exportación : "));
    cmbTExportacion->setToolTip(QStringLiteral("Indica el documento que avala la exportación"));
    cmbTExportacion->setEnabled(true);

    SSTabDatos->setTabText(6, QStringLiteral("Exp. Virtual"));
    lbl(QStringLiteral("lblED"))->setText(QStringLiteral("Exportación Virtual").toUpper());
    SSTabDatos->setTabText(7, QStringLiteral("Transferencia con constancia"));
    lbl(QStringLiteral("LblEI"))->setText(QStringLiteral("Transferencia con constancia").toUpper());

    const QStringList transferBoxes{QStringLiteral("chkApendice8"), QStringLiteral("chkReporte"),
                                    QStringLiteral("txtPorcentaje"), QStringLiteral("lblPorcentaje"),
                                    QStringLiteral("chkAnexoB"), QStringLiteral("chkAnexoC")};
    const bool certificate = cmbTExportacion->currentIndex() == 0;
    if (cmbTDevolucion->currentIndex() == 0) {
        lbl(QStringLiteral("lblTO"))->setText(kTotalOriginating);
        OpcionesRME(true);
        EstableceVisiblesDB(kAllUnitCosts, grid(QStringLiteral("dbCU")));
        EstableceVisiblesDB(kImportsTransformed, grid(QStringLiteral("dbMI")));
        if (certificate) {
            MDev = 4;
            EstableceVisiblesTab(QStringLiteral("111111010"));
        } else {
            MDev = 3;
            EstableceVisiblesTab(QStringLiteral("111111100"));
        }
        showControls({QStringLiteral("lblTNO"), QStringLiteral("txtTNO")}, true);
        OpcDT = 4;
        grid(QStringLiteral("dbEI"))->setHeightTwips(kGridWithBoxes);
        grid(QStringLiteral("dbED"))->setHeightTwips(kGridWithBoxes);
        showControls(transferBoxes, true);
    } else {
        lbl(QStringLiteral("lblTO"))->setText(kTotal);
        OpcionesRME(false);
        EstableceVisiblesDB(kNoUnitCost, grid(QStringLiteral("dbCU")));
        EstableceVisiblesDB(kImportsReturned, grid(QStringLiteral("dbMI")));
        EstableceVisiblesTab(certificate ? QStringLiteral("111011010") : QStringLiteral("111011100"));
        MDev = 0;
        showControls({QStringLiteral("lblTNO"), QStringLiteral("txtTNO")}, false);
        OpcDT = 5;
        grid(QStringLiteral("dbEI"))->setHeightTwips(kGridAlone);
        grid(QStringLiteral("dbED"))->setHeightTwips(kGridAlone);
        showControls(transferBoxes, false);
    }
    if (isVisible())
        TotalOrNOr();
}

void FrmQuelvar::DeterminaOpcDT(qint16 qTSol)
{
    showControls({QStringLiteral("lblTNO"), QStringLiteral("txtTNO")}, false);
    if (qTSol != 0) {
        OpcionesTransferencia();
        return;
    }
    grid(QStringLiteral("dbED"))->setHeightTwips(kGridAlone);
    showControls({QStringLiteral("chkApendice8"), QStringLiteral("chkReporte"), QStringLiteral("txtPorcentaje"),
                  QStringLiteral("lblPorcentaje")},
                 false);
    lbl(QStringLiteral("lblED"))->setText(QStringLiteral("DATOS GENERALES DE EXPORTACIÓN"));
    SSTabDatos->setTabText(6, QStringLiteral("Exp. Directa"));
    SSTabDatos->setTabText(7, QStringLiteral("Exp. Indirecta"));

    QLabel *total = lbl(QStringLiteral("lblTO"));
    switch (cmbTDevolucion->currentIndex()) {
    case 0:
        EstableceVisiblesDB(kImportsTransformed, grid(QStringLiteral("dbMI")));
        if (cmbTExportacion->currentIndex() == 1) {
            arrangingTabs_ = true;
            SSTabDatos->setTabVisible(8, true);
            arrangingTabs_ = false;
            setTabsPerRow(8);
            total->setText(kTotalOriginatingMixed);
            showControls({QStringLiteral("lblTNO"), QStringLiteral("txtTNO")}, true);
            MDev = 2;
            cmbTExportacion->setToolTip(
                QStringLiteral("Indica si los bienes de la solicitud son mezcla de originarios y no originarios"));
            OpcDT = 2;
        } else {
            arrangingTabs_ = true;
            SSTabDatos->setTabVisible(8, false);
            arrangingTabs_ = false;
            setTabsPerRow(7);
            total->setText(QStringLiteral("Total :"));
            total->setText(kTotal);
            MDev = 1;
            OpcDT = 1;
            cmbTExportacion->setToolTip(
                cmbTExportacion->currentIndex() == 0
                    ? QStringLiteral("Indica si los bienes de la solicitud son originarios")
                    : QStringLiteral("Indica si los bienes de la solicitud son de terceros países"));
        }
        break;
    case 1:
    case 2:
        MDev = 1;
        total->setText(kTotal);
        OpcDT = 3;
        break;
    default:
        break;
    }
}

void FrmQuelvar::VerificaMDevA8()
{
    QCheckBox *appendix = ctl<QCheckBox>(QStringLiteral("chkApendice8"));
    if (appendix->isHidden())
        return;
    OpcDT = 4;
    MDev = appendix->isChecked() ? 2 : 3;
    if (isVisible())
        TotalOrNOr();
}

void FrmQuelvar::VerificaMDevBC()
{
    MDev = 4;
    if (ctl<QCheckBox>(QStringLiteral("chkAnexoB"))->isChecked())
        MDev = 2;
    if (ctl<QCheckBox>(QStringLiteral("chkAnexoC"))->isChecked())
        MDev = 3;
    if (isVisible())
        TotalOrNOr();
}

void FrmQuelvar::LlenaCmbTExportacion(int requestType)
{
    {
        // Emptying the list is no selection.
        const QSignalBlocker quiet(cmbTExportacion);
        cmbTExportacion->clear();
        if (requestType == 0)
            cmbTExportacion->addItems(WindowTexts::directExportTypes());
        else if (requestType == 1)
            cmbTExportacion->addItems(WindowTexts::transferExportTypes());
        cmbTExportacion->setCurrentIndex(-1);
    }
    selectEntry(cmbTExportacion, 0);
}

void FrmQuelvar::LlenalstPais(quint8 qTExportacion, int qModalidad, int qOrigen)
{
    DataLink *countries = links_->dtsPaisAux;
    countries->setDatabaseName(folder_);
    lstPaisAux->clear();
    if (qTExportacion != 0 || qModalidad != 0 || (qOrigen >= 0 && qOrigen <= 2))
        countries->setRecordSource(QStringLiteral("Paises"));
    try {
        countries->Refresh();
        if (Recordset *rs = countries->recordset())
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                lstPaisAux->addItem(rs->Fields(1).Value().toString());
    } catch (const StoreError &) {
        // Without the country catalogue the list stays empty; the rest of the
        // request is unaffected.
    }
}

// Totals of the imported goods by the totalling mode. Its rules come with the
// imported-goods grid; until then the mode changes call it at its place and it
// leaves the totals as they are.
void FrmQuelvar::TotalOrNOr() {}

// --- events of the header controls ---

void FrmQuelvar::opcTSolicitud_MouseUp(int index)
{
    selectEntry(cmbTDevolucion, 0);
    LlenaCmbTExportacion(index);
    cmbTDevolucion_Click();
}

void FrmQuelvar::cmbTDevolucion_Click()
{
    if (isDirect())
        OpcionesDirecta();
    else
        OpcionesTransferencia();
}

void FrmQuelvar::cmbTExportacion_Click()
{
    if (isDirect()) {
        DeterminaOpcDT(0);
        LlenalstPais(0, cmbTDevolucion->currentIndex(), cmbTExportacion->currentIndex());
    } else {
        DeterminaOpcDT(1);
        LlenalstPais(1, 0, 0);
    }
}

void FrmQuelvar::cmbTSolicitud_Click()
{
    const bool initial = cmbTSolicitud->currentIndex() == 0;
    for (const char *name : {"txtFolio", "txtFolioA"}) {
        FieldEdit *f = txt(QString::fromLatin1(name));
        if (initial)
            f->setText(QString());
        f->setEnabled(!initial);
    }
}

void FrmQuelvar::chkAnexoB_Click()
{
    ctl<QCheckBox>(QStringLiteral("chkAnexoC"))->setEnabled(!ctl<QCheckBox>(QStringLiteral("chkAnexoB"))->isChecked());
    VerificaMDevBC();
}

void FrmQuelvar::chkAnexoC_Click()
{
    ctl<QCheckBox>(QStringLiteral("chkAnexoB"))->setEnabled(!ctl<QCheckBox>(QStringLiteral("chkAnexoC"))->isChecked());
    VerificaMDevBC();
}

void FrmQuelvar::chkApendice8_Click() { VerificaMDevA8(); }
