#include "imported_goods.h"

#include "checks/number_text.h"

#include <QHash>
#include <optional>

namespace ImportedGoods {

namespace {

enum class Op { Times, Minus, RateOf };

// target = left op right, when both are numbers.
struct Derivation {
    ImportCol target;
    ImportCol left;
    Op op;
    ImportCol right;
};

const Derivation kReturnedValue{ImportCol::ValorRetornado, ImportCol::PrecioUnitario, Op::Times,
                                ImportCol::CantidadRetornada};
const Derivation kQuantityBalance{ImportCol::SaldoCantidad, ImportCol::CantidadImportada, Op::Minus,
                                  ImportCol::CantidadRetornada};
const Derivation kValueBalanceReturned{ImportCol::SaldoValor, ImportCol::ValorTotal, Op::Minus,
                                       ImportCol::ValorRetornado};
const Derivation kAmountReturned{ImportCol::MontSolic, ImportCol::AdValorem, Op::RateOf, ImportCol::ValorRetornado};
const Derivation kValueBalanceIncorporated{ImportCol::SaldoValor, ImportCol::ValorTotal, Op::Minus,
                                           ImportCol::ValorIncorporado};
const Derivation kAmountIncorporated{ImportCol::MontSolic, ImportCol::AdValorem, Op::RateOf,
                                     ImportCol::ValorIncorporado};

class Row {
public:
    explicit Row(const CellText &cell) : cell_(cell) {}

    QString text(ImportCol column) const
    {
        const auto it = written_.constFind(int(column));
        return it != written_.cend() ? *it : cell_(column);
    }

    void derive(const Derivation &d)
    {
        const std::optional<double> left = decimalNumber(text(d.left));
        const std::optional<double> right = decimalNumber(text(d.right));
        if (!left || !right)
            return;
        double value = 0;
        switch (d.op) {
        case Op::Times:
            value = *left * *right;
            break;
        case Op::Minus:
            value = *left - *right;
            break;
        case Op::RateOf:
            value = (*left / 100) * *right;
            break;
        }
        const QString written = decimalText(value);
        written_.insert(int(d.target), written);
        writes_.append({d.target, written});
    }

    QList<CellWrite> writes() const { return writes_; }

private:
    const CellText &cell_;
    QHash<int, QString> written_;
    QList<CellWrite> writes_;
};

} // namespace

QList<CellWrite> afterReturnedQuantity(const CellText &cell)
{
    Row row(cell);
    for (const Derivation &d : {kReturnedValue, kQuantityBalance, kValueBalanceReturned, kAmountReturned})
        row.derive(d);
    return row.writes();
}

IncorporatedCheck afterIncorporatedValue(const CellText &cell)
{
    const double incorporated = decimalNumber(cell(ImportCol::ValorIncorporado)).value_or(0);
    const double total = decimalNumber(cell(ImportCol::ValorTotal)).value_or(0);
    if (incorporated > total)
        return {true, {}};
    Row row(cell);
    for (const Derivation &d : {kValueBalanceIncorporated, kAmountIncorporated})
        row.derive(d);
    return {false, row.writes()};
}

int cellKey(int keyAscii)
{
    if (keyAscii == 8 || keyAscii == 13 || keyAscii == '/' || keyAscii == '.' || (keyAscii >= '0' && keyAscii <= '9'))
        return keyAscii;
    const int upper = (keyAscii >= 'a' && keyAscii <= 'z') ? keyAscii - 32 : keyAscii;
    return (upper >= 'A' && upper <= 'Z') ? keyAscii : 0;
}

} // namespace ImportedGoods
