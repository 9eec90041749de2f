#pragma once

#include "grid_columns.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// What the export-document grids (direct exports dbED, indirect exports
// dbEI) and the TLCAN imports (dbITLC) do when a figure is committed: a used
// amount may not exceed its document's total, a direct export's balance
// follows its used value, an indirect export holds its values in pesos or in
// dollars (a figure in one currency zeroes and locks the other), and a TLCAN
// import's total value is its quantity times its price. Cells are compared
// by the number their value begins with.
namespace ExportDocuments {

// The value of a cell of the current row (its number as stored, not as
// shown), by column index.
using CellValue = std::function<QString(int column)>;

struct CellWrite {
    int column;
    QString text;
    bool operator==(const CellWrite &) const = default;
};

struct Committed {
    QString refusal;          // a message; the committed cell is then emptied
    QList<CellWrite> writes;  // figures derived (or zeroed), in order
    QList<int> lock;          // columns locked in every row
    QList<int> unlock;        // columns unlocked in every row
};

inline const QString kQuantityTooHigh =
    QStringLiteral("La cantidad utilizada no debe ser mayor a la cantidad total. Rectifica por favor.");
inline const QString kValueTooHigh =
    QStringLiteral("El valor utilizado no debe ser mayor al valor total. Rectifica por favor.");

// After the length check of the cell: what committing that column of that
// grid ("dbED", "dbEI" or "dbITLC") brings. Nothing for another cell.
Committed committed(const QString &grid, int column, const CellValue &value);

} // namespace ExportDocuments
