// The figures the window computes as the request is typed: the cost
// structure's totals, the unit costs' total, the imported goods' totals and
// the refund requested. The rules are in rules/; here they are fed the
// window's values and their results shown.
#include "frm_quelvar.h"

#include "checks/leading_number.h"
#include "field_edit.h"
#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "store/dbf_table.h"
#include "rules/cost_structure.h"
#include "rules/grid_totals.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/grids/grid_controllers.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QRadioButton>
#include <QLabel>
#include <QScopedValueRollback>
#include <utility>

void FrmQuelvar::connectTotals()
{
    // Every change of a cost field, typed or written by the program (its
    // thousands put in on leaving it, a total written), runs its rule.
    for (const QString &name : CostStructure::watchedFields())
        connect(txt(name), &QLineEdit::textChanged, this, [this, name] { costFieldChanged(name); });
    // The imported goods' totals show their thousands whatever wrote them.
    for (const char *name : {"txtTO", "txtTNO"}) {
        FieldEdit *total = txt(QString::fromLatin1(name));
        connect(total, &QLineEdit::textChanged, this, [this, total] { FormateaNumero(total, 14); });
    }
    connect(unitCosts_, &GridController::rowWritten, this, &FrmQuelvar::TotalCostosUnitarios);
    connect(unitCosts_, &GridController::rowsDeleted, this, &FrmQuelvar::TotalCostosUnitarios);
    // A cost typed shows the total at 0 until its row is written; a row
    // left, or taken back, without a change shows the table's sum again.
    RecordTableModel *costs = unitCosts_->grid()->recordModel();
    connect(unitCosts_, &UnitCostGrid::unitCostAccepted, this, [this, costs] {
        if (costs->hasPendingRow())
            txt(QStringLiteral("txtTCU"))->setText(QStringLiteral("0"));
    });
    connect(costs, &RecordTableModel::rowMarkChanged, this, [this, costs] {
        if (!costs->hasPendingRow() && txt(QStringLiteral("txtTCU"))->text() == QLatin1String("0"))
            TotalCostosUnitarios();
    });
    // The documents' totals follow their rows, and the TLCAN duties as soon
    // as one is committed.
    const QList<QPair<const char *, void (FrmQuelvar::*)()>> documents{
        {"dbED", &FrmQuelvar::TotalExpDirecta},
        {"dbEI", &FrmQuelvar::TotalExpIndirecta},
        {"dbITLC", &FrmQuelvar::TotalImpTLCAN}};
    for (GridController *c : std::as_const(gridControllers_)) {
        for (const auto &[name, total] : documents) {
            if (c->grid()->objectName() != QLatin1String(name))
                continue;
            connect(c, &GridController::rowWritten, this, total);
            connect(c, &GridController::rowsDeleted, this, total);
            if (auto *documentGrid = qobject_cast<DocumentGrid *>(c))
                connect(documentGrid, &DocumentGrid::dutiesCommitted, this, total);
        }
    }
    // A deleted document takes its amount out of the refund requested too;
    // with the last one gone there is nothing left to refund.
    connect(imports_, &GridController::rowWritten, this, &FrmQuelvar::TotalOrNOr);
    connect(imports_, &GridController::rowsDeleted, this, &FrmQuelvar::TotalOrNOr);
}

void FrmQuelvar::watchTables()
{
    // Another program may write the tables while the window is open: its
    // rows are shown, and totalled, as soon as the file system tells of the
    // write. A grid being typed in takes them once its row is written.
    auto *watcher = new QFileSystemWatcher(this);
    auto *settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(50);
    const auto watchFiles = [this, watcher] {
        const QDir dir(folder_);
        for (const QString &f : dir.entryList({QStringLiteral("*.dbf")}, QDir::Files))
            if (!watcher->files().contains(dir.filePath(f)))
                watcher->addPath(dir.filePath(f));
    };
    watchFiles();
    watcher->addPath(folder_);
    connect(watcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [watchFiles, settle] {
        watchFiles(); // a table written anew under its name is another file
        settle->start();
    });
    connect(settle, &QTimer::timeout, this, [this, settle] {
        if (!showTablesWrittenElsewhere())
            settle->start(500);
    });
}

