#include "field_codec.h"

#include "code_page.h"
#include "store_error.h"

#include <QDate>
#include <QLocale>
#include <QVarLengthArray>
#include <charconv>
#include <cmath>
#include <cstring>

namespace FieldCodec {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\0'; }
bool quickDecimal(const char *p, const char *end, double *out);

QString fieldLabel(const FieldDef &field, const QString &tableName)
{
    return QStringLiteral("el campo %1 de la tabla «%2»").arg(field.name, tableName);
}

[[noreturn]] void refuse(const FieldDef &field, const QString &tableName, const QString &why)
{
    throw StoreError(QStringLiteral("No se puede guardar %1: %2.").arg(fieldLabel(field, tableName), why));
}

QString displayValue(const QVariant &value)
{
    QString s = value.toString();
    return s.size() > 40 ? s.left(40) + QStringLiteral("…") : s;
}

double toNumber(const FieldDef &field, const QVariant &value, const QString &tableName, bool *isNull)
{
    *isNull = false;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.trimmed().isEmpty()) {
            *isNull = true;
            return 0;
        }
        double d = 0;
        if (!parseDecimal(text, &d))
            refuse(field, tableName, QStringLiteral("«%1» no es un número").arg(displayValue(value)));
        return d;
    }
    default: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            refuse(field, tableName, QStringLiteral("«%1» no es un número").arg(displayValue(value)));
        return d;
    }
    }
}

// dd/mm/yyyy read without the general parser, which takes it the same way;
// an invalid QDate for any other text, or a day that does not exist.
QDate quickDate(const QString &text)
{
    if (text.size() != 10 || text[2] != u'/' || text[5] != u'/')
        return {};
    int parts[3] = {0, 0, 0};
    for (int i = 0, part = 0; i < 10; ++i) {
        if (i == 2 || i == 5) {
            ++part;
            continue;
        }
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return {};
        parts[part] = parts[part] * 10 + (c - u'0');
    }
    return QDate(parts[2], parts[1], parts[0]);
}

QDate toDate(const FieldDef &field, const QVariant &value, const QString &tableName, bool *isNull)
{
    *isNull = false;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
        const QDate d = value.toDate();
        if (!d.isValid())
            refuse(field, tableName, QStringLiteral("la fecha no es válida"));
        return d;
    }
    const QString text = value.toString().trimmed();
    if (text.isEmpty()) {
        *isNull = true;
        return {};
    }
    QDate d = quickDate(text);
    if (!d.isValid())
        d = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid())
        d = QDate::fromString(text, QStringLiteral("d/M/yyyy"));
    if (!d.isValid() && text.size() == 8)
        d = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        refuse(field, tableName, QStringLiteral("«%1» no es una fecha válida").arg(displayValue(value)));
    return d;
}

// -1 null, 0 false, 1 true
int toFlag(const FieldDef &field, const QVariant &value, const QString &tableName)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::QString: {
        const QString t = value.toString().trimmed().toUpper();
        if (t.isEmpty() || t == QLatin1String("?"))
            return -1;
        if (t == QLatin1String("T") || t == QLatin1String("Y") || t == QLatin1String("S") || t == QLatin1String("1")
            || t == QLatin1String("TRUE") || t == QStringLiteral("SÍ") || t == QLatin1String("SI"))
            return 1;
        if (t == QLatin1String("F") || t == QLatin1String("N") || t == QLatin1String("0") || t == QLatin1String("FALSE")
            || t == QLatin1String("NO"))
            return 0;
        refuse(field, tableName, QStringLiteral("«%1» no es un valor lógico").arg(displayValue(value)));
    }
    default: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            refuse(field, tableName, QStringLiteral("«%1» no es un valor lógico").arg(displayValue(value)));
        return d != 0 ? 1 : 0;
    }
    }
}

