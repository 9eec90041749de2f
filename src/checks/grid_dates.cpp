#include "grid_dates.h"

#include "tax_id.h"

#include <optional>

namespace GridDates {

namespace {

// A decimal number, as a numeric test reads it: blanks around, an optional
// sign, digits with at most one point. "07" is 7; "1/" is no number.
std::optional<double> numberOf(const QString &piece)
{
    const QString t = piece.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9')
            digits = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok) {
        // "5." and ".5" read as numbers too.
        QString fixed = t;
        if (fixed.endsWith(u'.'))
            fixed.chop(1);
        const qsizetype dot = fixed.indexOf(u'.');
        if (dot >= 0 && (dot == 0 || !fixed[dot - 1].isDigit()))
            fixed.insert(dot, u'0');
        const double again = fixed.toDouble(&ok);
        return ok ? std::optional<double>(again) : std::nullopt;
    }
    return value;
}

// A piece of a date: digits and nothing else. A sign, a point or a blank
// reads as a number elsewhere, but no table takes it inside a date.
std::optional<int> digitsOf(const QString &piece)
{
    if (piece.isEmpty())
        return std::nullopt;
    for (const QChar c : piece)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return piece.toInt();
}

} // namespace

QString formatComplaint()
{
    return QStringLiteral(" La fecha tiene un formato incorrecto, debe ser del tipo 01/01/2001. Rectifica por favor");
}

QString lengthComplaint(const QString &text, int limit, const QString &message)
{
    if (text.size() <= limit)
        return {};
    return message + QStringLiteral(" Rectifica por favor");
}

DateCheck check(const QString &typed, const QDate &today)
{
    DateCheck out;
    QString t = typed;
    switch (t.size()) {
    case 6:
        if (!t.contains(u'/'))
            t = t.left(2) + u'/' + t.mid(2, 2) + QStringLiteral("/20") + t.right(2);
        else
            out.complaints.append(formatComplaint());
        break;
    case 8:
        // Numeric as the pieces are below: 1234.567 is ddmmyyyy as well.
        if (numberOf(t))
            t = t.left(2) + u'/' + t.mid(2, 2) + u'/' + t.right(4);
        else
            t = t.left(6) + QStringLiteral("20") + t.right(2);
        break;
    case 10:
        break;
    default:
        out.text = t;
        out.complaints.append(formatComplaint());
        return out;
    }
    const auto day = digitsOf(t.left(2));
    const auto month = digitsOf(t.mid(3, 2));
    const auto year = digitsOf(t.right(4));
    if (!day || !month || !year) {
        out.text = t;
        out.rewritten = t != typed;
        out.complaints.append(formatComplaint());
        return out;
    }
    // Whatever separators were typed, the cell keeps the date in the one
    // form its table reads.
    t = t.left(2) + u'/' + t.mid(3, 2) + u'/' + t.right(4);
    out.text = t;
    out.rewritten = t != typed;

    if (*year > today.year() || *year < today.year() - 1) {
        out.complaints.append(QStringLiteral("El año que has introducido no es válido. Rectifica por favor"));
        return out;
    }
    if (*month > 12) {
        out.complaints.append(QStringLiteral("El año sólo cuenta con 12 meses. Rectifica por favor"));
        return out;
    }
    const int days = daysOfMonth(*month, *year);
    if (*day > days) {
        out.complaints.append(
            QStringLiteral("El mes que has colocado sólo cuenta con %1 días. Rectifica por favor").arg(days));
        return out;
    }
    // Day 00 or month 00 get this far: no calendar date.
    const QDate date(*year, *month, *day);
    if (!date.isValid()) {
        out.complaints.append(formatComplaint());
        return out;
    }
    if (date > today)
        out.complaints.append(QStringLiteral("La fecha introducida es posterior a la actual. Debe ser menor o igual "
                                             "al día de hoy. Rectifica por favor"));
    return out;
}

} // namespace GridDates