bool FrmQuelvar::showTablesWrittenElsewhere()
{
    bool shown = true;
    for (GridController *c : std::as_const(gridControllers_)) {
        Recordset *rs = c->grid()->link() ? c->grid()->link()->recordset() : nullptr;
        if (!rs || !rs->table())
            continue;
        rs->table()->lookAgain();
        // The totals were taken from the file as the table saw it then; it
        // may since have been opened anew, or written by another program.
        const bool changed = totalledAt_.value(c->grid()->link()) != rs->table()->ownStamp();
        RecordTableModel *model = c->grid()->recordModel();
        const QWidget *focus = QApplication::focusWidget();
        const bool typing = model->hasPendingRow() || (focus && focus != c->grid() && c->grid()->isAncestorOf(focus));
        if ((changed || model->changedElsewhere()) && typing)
            shown = false;
        else if (changed || model->changedElsewhere())
            model->reload();
        if (changed)
            emit c->rowsDeleted(); // its totals, from the table as it is now
    }
    return shown;
}

void FrmQuelvar::totalled(DataLink *link)
{
    if (Recordset *rs = link->recordset(); rs && rs->table())
        totalledAt_.insert(link, rs->table()->ownStamp());
}

void FrmQuelvar::costFieldChanged(const QString &field)
{
    // The rule computes the whole chain of totals a change brings; writing
    // them is no change of its own.
    if (writingCosts_)
        return;
    const QList<CostStructure::Write> writes =
        CostStructure::changed(field, [this](const QString &name) { return txt(name)->text(); });
    const QScopedValueRollback writing(writingCosts_, true);
    for (const CostStructure::Write &w : writes)
        txt(w.field)->setText(w.text);
}

void FrmQuelvar::TotalCostosUnitarios()
{
    try {
        Recordset &insunit = links_->dtsInsunit->openRecordset();
        if (const std::optional<QString> total = GridTotals::unitCosts(insunit, OpcDT))
            txt(QStringLiteral("txtTCU"))->setText(*total);
        totalled(links_->dtsInsunit);
    } catch (const StoreError &e) {
        txt(QStringLiteral("txtTCU"))->setText(QStringLiteral("0"));
        showStoreFailure(QStringLiteral("No se pudieron sumar los costos unitarios."), e.message());
    }
}

bool FrmQuelvar::holdTotal(HeldTotal total)
{
    if (!holdingTotals_)
        return false;
    totalsHeld_ |= total;
    return true;
}

void FrmQuelvar::releaseTotals()
{
    // Each total walked once; the TLCAN imports before the imported goods,
    // whose non-originating total their duties cap.
    const int held = std::exchange(totalsHeld_, 0);
    if (held & HeldDirect)
        TotalExpDirecta();
    if (held & HeldIndirect)
        TotalExpIndirecta();
    if (held & HeldTlcan)
        sumTlcanImports();
    if (held & (HeldImports | HeldTlcan))
        TotalOrNOr();
}

void FrmQuelvar::writeTotals(const QString &array, const QStringList &totals)
{
    for (qsizetype i = 0; i < totals.size(); ++i)
        txt(QStringLiteral("%1(%2)").arg(array).arg(i))->setText(totals[i]);
}

void FrmQuelvar::TotalExpDirecta()
{
    if (holdTotal(HeldDirect))
        return;
    try {
        writeTotals(QStringLiteral("txtTED"),
                    GridTotals::fieldSums(links_->dtsExporped->openRecordset(), GridTotals::directExportFields()));
        totalled(links_->dtsExporped);
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudieron sumar los documentos de exportación directa."), e.message());
    }
}

