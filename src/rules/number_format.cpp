#include "number_format.h"

#include "store/field_codec.h"

#include <QByteArray>
#include <cmath>

namespace NumberFormat {

namespace {

// The decimal digits of |value| with 15 significant digits, rounded half
// away from zero at `decimals` places after the point: integer digits (at
// least "0") and exactly `decimals` fraction digits.
struct Digits {
    QString integer;
    QString fraction;
};

Digits digitsOf(double value, int decimals)
{
    // 15 significant digits in exponent form: d.dddddddddddddde±x
    const QByteArray e = QByteArray::number(std::fabs(value), 'e', 14);
    const int ePos = e.indexOf('e');
    QString mantissa = QString::fromLatin1(e.left(ePos)).remove(u'.');
    const int exponent = e.mid(ePos + 1).toInt();
    // Place the point: `point` digits stand before it.
    int point = exponent + 1;
    if (point <= 0) {
        mantissa.prepend(QString(-point, u'0'));
        point = 0;
    }
    if (mantissa.size() < point + decimals + 1)
        mantissa.append(QString(point + decimals + 1 - mantissa.size(), u'0'));
    // Round at `decimals` places, carrying to the left.
    QString kept = mantissa.left(point + decimals);
    if (mantissa[point + decimals] >= u'5') {
        int i = kept.size() - 1;
        while (i >= 0 && kept[i] == u'9') {
            kept[i] = u'0';
            --i;
        }
        if (i >= 0) {
            kept[i] = QChar(kept[i].unicode() + 1);
        } else {
            kept.prepend(u'1');
            ++point;
        }
    }
    Digits d;
    d.integer = kept.left(point);
    d.fraction = kept.mid(point);
    // Drop leading zeros of the integer part, keeping at least one digit.
    int lead = 0;
    while (lead < d.integer.size() - 1 && d.integer[lead] == u'0')
        ++lead;
    d.integer = d.integer.mid(lead);
    if (d.integer.isEmpty())
        d.integer = QStringLiteral("0");
    return d;
}

QString grouped(const QString &integer)
{
    QString out;
    const int n = int(integer.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += integer[i];
    }
    return out;
}

bool isZero(const Digits &d)
{
    for (const QString &part : {d.integer, d.fraction})
        for (QChar c : part)
            if (c != u'0')
                return false;
    return true;
}

QString fixed(double value, int decimals, bool group)
{
    const Digits d = digitsOf(value, decimals);
    QString text = group ? grouped(d.integer) : d.integer;
    if (decimals > 0)
        text += u'.' + d.fraction;
    return text;
}

bool isPattern(const QString &pattern)
{
    if (pattern.isEmpty())
        return false;
    for (QChar c : pattern)
        if (c != u'#' && c != u'0' && c != u',' && c != u'.')
            return false;
    return pattern.count(u'.') <= 1;
}

QString byPattern(double value, const QString &pattern)
{
    const int dot = int(pattern.indexOf(u'.'));
    const QString intPart = dot < 0 ? pattern : pattern.left(dot);
    const QString fracPart = dot < 0 ? QString() : pattern.mid(dot + 1).remove(u',');
    const int maxDecimals = int(fracPart.size());
    const int minDecimals = int(fracPart.count(u'0'));
    const int minInteger = int(intPart.count(u'0'));
    const bool group = intPart.contains(u',');

    Digits d = digitsOf(value, maxDecimals);
    const bool zero = isZero(d);
    while (d.fraction.size() > minDecimals && d.fraction.endsWith(u'0'))
        d.fraction.chop(1);
    QString integer = d.integer == QLatin1String("0") ? QString() : d.integer;
    if (integer.size() < minInteger)
        integer.prepend(QString(minInteger - integer.size(), u'0'));
    QString text = group ? grouped(integer) : integer;
    if (!d.fraction.isEmpty())
        text += u'.' + d.fraction;
    if (text.isEmpty())
        return QStringLiteral("0");
    return (value < 0 && !zero) ? u'-' + text : text;
}

} // namespace

QString format(double value, const QString &pattern)
{
    if (!std::isfinite(value))
        return FieldCodec::plainNumber(value);
    if (pattern.compare(QLatin1String("Currency"), Qt::CaseInsensitive) == 0) {
        const QString text = u'$' + fixed(value, 2, true);
        const bool negative = value < 0 && !isZero(digitsOf(value, 2));
        return negative ? u'(' + text + u')' : text;
    }
    if (pattern.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0) {
        const QString text = fixed(value, 2, true);
        const bool negative = value < 0 && !isZero(digitsOf(value, 2));
        return negative ? u'-' + text : text;
    }
    if (isPattern(pattern))
        return byPattern(value, pattern);
    return FieldCodec::plainNumber(value);
}

bool parse(const QString &text, double *value)
{
    *value = 0;
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'(') && t.endsWith(u')')) {
        negative = true;
        t = t.mid(1, t.size() - 2).trimmed();
    }
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = negative != (t[0] == u'-');
        t = t.mid(1);
    }
    if (t.startsWith(u'$'))
        t = t.mid(1);
    if (t.isEmpty())
        return false;
    QString digits;
    bool point = false;
    bool any = false;
    for (QChar c : std::as_const(t)) {
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            any = true;
        } else if (c == u',' && !point) {
            continue;
        } else if (c == u'.' && !point) {
            point = true;
            digits += c;
        } else {
            return false;
        }
    }
    if (!any)
        return false;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok)
        return false;
    *value = negative ? -v : v;
    return true;
}

} // namespace NumberFormat
