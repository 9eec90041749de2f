#include "export_documents.h"

#include "checks/leading_number.h"
#include "checks/number_text.h"

namespace ExportDocuments {

namespace {

// A used figure and the total it may not exceed; a direct export's used
// value also gives the document's balance (total - used).
struct UsedWithin {
    int used;
    int total;
    const QString &message;
    int balance = -1;
};

// The two columns a currency of an indirect export holds its values in.
struct Currency {
    int total;
    int used;
};

const QList<UsedWithin> &usedFigures(const QString &grid)
{
    static const QList<UsedWithin> direct{
        {columnIndex(DirectExportCol::CantidadExportada), columnIndex(DirectExportCol::CantidadTotal),
         kQuantityTooHigh},
        {columnIndex(DirectExportCol::ValorUtilizado), columnIndex(DirectExportCol::ValorTotal), kValueTooHigh,
         columnIndex(DirectExportCol::SaldoDocumento)},
    };
    static const QList<UsedWithin> indirect{
        {columnIndex(IndirectExportCol::CantidadUtilizada), columnIndex(IndirectExportCol::CantidadTotal),
         kQuantityTooHigh},
        {columnIndex(IndirectExportCol::ValorUtilizado), columnIndex(IndirectExportCol::ValorTotal), kValueTooHigh},
        {columnIndex(IndirectExportCol::ValorUtilizadoDls), columnIndex(IndirectExportCol::ValorTotalDls),
         kValueTooHigh},
    };
    static const QList<UsedWithin> none;
    if (grid == QLatin1String("dbED"))
        return direct;
    if (grid == QLatin1String("dbEI"))
        return indirect;
    return none;
}

const Currency kPesos{columnIndex(IndirectExportCol::ValorTotal), columnIndex(IndirectExportCol::ValorUtilizado)};
const Currency kDollars{columnIndex(IndirectExportCol::ValorTotalDls),
                        columnIndex(IndirectExportCol::ValorUtilizadoDls)};

// A figure committed in one currency: a value there zeroes and locks the
// other currency's two columns; an emptied cell frees them.
void otherCurrency(int column, const CellValue &value, Committed &out)
{
    const bool pesos = column == kPesos.total || column == kPesos.used;
    if (!pesos && column != kDollars.total && column != kDollars.used)
        return;
    const Currency other = pesos ? kDollars : kPesos;
    if (value(column).isEmpty()) {
        out.unlock = {other.total, other.used};
        return;
    }
    out.writes = {{other.total, QStringLiteral("0")}, {other.used, QStringLiteral("0")}};
    out.lock = {other.total, other.used};
}

void tlcanValue(const CellValue &value, Committed &out)
{
    const QString quantity = value(columnIndex(TlcanCol::CantidadImportada));
    const QString price = value(columnIndex(TlcanCol::PrecioUnitario));
    const QString total = quantity.isEmpty() || price.isEmpty()
                              ? QString()
                              : decimalText(leadingNumber(quantity) * leadingNumber(price));
    out.writes = {{columnIndex(TlcanCol::ValorTotal), total}};
}

} // namespace

Committed committed(const QString &grid, int column, const CellValue &value)
{
    Committed out;
    if (grid == QLatin1String("dbITLC")) {
        if (column == columnIndex(TlcanCol::AdValorem))
            tlcanValue(value, out);
        return out;
    }
    if (grid == QLatin1String("dbEI"))
        otherCurrency(column, value, out);
    for (const UsedWithin &u : usedFigures(grid)) {
        if (u.used != column || value(u.total).isEmpty())
            continue;
        const double total = leadingNumber(value(u.total));
        const double used = leadingNumber(value(u.used));
        if (used > total)
            out.refusal = u.message;
        else if (u.balance >= 0)
            out.writes.append({u.balance, decimalText(total - used)});
    }
    return out;
}

} // namespace ExportDocuments