void FrmQuelvar::TotalExpIndirecta()
{
    if (holdTotal(HeldIndirect))
        return;
    try {
        Recordset &factura = links_->dtsFactura->openRecordset();
        bool pesos = false;
        if (factura.rowCount() > 0) {
            // The currency of the documents is read from the first row shown.
            BoundGrid *g = grid(QStringLiteral("dbEI"));
            g->setRow(0);
            const QString total = g->Columns(IndirectExportCol::ValorTotal).Text();
            pesos = !total.isEmpty() && total != QLatin1String("$0.00");
            lbl(QStringLiteral("LblTD"))
                ->setText(pesos ? QStringLiteral("Valor Total Documento M.N.") : QStringLiteral("Valor Total Documento dls."));
            lbl(QStringLiteral("LblUD"))
                ->setText(pesos ? QStringLiteral("Valor Utilizado Doc. M.N.") : QStringLiteral("Valor Utilizado Doc. dls."));
        }
        writeTotals(QStringLiteral("txtTEI"), GridTotals::fieldSums(factura, GridTotals::indirectExportFields(pesos)));
        totalled(links_->dtsFactura);
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudieron sumar los documentos de exportación indirecta."), e.message());
    }
}

void FrmQuelvar::TotalImpTLCAN()
{
    if (holdTotal(HeldTlcan))
        return;
    // The duties cap the non-originating goods, taken again with them.
    if (sumTlcanImports())
        TotalOrNOr();
}

bool FrmQuelvar::sumTlcanImports()
{
    try {
        writeTotals(QStringLiteral("txtTLCAN"),
                    GridTotals::fieldSums(links_->dtsImpTLC->openRecordset(), GridTotals::tlcanFields()));
        totalled(links_->dtsImpTLC);
        return true;
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudieron sumar las importaciones TLCAN."), e.message());
        return false;
    }
}

void FrmQuelvar::TotalOrNOr()
{
    if (holdTotal(HeldImports))
        return;
    GridTotals::Totalling how;
    how.mDev = MDev;
    how.transfer = opcTSolicitud[1]->isChecked();
    how.appendix8 = ctl<QCheckBox>(QStringLiteral("chkApendice8"))->isChecked();
    how.percentage = leadingNumber(txt(QStringLiteral("txtPorcentaje"))->text());
    try {
        // The walk leaves the record set, and the grid's cursor with it, past
        // the last record.
        const GridTotals::ImportTotals totals = GridTotals::importedGoods(links_->dtsInsupedi->openRecordset(), how);
        totalled(links_->dtsInsupedi);
        txt(QStringLiteral("txtTO"))->setText(totals.originating);
        txt(QStringLiteral("txtTNO"))->setText(totals.nonOriginating);
        txt(QStringLiteral("txtDevS"))->setText(totals.requested);
        // Whichever side changed, the non-originating amount asked for is
        // at most the duties the TLCAN imports' total shows.
        if (const std::optional<GridTotals::Capped> capped = GridTotals::capNonOriginating(
                txt(QStringLiteral("txtTNO"))->text(), txt(QStringLiteral("txtTO"))->text(),
                txt(QStringLiteral("txtTLCAN(1)"))->text())) {
            txt(QStringLiteral("txtTNO"))->setText(capped->nonOriginating);
            txt(QStringLiteral("txtDevS"))->setText(capped->requested);
        }
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudieron sumar los montos de las mercancías importadas."), e.message());
    }
}

void FrmQuelvar::RecalculaTotales()
{
    // The unit cost of the current row is taken as just typed: the total
    // shows 0 until the sum below. A stored cost is not judged again here
    // (the grid shows it with its separators, longer than it was typed).
    txt(QStringLiteral("txtTCU"))->setText(QStringLiteral("0"));
    TotalCostosUnitarios();
    TotalOrNOr();
    TotalExpDirecta();
    TotalExpIndirecta();
    TotalImpTLCAN();
}
