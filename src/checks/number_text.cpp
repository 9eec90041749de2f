#include "number_text.h"

std::optional<QString> withThousands(const QString &text)
{
    const qsizetype point = text.indexOf(u'.');
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0 && (point < 0 || comma < point))
        return std::nullopt;
    // The sign stays in front of the digits: "-1234.5" gives "-1,234.5".
    const qsizetype sign = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    QString integer = point < 0 ? text.mid(sign) : text.mid(sign, point - sign);
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
    return text.left(sign) + result + decimals;
}
