#include "leading_number.h"

#include <QString>

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0;
    QString number = text.mid(start, i - start).toString();
    if (number.endsWith(u'.'))
        number.chop(1);
    if (number.startsWith(u'.') || number.startsWith(QLatin1String("-.")) || number.startsWith(QLatin1String("+.")))
        number.insert(number.indexOf(u'.'), u'0');
    bool ok = false;
    const double d = number.toDouble(&ok);
    return ok ? d : 0;
}
