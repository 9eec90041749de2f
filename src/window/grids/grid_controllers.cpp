#include "grid_controllers.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "picker_lists.h"
#include "rules/fraction_line.h"
#include "store/field_codec.h"

#include <QListWidget>

using GridCellRules::Picker;

// --- unit costs ---

bool UnitCostGrid::leaveSpecialCell(int column)
{
    GridColumnRef cell = grid()->Columns(column);
    if (column == columnIndex(UnitCostCol::Fraccion) && cell.Text().size() != 8)
        warn(QStringLiteral("La fracción debe ser de 8 dígitos. Rectifica por favor"));
    if (column == columnIndex(UnitCostCol::CostoUnit) && cell.Text().size() > 12) {
        warn(QStringLiteral("El precio unitario no debe de exceder de 12 números. Rectifica por favor"));
        cell.setText(QString());
    }
    return false;
}

// --- imported goods ---

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
        if (QListWidgetItem *item = list->currentItem()) {
            takePick(Picker::TariffItem, item->text());
            list->hide();
            returnFocus();
        } else {
            list->hide();
        }
        return true;
    }
    case ImportCol::ValorTotal:
        // The value checked, then all that the returned quantity runs.
        checkLengthRule(columnIndex(ImportCol::ValorTotal));
        checkLengthRule(columnIndex(ImportCol::CantidadRetornada));
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
    g->Columns(ImportCol::PrecioUnitario).setText(FieldCodec::plainNumber(parts.cost));
    const bool directTransformed = opcDT() == 1 || opcDT() == 2;
    if (directTransformed && !g->Columns(ImportCol::FechaPago).Value().isEmpty())
        g->recordModel()->setPendingField(QStringLiteral("COSTO_UNIT"), parts.cost);
}

// --- direct exports ---

bool DirectExportGrid::leaveSpecialCell(int column)
{
    if (column == columnIndex(DirectExportCol::Pedimento))
        checkPedimento(column);
    return false;
}
