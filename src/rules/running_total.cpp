#include "running_total.h"

#include "checks/number_text.h"
#include "store/recordset.h"

#include <cstring>

namespace {

constexpr int kPlaces = 5;
constexpr qint64 kUnit = 100000;         // 10^kPlaces
constexpr qint64 kLimit = 1000000000000000; // 10^15 hundred-thousandths: 10^10

// Blanks, a sign, digits with one point: the amount in hundred-thousandths,
// when it has at most five places and is below the limit.
bool strictUnits(QByteArrayView text, qint64 *units)
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
    if (p == end)
        return false;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    qint64 whole = 0;
    qint64 fraction = 0;
    int places = -1;
    bool digits = false;
    for (; p < end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            digits = true;
            if (places < 0) {
                whole = whole * 10 + (c - '0');
                if (whole >= kLimit / kUnit)
                    return false;
            } else if (++places > kPlaces) {
                return false;
            } else {
                fraction = fraction * 10 + (c - '0');
            }
        } else if (c == '.' && places < 0) {
            places = 0;
        } else {
            return false;
        }
    }
    if (!digits)
        return false;
    for (int i = places < 0 ? 0 : places; i < kPlaces; ++i)
        fraction *= 10;
    *units = negative ? -(whole * kUnit + fraction) : whole * kUnit + fraction;
    return true;
}

// The double nearest a number of hundred-thousandths: the division of two
// exact figures is rounded once, as the engine reads the same text.
double toDouble(qint64 units) { return double(units) / double(kUnit); }

} // namespace

RunningTotal::Amount::Amount(const RecordView &record, int field, bool numeric)
{
    // (The stored bytes come without the blanks that pad them at the end.)
    if (numeric && strictUnits(record.storedBytes(field), &units_)) {
        null_ = false;
        exact_ = true;
        return;
    }
    bool isNull = false;
    value_ = record.number(field, &isNull);
    null_ = isNull;
}

double RunningTotal::Amount::value() const { return exact_ ? toDouble(units_) : value_; }

void RunningTotal::add(const Amount &amount)
{
    if (amount.null_)
        return;
    if (exact_ && amount.exact_) {
        const qint64 sum = units_ + amount.units_;
        if (sum < kLimit && sum > -kLimit) {
            units_ = sum;
            return;
        }
    }
    add(amount.value());
}

void RunningTotal::add(double amount)
{
    if (exact_) {
        value_ = toDouble(units_);
        exact_ = false;
    }
    value_ = decimalRounded(value_ + amount);
}

double RunningTotal::value() const { return exact_ ? toDouble(units_) : value_; }
