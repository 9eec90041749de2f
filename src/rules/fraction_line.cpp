#include "fraction_line.h"

#include "checks/leading_number.h"
#include "store/field_codec.h"

namespace FractionLine {

namespace {

constexpr int kItemWidth = 8;
constexpr int kColumnWidth = 12;

QString column(const QVariant &value)
{
    return FieldCodec::displayText(value).rightJustified(kColumnWidth, u' ');
}

} // namespace

QString build(const QVariant &item, const QVariant &rate, const QVariant &cost)
{
    QString line = FieldCodec::displayText(item).leftJustified(kItemWidth, u' ');
    if (!cost.isNull())
        line += column(cost);
    return line + column(rate);
}

Parts read(const QString &line)
{
    Parts parts;
    parts.item = line.left(kItemWidth);
    while (parts.item.endsWith(u' '))
        parts.item.chop(1);
    // The rest holds one number (the rate) or two (the cost, then the rate);
    // a value longer than its column pushes the next one right, so the
    // pieces are told apart by the blanks between them.
    const QStringList pieces = line.mid(kItemWidth).split(u' ', Qt::SkipEmptyParts);
    // A record without a rate leaves the last column blank: its last piece
    // is then the cost.
    const bool noRate = line.endsWith(u' ');
    if (!pieces.isEmpty() && !noRate)
        parts.rate = leadingNumber(pieces.last());
    const qsizetype costPiece = noRate ? pieces.size() - 1 : pieces.size() - 2;
    if (costPiece >= 0)
        parts.cost = leadingNumber(pieces.at(costPiece));
    return parts;
}

} // namespace FractionLine