void encodeNumber(const FieldDef &field, double d, char *dest, const QString &tableName)
{
    if (!std::isfinite(d))
        refuse(field, tableName, QStringLiteral("el valor no es un número finito"));
    QByteArray text = QByteArray::number(d, 'f', field.decimals);
    // A value that rounds to zero is written without a sign.
    bool allZero = true;
    for (char c : text)
        if (c >= '1' && c <= '9')
            allZero = false;
    if (allZero && text.startsWith('-'))
        text.remove(0, 1);
    if (text.size() > field.length)
        refuse(field, tableName,
               QStringLiteral("el número %1 no cabe en su ancho de %2 caracteres con %3 decimales")
                   .arg(plainNumber(d))
                   .arg(field.length)
                   .arg(field.decimals));
    const int pad = field.length - int(text.size());
    std::memset(dest, ' ', size_t(pad));
    std::memcpy(dest + pad, text.constData(), size_t(text.size()));
}

} // namespace

bool parseDecimal(QStringView text, double *out)
{
    QVarLengthArray<char, 64> ascii; // on the stack for any usual number
    bool seenPoint = false;
    bool seenDigit = false;
    const QStringView t = text.trimmed();
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9') {
            ascii.append(char(c));
            seenDigit = true;
        } else if (c == u',' && !seenPoint && seenDigit) {
            continue; // thousands separator
        } else if (c == u'.' && !seenPoint) {
            ascii.append('.');
            seenPoint = true;
        } else if ((c == u'-' || c == u'+') && i == 0) {
            if (c == u'-')
                ascii.append('-');
        } else {
            return false;
        }
    }
    if (!seenDigit)
        return false;
    double d = 0;
    const char *begin = ascii.constData();
    const char *end = begin + ascii.size();
    if (!quickDecimal(begin, end, &d)) {
        const auto res = std::from_chars(begin, end, d);
        if (res.ec != std::errc() || res.ptr != end)
            return false;
    }
    *out = d;
    return true;
}

QString displayText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return plainNumber(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default:
        return value.toString();
    }
}

QString plainNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

namespace {

// The usual number of a table, digits with a point and a sign at most, read
// without the general parser: its digits make an integer below 2^53 that the
// power of ten of its decimals divides exactly, so the one division rounds
// as the parser would.
bool quickDecimal(const char *p, const char *end, double *out)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    const bool negative = *p == '-';
    if (negative)
        ++p;
    quint64 digits = 0;
    int count = 0;
    int decimals = -1;
    for (; p < end; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + quint64(*p - '0');
            if (++count > 18)
                return false;
            if (decimals >= 0)
                ++decimals;
        } else if (*p == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (count == 0 || digits >= (quint64(1) << 53))
        return false;
    const double value = double(digits) / kPowers[decimals < 0 ? 0 : decimals];
    *out = negative ? -value : value;
    return true;
}

} // namespace

// A stored number is blanks, at most one sign, digits and at most one point,
// as every dBASE writer puts it. Anything else ("nan", "inf", "1e308", the
// "*****" of an overflow) reads as no value: a blank field to every total,
// review and report, instead of a figure no one typed.
double decodeNumber(const FieldDef &field, const char *record, bool *isNull)
{
    const char *p = record + field.offset;
    const char *end = p + field.length;
    while (p < end && isBlank(*p))
        ++p;
    while (end > p && isBlank(end[-1]))
        --end;
    *isNull = true;
    if (p < end && *p == '+' && ++p < end && *p == '-')
        return 0; // two signs
    double d = 0;
    if (p == end)
        return 0;
    if (quickDecimal(p, end, &d)) {
        *isNull = false;
        return d;
    }
    // Too many digits for the quick way: the same shape, read by the parser.
    const char *digits = p < end && *p == '-' ? p + 1 : p;
    bool seenPoint = false;
    bool seenDigit = false;
    for (const char *c = digits; c < end; ++c) {
        if (*c >= '0' && *c <= '9')
            seenDigit = true;
        else if (*c == '.' && !seenPoint)
            seenPoint = true;
        else
            return 0;
    }
    if (!seenDigit)
        return 0;
    const auto res = std::from_chars(p, end, d, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != end || !std::isfinite(d))
        return 0;
    *isNull = false;
    return d;
}

