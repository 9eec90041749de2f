#pragma once

#include "grid_columns.h"

#include <QList>
#include <QString>
#include <functional>

// The figures an imported-goods row derives from what is typed into it: the
// value of the goods returned, the balances of the document and the amount
// to refund, which is the ad valorem rate applied to the value returned or
// to the value incorporated, whichever was committed last.
namespace ImportedGoods {

struct CellWrite {
    ImportCol column;
    QString text;
    bool operator==(const CellWrite &) const = default;
};

// The text of a cell of the row, as shown.
using CellText = std::function<QString(ImportCol)>;

// A returned quantity (or a total value) committed: the value returned
// (price x returned quantity), the balance in quantity (imported - returned),
// the balance in value (total value - value returned) and the amount (rate %
// of the value returned), in that order, each only when both its operands
// are numbers; a figure computed on the way counts for those after it. A
// figure whose operand is missing keeps what the cell held.
QList<CellWrite> afterReturnedQuantity(const CellText &cell);

struct IncorporatedCheck {
    bool refused = false; // more than the total value: the cell is emptied
    QList<CellWrite> writes;
};

// An incorporated value committed: refused when it exceeds the total value
// (an empty cell counting as 0); otherwise the balance in value (total value
// - incorporated) and the amount (rate % of the incorporated value), each
// only when both its operands are numbers.
IncorporatedCheck afterIncorporatedValue(const CellText &cell);

inline const QString kIncorporatedTooHigh = QStringLiteral(
    "El valor de los insumos incorporados no debe exceder al valor total de la importación. Rectiifca por favor.");

// The keys an imported-goods cell takes: "/", ".", the digits, the letters
// A to Z in either case, and Backspace (8). The code typed, or 0 when the key
// is swallowed (the space, "," and "ñ" among them). Enter (13) types nothing
// into the cell: it passes, and ends the cell's edit as in every grid.
int cellKey(int keyAscii);

} // namespace ImportedGoods
