#include "running_total.h"

#include "checks/number_text.h"
#include "store/dbf_field.h"
#include "store/recordset.h"

#include <cstring>

namespace {

using Wide = __int128;
constexpr int kMostPlaces = 30;
constexpr int kShown = 15; // significant digits of a total shown

// Blanks, a sign, digits with one point: the amount as a whole number of
// units of its last place.
bool exactOf(QByteArrayView text, Wide *units, int *places)
{
    const char *p = text.data();
    const char *end = p + text.size();
    // A number stands at the right of its field: the blanks before it are
    // passed eight at a time.
    static constexpr quint64 kEightBlanks = 0x2020202020202020ULL;
    for (quint64 word = 0; end - p >= 8; p += 8) {
        std::memcpy(&word, p, 8);
        if (word != kEightBlanks)
            break;
    }
    while (p < end && (*p == ' ' || *p == '\0'))
        ++p;
    if (p == end) {
        *places = -1; // blank: no amount at all
        return false;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // The digits go into 64 bits while 18 of them fit, as every stored
    // amount of a field up to 20 wide does; into 128 past that.
    quint64 small = 0;
    Wide value = 0;
    int count = 0;
    int after = -1;
    for (; p < end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            if (after >= 0 && ++after > kMostPlaces)
                return false;
            if (++count <= 18) {
                small = small * 10 + quint64(c - '0');
                continue;
            }
            if (count == 19)
                value = small;
            if (__builtin_mul_overflow(value, 10, &value) || __builtin_add_overflow(value, c - '0', &value))
                return false;
        } else if (c == '.' && after < 0) {
            after = 0;
        } else {
            return false;
        }
    }
    if (count == 0)
        return false;
    if (count <= 18)
        value = small;
    *units = negative ? -value : value;
    *places = after < 0 ? 0 : after;
    return true;
}

} // namespace

namespace {

// units at `from` places brought to `to` places (to >= from); false past
// 128 bits.
bool rescale(Wide *units, int from, int to)
{
    for (; from < to; ++from)
        if (__builtin_mul_overflow(*units, 10, units))
            return false;
    return true;
}

// The exact sum rounded once to 15 significant digits (half away from
// zero), written as decimalText writes: no exponent, no trailing zeros.
QString exactText(Wide units, int places)
{
    if (units == 0)
        return QStringLiteral("0");
    const bool negative = units < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(units) : units;
    char buffer[48];
    int at = int(sizeof buffer);
    for (; magnitude > 0; magnitude /= 10)
        buffer[--at] = char('0' + int(magnitude % 10));
    QByteArray digits(buffer + at, int(sizeof buffer) - at);
    // The point stands `places` digits from the right.
    if (digits.size() <= places)
        digits.prepend(QByteArray(places + 1 - digits.size(), '0'));
    qsizetype point = digits.size() - places; // digits before the point
    qsizetype first = 0;
    while (digits[first] == '0')
        ++first;
    const qsizetype keep = first + kShown;
    if (keep < digits.size()) {
        const bool up = digits[keep] >= '5';
        for (qsizetype i = keep; i < digits.size(); ++i)
            digits[i] = '0';
        for (qsizetype i = keep; up;) {
            if (i == 0) { // 9...9 became 10...0
                digits.prepend('1');
                ++point;
                break;
            }
            if (digits[--i] != '9') {
                ++digits[i];
                break;
            }
            digits[i] = '0';
        }
    }
    QByteArray whole = digits.left(point);
    QByteArray fraction = digits.mid(point);
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove(0, 1);
    while (!fraction.isEmpty() && fraction.back() == '0')
        fraction.chop(1);
    QByteArray out = negative && (whole != "0" || !fraction.isEmpty()) ? "-" + whole : whole;
    if (!fraction.isEmpty())
        out += '.' + fraction;
    return QString::fromLatin1(out);
}

} // namespace

