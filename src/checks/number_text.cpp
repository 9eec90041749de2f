#include "number_text.h"

std::optional<QString> withThousands(const QString &text)
{
    const qsizetype point = text.indexOf(u'.');
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0 && (point < 0 || comma < point))
        return std::nullopt;
    QString integer = point < 0 ? text : text.left(point);
    const QString decimals = point < 0 ? QString() : text.mid(point);
    QString result;
    while (!integer.isEmpty()) {
        if (integer.size() < 4) {
            result.prepend(integer);
            break;
        }
        result.prepend(u',' + integer.right(3));
        integer.chop(3);
    }
    return result + decimals;
}