QVariant decode(const FieldDef &field, const char *record, const CodePage &cp)
{
    const char *p = record + field.offset;
    switch (field.type) {
    case 'C': {
        int len = field.length;
        while (len > 0 && isBlank(p[len - 1]))
            --len;
        if (len == 0)
            return {};
        return cp.decode(p, len);
    }
    case 'N':
    case 'F': {
        bool isNull = false;
        const double d = decodeNumber(field, record, &isNull);
        return isNull ? QVariant() : QVariant(d);
    }
    case 'D': {
        if (field.length != 8)
            return {};
        int y = 0, m = 0, day = 0;
        for (int i = 0; i < 8; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return {};
            const int digit = p[i] - '0';
            if (i < 4)
                y = y * 10 + digit;
            else if (i < 6)
                m = m * 10 + digit;
            else
                day = day * 10 + digit;
        }
        const QDate d(y, m, day);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case 'L':
        switch (*p) {
        case 'T': case 't': case 'Y': case 'y':
            return true;
        case 'F': case 'f': case 'N': case 'n':
            return false;
        default:
            return {};
        }
    default:
        return {};
    }
}

void encode(const FieldDef &field, const QVariant &value, const CodePage &cp, char *record, const QString &tableName)
{
    char *dest = record + field.offset;
    const bool null = !value.isValid() || value.isNull();
    switch (field.type) {
    case 'C': {
        if (null) {
            std::memset(dest, ' ', size_t(field.length));
            return;
        }
        const QString text = displayText(value);
        QByteArray bytes;
        if (!cp.encode(text, &bytes))
            refuse(field, tableName,
                   QStringLiteral("«%1» tiene caracteres que la tabla no admite").arg(displayValue(value)));
        if (bytes.size() > field.length)
            refuse(field, tableName,
                   QStringLiteral("«%1» tiene %2 caracteres y el campo admite %3")
                       .arg(displayValue(value))
                       .arg(text.size())
                       .arg(field.length));
        std::memcpy(dest, bytes.constData(), size_t(bytes.size()));
        std::memset(dest + bytes.size(), ' ', size_t(field.length - bytes.size()));
        return;
    }
    case 'N':
    case 'F': {
        bool isNull = null;
        const double d = null ? 0 : toNumber(field, value, tableName, &isNull);
        if (isNull) {
            std::memset(dest, ' ', size_t(field.length));
            return;
        }
        encodeNumber(field, d, dest, tableName);
        return;
    }
    case 'D': {
        bool isNull = null;
        const QDate d = null ? QDate() : toDate(field, value, tableName, &isNull);
        if (isNull) {
            std::memset(dest, ' ', size_t(field.length));
            return;
        }
        if (d.year() >= 1 && d.year() <= 9999) {
            // yyyymmdd written digit by digit: the format parser costs more
            // than the rest of a record.
            const int digits[3][2] = {{d.year(), 4}, {d.month(), 2}, {d.day(), 2}};
            char *at = dest;
            for (const auto &[number, width] : digits) {
                for (int i = width - 1, n = number; i >= 0; --i, n /= 10)
                    at[i] = char('0' + n % 10);
                at += width;
            }
            return;
        }
        const QByteArray text = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(dest, text.constData(), 8);
        return;
    }
    case 'L': {
        const int flag = null ? -1 : toFlag(field, value, tableName);
        *dest = flag < 0 ? ' ' : (flag ? 'T' : 'F');
        return;
    }
    default:
        refuse(field, tableName, QStringLiteral("los campos memo no se escriben"));
    }
}

} // namespace FieldCodec