RunningTotal::Amount::Amount(const RecordView &record, int field, bool numeric)
{
    // (The stored bytes come without the blanks that pad them at the end.)
    if (numeric) {
        const FieldDef &f = record.field(field);
        if (qint64 units = 0; fixedUnits(record.fieldBytes(field), f.decimals, &units)) {
            units_ = units;
            places_ = f.decimals;
            null_ = false;
            exact_ = true;
            return;
        }
        if (exactOf(record.storedBytes(field), &units_, &places_)) {
            null_ = false;
            exact_ = true;
            return;
        }
        if (places_ < 0) { // a blank number field holds none
            places_ = 0;
            return;
        }
    }
    bool isNull = false;
    value_ = record.number(field, &isNull);
    null_ = isNull;
}

double RunningTotal::Amount::value() const { return exact_ ? exactText(units_, places_).toDouble() : value_; }

void RunningTotal::add(const Amount &amount)
{
    if (amount.null_)
        return;
    if (amount.exact_)
        addExact(amount.units_, amount.places_);
    else
        add(amount.value_);
}

void RunningTotal::subtract(const Amount &amount)
{
    if (amount.null_)
        return;
    if (amount.exact_)
        addExact(-amount.units_, amount.places_);
    else
        add(-amount.value_);
}

void RunningTotal::add(double amount)
{
    // A figure of doubles counts by the text of its 15 digits, as shown.
    Wide units = 0;
    int places = 0;
    const QByteArray text = decimalText(amount).toLatin1();
    if (exactOf(text, &units, &places))
        addExact(units, places);
    else
        addDouble(amount);
}

void RunningTotal::add(const RunningTotal &other)
{
    if (other.exact_)
        addExact(other.units_, other.places_);
    else
        addDouble(other.value_);
}

void RunningTotal::addExact(Wide units, int places)
{
    Wide sum = 0;
    if (exact_ && places == places_ && !__builtin_add_overflow(units_, units, &sum)) {
        units_ = sum; // the usual case: amounts of one field, of its places
        return;
    }
    if (exact_) {
        const int to = std::max(places, places_);
        Wide mine = units_;
        Wide theirs = units;
        if (rescale(&mine, places_, to) && rescale(&theirs, places, to) && !__builtin_add_overflow(mine, theirs, &sum)) {
            units_ = sum;
            places_ = to;
            return;
        }
    }
    addDouble(exactText(units, places).toDouble());
}

void RunningTotal::addDouble(double amount)
{
    if (exact_) {
        value_ = exactText(units_, places_).toDouble();
        exact_ = false;
    }
    value_ = decimalRounded(value_ + amount);
}

QString RunningTotal::text() const { return exact_ ? exactText(units_, places_) : decimalText(value_); }

QString RunningTotal::keptForm() const
{
    if (!exact_)
        return QStringLiteral("d") + QString::number(value_, 'g', 17);
    return QStringLiteral("e%1:%2:%3").arg(places_).arg(qint64(units_ >> 64)).arg(quint64(units_));
}

std::optional<RunningTotal> RunningTotal::fromKeptForm(const QString &form)
{
    RunningTotal total;
    bool ok = false;
    if (form.startsWith(u'd')) {
        total.exact_ = false;
        total.value_ = form.mid(1).toDouble(&ok);
        return ok ? std::optional(total) : std::nullopt;
    }
    const QStringList parts = form.mid(1).split(u':');
    if (!form.startsWith(u'e') || parts.size() != 3)
        return std::nullopt;
    bool placesOk = false, highOk = false, lowOk = false;
    total.places_ = parts[0].toInt(&placesOk);
    const qint64 high = parts[1].toLongLong(&highOk);
    const quint64 low = parts[2].toULongLong(&lowOk);
    if (!placesOk || !highOk || !lowOk || total.places_ < 0 || total.places_ > kMostPlaces)
        return std::nullopt;
    total.units_ = (Wide(high) << 64) | Wide(low);
    return total;
}
