// The completeness review run before the request is copied for the ministry
// or printed: the first blank of what the request needs is named, its tab
// brought forward and the focus put on it (rules/completeness_review.h).
#include "frm_quelvar.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "platform/message_box.h"
#include "rules/completeness_review.h"
#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

using CompletenessReview::ColumnCheck;
using CompletenessReview::Section;
using CompletenessReview::SingleCheck;

namespace {

// The first blank of a grid section: its row (counted as the grid shows it)
// and check. Every record is visited, whether shown or scrolled away; the
// row being typed is read as typed. The new-record line is not reviewed.
struct BlankCell {
    int row = -1;
    const ColumnCheck *check = nullptr;
};

BlankCell firstBlankCell(BoundGrid *grid, const Section &section)
{
    RecordTableModel *model = grid->recordModel();
    Recordset &rs = grid->link()->openRecordset();
    QList<int> fields(grid->ColumnsCount(), -1);
    QList<bool> shown(grid->ColumnsCount(), false);
    QList<bool> numeric(grid->ColumnsCount(), false);
    for (int c = 0; c < grid->ColumnsCount(); ++c) {
        fields[c] = rs.fieldIndex(model->columns().value(c).field);
        shown[c] = grid->Columns(c).Visible();
        numeric[c] = fields[c] >= 0 && rs.table()->field(fields[c]).isNumeric();
    }
    const int pending = model->hasPendingRow() ? model->pendingRow() : -1;
    const auto isShown = [&shown](int c) { return shown.value(c); };
    BlankCell found;
    int row = 0;
    rs.forEachRecord([&](const RecordView &record) {
        const int at = row++;
        if (found.check)
            return;
        const auto blank = [&](int c) {
            if (at == pending)
                return model->cellValue(at, c).trimmed().isEmpty();
            if (fields[c] < 0)
                return true;
            // A number field holding no number ("nan", "1e308") is as blank
            // as an empty one: totals and the report read it so.
            bool isNull = false;
            if (numeric[c])
                record.number(fields[c], &isNull);
            return isNull || record.storedBytes(fields[c]).isEmpty();
        };
        if (const ColumnCheck *check = CompletenessReview::firstBlank(section, blank, isShown))
            found = {at, check};
    });
    return found;
}

} // namespace

void FrmQuelvar::reportMissing(int tab, const QString &message, QWidget *focus)
{
    MessageBox::information(this, message);
    SSTabDatos->setCurrentIndex(tab);
    focus->setFocus(Qt::OtherFocusReason);
}

quint8 FrmQuelvar::RevContenido(quint8 qTab, QWidget *qObjeto, const QString &qTexto, quint8 ponFocoDB,
                                 BoundGrid *qDbGrid)
{
    bool blank = false;
    if (auto *combo = qobject_cast<QComboBox *>(qObjeto))
        blank = combo->currentIndex() < 0;
    else if (auto *box = qobject_cast<QLineEdit *>(qObjeto))
        blank = box->text().trimmed().isEmpty();
    if (!blank)
        return 0;
    reportMissing(qTab, CompletenessReview::missing(qTexto), ponFocoDB == 1 && qDbGrid ? qDbGrid : qObjeto);
    return 1;
}

bool FrmQuelvar::reviewApplies(const SingleCheck &check) const
{
    switch (check.when) {
    case CompletenessReview::When::Always:
        return true;
    case CompletenessReview::When::ReplyToFolio:
        return cmbTSolicitud->currentIndex() == 1;
    case CompletenessReview::When::Shown:
        return !ctl<QWidget>(check.object)->isHidden();
    case CompletenessReview::When::CostTabShown:
        return SSTabDatos->isTabVisible(3);
    }
    return true;
}

quint8 FrmQuelvar::ContinuaRev()
{
    for (const SingleCheck &check : CompletenessReview::singleChecks())
        if (reviewApplies(check) && RevContenido(quint8(check.tab), ctl<QWidget>(check.object), check.phrase) != 0)
            return 1;
    try {
        for (const Section &section : CompletenessReview::sections()) {
            if (!SSTabDatos->isTabVisible(section.tab))
                continue;
            BoundGrid *g = grid(section.grid);
            RecordTableModel *model = g->recordModel();
            const QString caption = SSTabDatos->tabText(section.tab);
            if (model->rowCount() == 0)
                continue;
            if (model->rowCount() == 1) { // the new-record line alone
                reportMissing(section.tab, CompletenessReview::emptySection(caption), g);
                return 1;
            }
            const BlankCell blank = firstBlankCell(g, section);
            if (!blank.check)
                continue;
            reportMissing(section.tab, CompletenessReview::missingIn(section, *blank.check, caption), g);
            // After the tab change (which saves, and reads the grid anew) the
            // offending row becomes current.
            g->setCurrentIndex(g->recordModel()->index(blank.row, blank.check->column));
            return 1;
        }
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudo revisar la solicitud."), e.message());
        return 1;
    }
    return 0;
}
