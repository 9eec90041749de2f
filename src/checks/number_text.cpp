#include "number_text.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

std::optional<QString> withThousands(const QString &text)
{
    const qsizetype point = text.indexOf(u'.');
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0 && (point < 0 || comma < point))
        return std::nullopt;
    // Blanks around the number and the sign stay in front of the digits:
    // "-1234.5" gives "-1,234.5", " 123 " stays " 123 ".
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    if (start < text.size() && (text[start] == u'-' || text[start] == u'+'))
        ++start;
    qsizetype end = point < 0 ? text.size() : point;
    while (end > start && text[end - 1].isSpace())
        --end;
    QString integer = text.mid(start, end - start);
    const QString decimals = text.mid(end);
    QString result;
    while (!integer.isEmpty()) {
        if (integer.size() < 4) {
            result.prepend(integer);
            break;
        }
        result.prepend(u',' + integer.right(3));
        integer.chop(3);
    }
    return text.left(start) + result + decimals;
}

std::optional<double> decimalNumber(QStringView text)
{
    text = text.trimmed();
    QByteArray plain;
    plain.reserve(text.size());
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        plain.append(char(text[i++].unicode()));
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            plain.append(char(c.unicode()));
            digits = true;
        } else if (c == u',' && !point && digits) {
            continue; // a thousands separator
        } else if (c == u'.' && !point) {
            plain.append('.');
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString decimalText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");
    // The 15 significant digits and the power of ten of the first.
    char buffer[40];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view sci(buffer, size_t(res.ptr - buffer));
    const size_t e = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string digits;
    for (char c : sci.substr(0, e))
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    int exponent = 0;
    std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out;
    if (exponent < 0) {
        out = "0." + std::string(size_t(-exponent - 1), '0') + digits;
    } else if (size_t(exponent) + 1 >= digits.size()) {
        out = digits + std::string(size_t(exponent) + 1 - digits.size(), '0');
    } else {
        out = digits.substr(0, size_t(exponent) + 1) + '.' + digits.substr(size_t(exponent) + 1);
    }
    return QString::fromLatin1(negative ? "-" + out : out);
}

namespace {

// Exact powers of ten as doubles: 1e0 to 1e22.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double roundedThroughText(double value)
{
    char buffer[40];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    double rounded = value;
    std::from_chars(buffer, res.ptr, rounded, std::chars_format::scientific);
    return rounded;
}

} // namespace

double decimalRounded(double value)
{
    if (!std::isfinite(value) || value == 0)
        return value == 0 ? 0 : value;
    // The totals walk rounds once per record: the text is avoided where the
    // answer is certain. With the 15 digits scaled to an integer (by an exact
    // power of ten, so that dividing back gives the double the text reads
    // back as), the product's own rounding moves it by at most 1/16; only a
    // product that close to a half goes the long way.
    const double magnitude = std::fabs(value);
    // A short binary fraction (an integer, a half, ... a sixteenth) is a
    // decimal of as many places: with room for its digits it stays as it is.
    double doubled = magnitude;
    double limit = 1e15;
    for (int places = 0; places <= 4; ++places, doubled *= 2, limit /= 10) {
        if (doubled == std::floor(doubled)) {
            if (magnitude < limit)
                return value;
            break;
        }
    }
    if (magnitude >= 1e-7 && magnitude < 1e15) {
        // The power of ten of the first digit, from the binary exponent:
        // right or one short, which the scaling below mends.
        int binary = 0;
        std::frexp(magnitude, &binary);
        int shift = 14 - int(std::floor((binary - 1) * 0.30102999566398120));
        double scaled = magnitude * kPowersOfTen[shift];
        if (scaled < 1e14 && shift < 22)
            scaled = magnitude * kPowersOfTen[++shift];
        else if (scaled >= 1e15 && shift > 0)
            scaled = magnitude * kPowersOfTen[--shift];
        const double whole = std::floor(scaled);
        if (scaled >= 1e14 && scaled < 1e15 && std::fabs(scaled - whole - 0.5) > 0.1) {
            const double digits = scaled - whole > 0.5 ? whole + 1 : whole;
            return std::copysign(digits / kPowersOfTen[shift], value);
        }
    }
    return roundedThroughText(value);
}
