#include "grid_controllers.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "picker_lists.h"
#include "rules/export_documents.h"
#include "rules/fraction_line.h"
#include "rules/imported_goods.h"
#include "store/field_codec.h"

#include <QListWidget>

using GridCellRules::Picker;

// --- unit costs ---

bool UnitCostGrid::leaveSpecialCell(int column)
{
    GridColumnRef cell = grid()->Columns(column);
    if (column == columnIndex(UnitCostCol::Fraccion) && cell.Text().size() != 8)
        warn(GridCellRules::kFractionDigits);
    if (column == columnIndex(UnitCostCol::CostoUnit) && cell.Text().size() > 12) {
        warn(GridCellRules::kCostLength);
        cell.setText(QString());
        grid()->SetFocus(); // to type it again
    } else if (column == columnIndex(UnitCostCol::CostoUnit)) {
        emit unitCostAccepted();
    }
    return false;
}

// --- imported goods ---

ImportGrid::ImportGrid(BoundGrid *grid, const GridContext &context, QObject *parent)
    : GridController(grid, context, parent)
{
    connect(grid, &BoundGrid::KeyPress, this, [](int *key) { *key = ImportedGoods::cellKey(*key); });
}

void ImportGrid::deriveFromReturned()
{
    checkLengthRule(columnIndex(ImportCol::CantidadRetornada));
    BoundGrid *g = grid();
    const auto writes = ImportedGoods::afterReturnedQuantity([g](ImportCol c) { return g->Columns(c).Text(); });
    for (const ImportedGoods::CellWrite &w : writes)
        g->Columns(w.column).setText(w.text);
}

void ImportGrid::checkIncorporated()
{
    checkLengthRule(columnIndex(ImportCol::ValorIncorporado));
    BoundGrid *g = grid();
    const ImportedGoods::IncorporatedCheck check =
        ImportedGoods::afterIncorporatedValue([g](ImportCol c) { return g->Columns(c).Text(); });
    if (check.refused) {
        warn(ImportedGoods::kIncorporatedTooHigh);
        g->Columns(ImportCol::ValorIncorporado).setText(QString());
        g->SetFocus(); // to type it again, or Escape to take back the row
        return;
    }
    for (const ImportedGoods::CellWrite &w : check.writes)
        g->Columns(w.column).setText(w.text);
}

bool ImportGrid::leaveSpecialCell(int column)
{
    BoundGrid *g = grid();
    switch (ImportCol(column)) {
    case ImportCol::Clave:
        if (g->Columns(ImportCol::Clave).Text() != QLatin1String("V1"))
            return false; // the line picked
        g->Columns(ImportCol::Clave).setText(QString());
        return true;
    case ImportCol::Pedimento:
        checkPedimento(column);
        return true;
    case ImportCol::FechaPago:
        if (!g->Columns(ImportCol::FechaPago).Text().isEmpty())
            return false; // checked as a date
        g->Columns(ImportCol::FechaPago).setText(today().toString(QStringLiteral("dd/MM/yyyy")));
        return true;
    case ImportCol::Fraccion: {
        // As if the line were confirmed in the list.
        QListWidget *list = pickers()->listFor(Picker::TariffItem);
        if (QListWidgetItem *item = lineFor(list, g->Columns(ImportCol::Fraccion).Text())) {
            takePick(Picker::TariffItem, item->text());
            list->hide();
            returnFocus();
        } else {
            list->hide();
        }
        return true;
    }
    case ImportCol::CantidadRetornada:
        deriveFromReturned();
        return true;
    case ImportCol::ValorTotal:
        // The value checked, then all that the returned quantity runs.
        checkLengthRule(columnIndex(ImportCol::ValorTotal));
        deriveFromReturned();
        return true;
    case ImportCol::ValorIncorporado:
        checkIncorporated();
        return true;
    default:
        return false;
    }
}

void ImportGrid::seekPickers()
{
    // Only the lists open are followed, each with the text of its cell.
    for (const GridCellRules::CellRule &rule : rules())
        for (QListWidget *list : pickers()->listsOf(rule.picker))
            if (!list->isHidden())
                pickers()->seek(list, grid()->Columns(rule.column).Text());
}

bool ImportGrid::takePick(Picker kind, const QString &line)
{
    if (kind != Picker::TariffItem)
        return GridController::takePick(kind, line);
    const FractionLine::Parts parts = FractionLine::read(line);
    grid()->Columns(ImportCol::Fraccion).setText(parts.item);
    grid()->Columns(ImportCol::AdValorem).setText(FieldCodec::plainNumber(parts.rate));
    rememberedFraction_ = line;
    return true;
}

void ImportGrid::beforeRowWrite(bool *) { completeFraction(); }

void ImportGrid::completeFraction()
{
    if (rememberedFraction_.isEmpty())
        return;
    BoundGrid *g = grid();
    const FractionLine::Parts parts = FractionLine::read(rememberedFraction_);
    // The figures belong to the row whose tariff item was picked.
    if (g->Columns(ImportCol::Fraccion).Value() != parts.item)
        return;
    // A tariff item stored without a cost (its column hidden in the
    // returned-goods modes) never replaces the price the user typed.
    if (!parts.cost)
        return;
    g->Columns(ImportCol::PrecioUnitario).setText(FieldCodec::plainNumber(*parts.cost));
    const bool directTransformed = opcDT() == 1 || opcDT() == 2;
    if (directTransformed && !g->Columns(ImportCol::FechaPago).Value().isEmpty())
        g->recordModel()->setPendingField(QStringLiteral("COSTO_UNIT"), *parts.cost);
}

// --- export documents and TLCAN imports ---

void DocumentGrid::afterCellRules(int column)
{
    BoundGrid *g = grid();
    const ExportDocuments::Committed result = ExportDocuments::committed(
        g->objectName(), column, [g](int c) { return g->Columns(c).Value(); });
    for (const ExportDocuments::CellWrite &w : result.writes)
        g->Columns(w.column).setText(w.text);
    // A lock stands for the whole column, in every row.
    for (int c : result.lock)
        g->Columns(c).setLocked(true);
    for (int c : result.unlock)
        g->Columns(c).setLocked(false);
    if (!result.refusal.isEmpty()) {
        warn(result.refusal);
        g->Columns(column).setText(QString());
        g->SetFocus(); // to type it again, or Escape to take back the row
    }
    if (g->objectName() == QLatin1String("dbITLC") && column == columnIndex(TlcanCol::MontSolic))
        emit dutiesCommitted();
}

// --- direct exports ---

bool DirectExportGrid::leaveSpecialCell(int column)
{
    if (column == columnIndex(DirectExportCol::Pedimento))
        checkPedimento(column);
    return false;
}
