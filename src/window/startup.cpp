// What the request window does each time it becomes active: it fills its
// lists and reloads every choice that is not bound to a field from the
// stored company and request.
#include "frm_quelvar.h"

#include "field_edit.h"
#include "grids/bound_grid.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "store/request_choices.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "rules/window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>

void FrmQuelvar::Form_Activate()
{
    try {
        PersonalizaCombos(cmbEdo, links_->dtsEstados, links_->dtsEmpresas);
        PersonalizaCombos(cmbActFiscal, links_->dtsSectores, links_->dtsEmpresas);
    } catch (const StoreError &) {
        // A catalogue that cannot be read leaves its combo as filled so far.
    }
    PersonalizaComboUM();
    for (const char *name : {"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"})
        PersonalizaGrid(grid(QString::fromLatin1(name)));
    {
        // The choices selected one by one below each ask for the totals;
        // they are taken once, when the mode is settled.
        const QScopedValueRollback holding(holdingTotals_, true);
        totalsHeld_ = 0;
        InicializaControles();
        verifyTransferBoxes();
    }
    releaseTotals();
}

void FrmQuelvar::verifyTransferBoxes()
{
    if (!ctl<QCheckBox>(QStringLiteral("chkApendice8"))->isHidden())
        VerificaMDevA8();
    // The annexes decide the mode only where they are shown: a virtual
    // transfer (their tab hidden) keeps the mode its appendix gave it, as it
    // had while typed.
    if (OpcDT == 4 && SSTabDatos->isTabVisible(7))
        VerificaMDevBC();
}

void FrmQuelvar::totalsAsOpened()
{
    {
        const QScopedValueRollback holding(holdingTotals_, true);
        totalsHeld_ = 0;
        RecalculaTotales();
        verifyTransferBoxes();
    }
    releaseTotals();
}

void FrmQuelvar::InicializaControles()
{
    // The steps run in order; the first that fails (an empty request table,
    // say) ends the initialisation quietly and the rest are skipped.
    try {
        Recordset &empresas = links_->dtsEmpresas->openRecordset();
        if (empresas.Eof())
            empresas.AddNew();
        else
            empresas.Edit();

        cmbBanco->clear();
        cmbBanco->addItems(WindowTexts::banks());
        cmbBanco->setCurrentIndex(-1);

        if (empresas.RecordCount() > 0) {
            const QVariant bank = empresas.Fields(QStringLiteral("BANCO")).Value();
            if (!bank.isNull())
                showStoredText(cmbBanco, bank.toString());
            const QVariant sector = empresas.Fields(QStringLiteral("Sector")).Value();
            if (!sector.isNull())
                cmbActFiscal->setCurrentIndex(sector.toInt() - 1 < cmbActFiscal->count() ? sector.toInt() - 1 : -1);
        }

        ColocaCeros(0);

        lstClave->clear();
        Recordset &claves = links_->dtsPedimentos->openRecordset();
        for (claves.MoveFirst(); !claves.Eof(); claves.MoveNext())
            lstClave->addItem(claves.Fields(0).Value().toString());
        lstPais->clear();
        Recordset &paises = links_->dtsPaises->openRecordset();
        for (paises.MoveFirst(); !paises.Eof(); paises.MoveNext())
            lstPais->addItem(paises.Fields(1).Value().toString());

        EstableceFormatosGrid();

        Recordset &solicitu = links_->dtsSolicitu->openRecordset();
        if (solicitu.Fields(QStringLiteral("DEPRE_MAQ")).Value().isNull())
            ColocaCeros(1);

        RecalculaTotales();

        // A request saved before its type was chosen has none: no type is
        // invented for it, and its kind and folio are still shown (a save
        // would otherwise write over the stored folio).
        const RequestChoices::Codes codes = storedCodes(solicitu);
        const RequestChoices::Choices stored = RequestChoices::decode(codes);
        const bool haveType = !codes.oTipoExpor.isNull();
        if (haveType)
            LlenaCmbTExportacion(stored.requestType);

        if (solicitu.RecordCount() > 0) {
            if (haveType && stored.requestType >= 0 && stored.requestType < opcTSolicitud.size())
                opcTSolicitud[stored.requestType]->setChecked(true);
            if (stored.refundType >= 0)
                selectEntry(cmbTDevolucion, stored.refundType);
            if (haveType)
                ColocaValsCombosEM(quint8(stored.requestType));
            if (stored.kind == 0) {
                selectEntry(cmbTSolicitud, 0);
            } else {
                selectEntry(cmbTSolicitud, 1);
                if (!codes.folio.isNull()) {
                    txt(QStringLiteral("txtFolio"))->setText(stored.folioNumber);
                    txt(QStringLiteral("txtFolioA"))->setText(stored.folioYear);
                }
            }
            // The totals above were taken before the stored choices gave the
            // request its mode: they are taken again in that mode.
            RecalculaTotales();
        }
    } catch (const StoreError &) {
    }
}

