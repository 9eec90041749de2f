#include "grid_controller.h"

#include "checks/grid_dates.h"
#include "grids/bound_grid.h"
#include "picker_lists.h"
#include "platform/message_box.h"
#include "rules/catalogue_match.h"
#include "store/store_error.h"

#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

using GridCellRules::CellRule;
using GridCellRules::Picker;

GridController::GridController(BoundGrid *grid, const GridContext &context, QObject *parent)
    : QObject(parent), grid_(grid), context_(context)
{
    connect(grid, &BoundGrid::AfterColUpdate, this, &GridController::cellLeft);
    connect(grid, &BoundGrid::Change, this, &GridController::followTyping);
    connect(grid, &BoundGrid::BeforeColEdit, this, [this](int column, int, bool *) { openPicker(column); });
    connect(grid, &BoundGrid::ButtonClick, this, &GridController::openPicker);
    connect(grid, &BoundGrid::BeforeUpdate, this, [this](bool *cancel) { beforeRowWrite(cancel); });
    connect(grid, &BoundGrid::AfterUpdate, this, &GridController::rowWritten);
    connect(grid, &BoundGrid::AfterDelete, this, &GridController::rowsDeleted);
    // The picker lists work with the cell being typed: the focus may go to
    // them and back without ending its edit.
    const bool hasPicker = std::any_of(rules().cbegin(), rules().cend(), [](const CellRule &r) { return r.hasButton(); });
    if (hasPicker)
        for (QListWidget *list : context_.pickers->all())
            grid->addCompanion(list);
}

const QList<CellRule> &GridController::rules() const { return GridCellRules::rulesOf(grid_->objectName()); }

void GridController::warn(const QString &text) const
{
    ++complaints_;
    MessageBox::warning(context_.window, text);
}

void GridController::checkLength(int column, int limit, const QString &message)
{
    const QString complaint = GridDates::lengthComplaint(grid_->Columns(column).Text(), limit, message);
    if (!complaint.isEmpty())
        warn(complaint);
}

void GridController::checkLengthRule(int column)
{
    const QString complaint = GridCellRules::lengthComplaint(grid_->objectName(), column,
                                                             grid_->Columns(column).Text(), context_.lengthMessages());
    if (!complaint.isEmpty())
        warn(complaint);
}

void GridController::checkDate(int column)
{
    const GridDates::DateCheck result = GridDates::check(grid_->Columns(column).Text(), today());
    if (result.rewritten)
        grid_->Columns(column).setText(result.text);
    for (const QString &complaint : result.complaints)
        reportDate(complaint);
}

void GridController::reportDate(const QString &complaint)
{
    warn(complaint.isEmpty() ? GridDates::formatComplaint() : complaint);
    grid_->SetFocus();
}

void GridController::checkPedimento(int column)
{
    if (grid_->Columns(column).Text().size() != 15)
        warn(GridCellRules::kPedimentoLength);
}

void GridController::takePickedLine(int column, QListWidget *list)
{
    // The cell holds a line of the list: the one the typing led to. With no
    // line to take (an empty catalogue), what was typed stays.
    if (QListWidgetItem *item = lineFor(list, grid_->Columns(column).Text()))
        grid_->Columns(column).setText(item->text());
    list->hide();
}

QListWidgetItem *GridController::lineFor(QListWidget *list, const QString &typed)
{
    if (QListWidgetItem *item = list->currentItem())
        return item;
    if (typed.trimmed().isEmpty())
        return nullptr;
    QStringList lines, keys;
    for (int i = 0; i < list->count(); ++i) {
        lines.append(list->item(i)->text());
        keys.append(lines.last().left(list->objectName() == QLatin1String("lstFraccion") ? 8 : -1));
    }
    CatalogueMatch::Index index(lines, keys);
    const int at = index.find(typed).at;
    return at < 0 ? nullptr : list->item(at);
}

void GridController::cellLeft(int column)
{
    if (leaveSpecialCell(column))
        return;
    const CellRule *rule = GridCellRules::ruleOf(grid_->objectName(), column);
    if (!rule)
        return;
    if (rule->hasButton())
        takePickedLine(column, pickers()->listFor(rule->picker));
    checkLengthRule(column);
    if (rule->date)
        checkDate(column);
    afterCellRules(column);
}

bool GridController::leaveSpecialCell(int) { return false; }

void GridController::afterCellRules(int) {}

void GridController::openPicker(int column)
{
    const CellRule *rule = GridCellRules::ruleOf(grid_->objectName(), column);
    if (rule && rule->hasButton())
        pickers()->place(grid_, column, pickers()->listFor(rule->picker));
}

void GridController::followTyping()
{
    try {
        for (const CellRule &rule : rules())
            if (rule.upperCase)
                upperCase(rule.column);
        seekPickers();
    } catch (const StoreError &) {
        // A catalogue that cannot be searched leaves the list where it was.
    }
}

void GridController::seekPickers()
{
    for (const CellRule &rule : rules())
        if (rule.hasButton())
            pickers()->seek(pickers()->listFor(rule.picker), grid_->Columns(rule.column).Text());
}

void GridController::upperCase(int column)
{
    GridColumnRef cell = grid_->Columns(column);
    const QString text = cell.Text();
    const QString upper = text.toUpper();
    if (upper != text)
        cell.setText(upper); // caret at the end
}

bool GridController::takePick(Picker kind, const QString &line)
{
    for (const CellRule &rule : rules()) {
        const Picker picker = rule.picker == Picker::ImportCountry ? Picker::Country : rule.picker;
        if (picker != Picker::None && picker == kind) {
            grid_->Columns(rule.column).setText(line);
            return true;
        }
    }
    return false;
}

void GridController::returnFocus()
{
    if (QLineEdit *editor = grid_->cellEditor())
        editor->setFocus(Qt::OtherFocusReason);
    else
        grid_->SetFocus();
}

bool GridController::finishEditing()
{
    if (!grid_->hasPendingRow())
        return true;
    const int complaints = complaints_;
    grid_->commitOpenCell();
    if (complaints_ == complaints && grid_->writePendingRow())
        return true;
    returnFocus();
    return false;
}

void GridController::applyStartLook()
{
    for (const CellRule &rule : rules()) {
        if (rule.hasButton())
            grid_->Columns(rule.column).setButton(true);
        if (rule.startFormat)
            grid_->Columns(rule.column).setNumberFormat(*rule.startFormat);
    }
}

void GridController::beforeRowWrite(bool *) {}
