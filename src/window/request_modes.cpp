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
#include "rules/request_mode.h"
#include "rules/window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>


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
    {
        const QScopedValueRollback arranging(arrangingTabs_, true);
        for (int i = 0; i < mask.size() && i < SSTabDatos->count(); ++i)
            SSTabDatos->setTabVisible(i, mask[i] == u'1');
    }
    // The strip spreads its tabs over the whole row, so the tabs shown
    // always fill exactly one row.
    tabsPerRow_ = RequestMode::tabsShown(mask);
}

void FrmQuelvar::OpcionesRME(bool vf)
{
    const RequestMode::Goods goods = RequestMode::goods(vf);
    SSTabDatos->setTabText(4, goods.unitCostTab);
    lbl(QStringLiteral("lblMTRME(1)"))->setText(goods.goodsTitle);
    BoundGrid *imports = grid(QStringLiteral("dbMI"));
    imports->Columns(ImportCol::ValorTotal).setCaption(goods.valueCaption);
    imports->Columns(ImportCol::MontSolic).setCaption(goods.amountCaption);
    // The unit-cost total goes with its "TOTAL : " heading.
    showControls({QStringLiteral("Label41"), QStringLiteral("LblTCU"), QStringLiteral("txtTCU"),
                  QStringLiteral("txtPUMN"), QStringLiteral("lblPUMN"), QStringLiteral("txtPUDls"),
                  QStringLiteral("lblPUDls"), QStringLiteral("lblTNO"), QStringLiteral("txtTNO")},
                 vf);
    lbl(QStringLiteral("lblMTRME(0)"))->setText(goods.unitCostTitle());
}

RequestMode::Choices FrmQuelvar::choices(bool direct) const
{
    return {direct, cmbTDevolucion->currentIndex(), cmbTExportacion->currentIndex()};
}

void FrmQuelvar::applyMode(const RequestMode::Mode &m)
{
    if (m.exportTypeCleared) {
        // Emptied quietly: its own handling runs after the mode is set.
        const QSignalBlocker quiet(cmbTExportacion);
        cmbTExportacion->setCurrentIndex(-1);
    }
    if (m.exportTypeEnabled)
        cmbTExportacion->setEnabled(*m.exportTypeEnabled);
    if (m.exportTypeTip)
        cmbTExportacion->setToolTip(*m.exportTypeTip);
    lbl(QStringLiteral("lblTE"))->setText(m.originLabel);
    if (m.unitCostColumns)
        EstableceVisiblesDB(*m.unitCostColumns, grid(QStringLiteral("dbCU")));
    if (m.importColumns)
        EstableceVisiblesDB(*m.importColumns, grid(QStringLiteral("dbMI")));
    if (m.importLocks)
        EstLockdbMI(*m.importLocks);
    if (m.tabs)
        EstableceVisiblesTab(*m.tabs);
    if (m.goods)
        OpcionesRME(m.goods->transformed);
    if (m.totalLabel)
        lbl(QStringLiteral("lblTO"))->setText(*m.totalLabel);
    showControls({QStringLiteral("lblTNO"), QStringLiteral("txtTNO")}, m.nonOriginatingShown);
    showControls({QStringLiteral("chkApendice8"), QStringLiteral("chkReporte"), QStringLiteral("txtPorcentaje"),
                  QStringLiteral("lblPorcentaje")},
                 m.appendixShown);
    if (m.annexesShown)
        showControls({QStringLiteral("chkAnexoB"), QStringLiteral("chkAnexoC")}, *m.annexesShown);
    SSTabDatos->setTabText(6, m.directTab);
    SSTabDatos->setTabText(7, m.indirectTab);
    lbl(QStringLiteral("lblED"))->setText(m.directTitle);
    if (m.indirectTitle)
        lbl(QStringLiteral("LblEI"))->setText(*m.indirectTitle);
    grid(QStringLiteral("dbED"))->setHeightTwips(m.directGridHeight);
    if (m.indirectGridHeight)
        grid(QStringLiteral("dbEI"))->setHeightTwips(*m.indirectGridHeight);
    if (m.opcDT)
        OpcDT = *m.opcDT;
    if (m.mDev)
        MDev = *m.mDev;
}

void FrmQuelvar::OpcionesDirecta()
{
    if (cmbTDevolucion->currentIndex() >= 0)
        selectEntry(cmbTSolicitud, 0);
    applyMode(RequestMode::decide(choices(true)));
    cmbTExportacion_Click();
}

void FrmQuelvar::OpcionesTransferencia()
{
    applyMode(RequestMode::decide(choices(false)));
    if (isVisible())
        TotalOrNOr();
}

void FrmQuelvar::DeterminaOpcDT(qint16 qTSol)
{
    if (qTSol != 0) {
        OpcionesTransferencia();
        return;
    }
    applyMode(RequestMode::decide(choices(true)));
    // A direct request's totals follow its mode as a transfer's do.
    if (isVisible())
        TotalOrNOr();
}

void FrmQuelvar::VerificaMDevA8()
{
    QCheckBox *appendix = ctl<QCheckBox>(QStringLiteral("chkApendice8"));
    if (appendix->isHidden())
        return;
    OpcDT = 4;
    MDev = RequestMode::appendixMDev(appendix->isChecked());
    if (isVisible())
        TotalOrNOr();
}

void FrmQuelvar::VerificaMDevBC()
{
    MDev = RequestMode::annexMDev(ctl<QCheckBox>(QStringLiteral("chkAnexoB"))->isChecked(),
                                  ctl<QCheckBox>(QStringLiteral("chkAnexoC"))->isChecked());
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