void FrmQuelvar::PersonalizaCombos(QComboBox *combo, DataLink *catalogue, DataLink *company)
{
    // Filling the list is no choice of the user: the state is written only
    // when the stored one is selected below.
    QSignalBlocker filling(combo);
    combo->clear();
    Recordset &rs = catalogue->openRecordset();
    rs.MoveLast();
    rs.MoveFirst();
    const long count = rs.RecordCount();
    for (long i = 0; i < count && !rs.Eof(); ++i) {
        combo->addItem(rs.Fields(1).Value().toString());
        const QVariant code = rs.Fields(0).Value();
        bool numeric = false;
        const int value = code.toString().trimmed().toInt(&numeric);
        if (code.typeId() == QMetaType::Double)
            combo->setItemData(int(i), int(code.toDouble()));
        else if (numeric)
            combo->setItemData(int(i), value);
        rs.MoveNext();
    }
    combo->setCurrentIndex(-1);
    filling.unblock();
    if (combo != cmbEdo)
        return;
    Recordset *companySet = company->recordset();
    if (companySet && companySet->RecordCount() > 0 && !companySet->Eof()) {
        const QVariant state = companySet->Fields(RequestSchema::kCompanyState).Value();
        if (!state.isNull()) {
            const int index = state.toInt() - 1;
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        }
    }
    if (combo->currentIndex() < 0)
        cmbEdo_Click(); // the caption of the borough follows the state

}

void FrmQuelvar::PersonalizaComboUM()
{
    cmbUM->clear();
    cmbUM->addItems(WindowTexts::units());
    cmbUM->setCurrentIndex(-1);
    try {
        Recordset *rs = links_->dtsSolicitu->recordset();
        if (rs && rs->RecordCount() > 0 && !rs->Eof()) {
            const QVariant unit = rs->Fields(QStringLiteral("Unidad")).Value();
            if (!unit.isNull())
                showStoredText(cmbUM, unit.toString());
        }
    } catch (const StoreError &) {
        // A unit that cannot be read leaves the list without a choice.
    }
}

void FrmQuelvar::showStoredText(QComboBox *combo, const QString &stored)
{
    // The entry is found whatever the case of the stored text and the blanks
    // after it. A text that is no entry (typed by another program, or an
    // entry of an older list) is shown as it is, as an entry of its own, so
    // that the next save writes it back unchanged instead of blanking it.
    const auto bare = [](QString text) {
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        return text;
    };
    const QString wanted = bare(stored);
    for (int i = 0; i < combo->count(); ++i) {
        if (bare(combo->itemText(i)).compare(wanted, Qt::CaseInsensitive) == 0) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    if (wanted.isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    combo->addItem(wanted);
    combo->setCurrentIndex(combo->count() - 1);
}

void FrmQuelvar::PersonalizaGrid(BoundGrid *grid)
{
    if (!grid)
        return;
    for (int i = 0; i < grid->ColumnsCount(); ++i)
        grid->Columns(i).setAlignment(Qt::AlignHCenter);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The long column captions read better small: the headings take the
    // desktop's sans-serif at 8 points; the cells keep the window's font.
    QFont heading = QApplication::font();
    heading.setStyleHint(QFont::SansSerif);
    heading.setPointSize(8);
    grid->setHeadingFont(heading);
}

RequestChoices::Codes FrmQuelvar::storedCodes(Recordset &solicitu) const
{
    const auto field = [&](const char *name) { return solicitu.Fields(QString::fromLatin1(name)).Value(); };
    // A transfer's refund type is kept beside the tables.
    return {field("OTipoExpor"), field("Tipo_Expor"),  field("Mer_Ret"),
            field("tsol"),       field("folio"),       RequestChoices::readRefundType(folder_)};
}

RequestChoices::Choices FrmQuelvar::headerChoices() const
{
    return {opcTSolicitud[0]->isChecked() ? 0 : opcTSolicitud[1]->isChecked() ? 1 : -1,
            cmbTDevolucion->currentIndex(),
            cmbTExportacion->currentIndex(),
            cmbTSolicitud->currentIndex(),
            txt(QStringLiteral("txtFolio"))->text(),
            txt(QStringLiteral("txtFolioA"))->text()};
}

void FrmQuelvar::ColocaValsCombosEM(quint8 requestType)
{
    RequestChoices::Codes codes = storedCodes(links_->dtsSolicitu->openRecordset());
    codes.oTipoExpor = requestType;
    const int index = RequestChoices::decode(codes).exportType;
    if (index >= 0)
        selectEntry(cmbTExportacion, index);
}

// Cell buttons and start-up formats of the grids: EstableceFormatosGrid, in
// pickers.cpp with the grids' controllers. The totals: totals.cpp.
