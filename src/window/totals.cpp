// The figures the window computes as the request is typed: the cost
// structure's totals, the unit costs' total, the imported goods' totals and
// the refund requested. The rules are in rules/; here they are fed the
// window's values and their results shown.
#include "frm_quelvar.h"

#include "checks/leading_number.h"
#include "field_edit.h"
#include "grids/bound_grid.h"
#include "rules/cost_structure.h"
#include "rules/grid_totals.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/grids/grid_controllers.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QScopedValueRollback>

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
    connect(unitCosts_, &UnitCostGrid::unitCostAccepted, this,
            [this] { txt(QStringLiteral("txtTCU"))->setText(QStringLiteral("0")); });
    connect(imports_, &GridController::rowWritten, this, &FrmQuelvar::TotalOrNOr);
    // A deleted document takes its amount out of the refund requested too;
    // with the last one gone there is nothing left to refund.
    connect(imports_, &GridController::rowsDeleted, this, [this] {
        TotalOrNOr();
        try {
            if (links_->dtsInsupedi->openRecordset().RecordCount() == 0)
                txt(QStringLiteral("txtDevS"))->setText(QStringLiteral("0"));
        } catch (const StoreError &) {
            // Reported by the totals already.
        }
    });
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
    } catch (const StoreError &e) {
        txt(QStringLiteral("txtTCU"))->setText(QStringLiteral("0"));
        showStoreFailure(QStringLiteral("No se pudieron sumar los costos unitarios."), e.message());
    }
}

void FrmQuelvar::TotalOrNOr()
{
    if (holdingTotals_) {
        totalsHeld_ = true;
        return;
    }
    GridTotals::Totalling how;
    how.mDev = MDev;
    how.transfer = opcTSolicitud[1]->isChecked();
    how.appendix8 = ctl<QCheckBox>(QStringLiteral("chkApendice8"))->isChecked();
    how.percentage = leadingNumber(txt(QStringLiteral("txtPorcentaje"))->text());
    try {
        // The walk leaves the record set, and the grid's cursor with it, past
        // the last record.
        const GridTotals::ImportTotals totals = GridTotals::importedGoods(links_->dtsInsupedi->openRecordset(), how);
        txt(QStringLiteral("txtTO"))->setText(totals.originating);
        txt(QStringLiteral("txtTNO"))->setText(totals.nonOriginating);
        if (totals.requested)
            txt(QStringLiteral("txtDevS"))->setText(*totals.requested);
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
}
