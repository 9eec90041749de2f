#pragma once

#include "grid_columns.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the request window does with each cell of its document grids, as
// data: the picker list opened under it, the length it may have (with the
// message for a longer text), whether it holds a date, whether it is put in
// upper case as typed, and the number format it starts with. A column with a
// picker carries a cell button that opens it. A column without an entry has
// none of these; the few cells with rules of their own are handled by the
// grid's controller.
namespace GridCellRules {

enum class Picker {
    None,
    DocumentKey,   // lstClave, the keys of import documents
    TariffItem,    // lstFraccion, the tariff items of the unit costs
    Country,       // lstPaisAux, the countries of the request
    ImportCountry, // lstPais or lstPaisAux, as the request mode says
};

struct CellRule {
    int column = -1;
    Picker picker = Picker::None;
    int maxLength = 0;      // 0: any length
    int lengthMessage = -1; // entry of WindowTexts::gridLengthMessages()
    bool date = false;      // brought to dd/mm/yyyy and judged against today
    bool upperCase = false; // while typed
    std::optional<QString> startFormat; // set at start-up (empty: none)

    bool hasButton() const { return picker != Picker::None; }
};

// The rules of a grid's cells (dbCU, dbMI, dbED, dbEI, dbITLC), in column
// order; empty for another name.
const QList<CellRule> &rulesOf(const QString &grid);
// The rule of one cell, or nullptr when the cell has none.
const CellRule *ruleOf(const QString &grid, int column);

// The complaint about a cell's text longer than its rule allows (the entry
// of messages its rule names), or an empty text.
QString lengthComplaint(const QString &grid, int column, const QString &text, const QStringList &messages);

// The cells with checks of their own.
inline const QString kPedimentoLength =
    QStringLiteral("La longitud del pedimento sólo puede ser de 15 números.  Rectifica por favor");
inline const QString kFractionDigits = QStringLiteral("La fracción debe ser de 8 dígitos. Rectifica por favor");
inline const QString kCostLength =
    QStringLiteral("El precio unitario no debe de exceder de 12 números. Rectifica por favor");

// The length and message of every date cell.
inline constexpr int kDateLength = 10;
inline constexpr int kDateLengthMessage = 4;

} // namespace GridCellRules
