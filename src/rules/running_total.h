#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <cstring>
#include <optional>

class RecordView;

// A total added up record by record: the exact decimal sum of the stored
// amounts, whatever their places, size or number (a whole number of units
// of the finest place seen, 128 bits wide), rounded once when it is shown:
// 15 significant digits, as every total the window writes.
//
// An amount the strict reading does not take (a text the table engine reads
// otherwise), a figure computed in doubles, or a sum past 128 bits, is added
// as the decimal text of its 15 significant digits; only a sum past 128 bits
// goes on as a double, rounded at each step.
class RunningTotal {
public:
    // One field's amount of one record.
    class Amount {
    public:
        // The amount a field holds; a blank field, or one holding no number,
        // holds none. `numeric`: the field is of kind N or F.
        Amount(const RecordView &record, int field, bool numeric);
        bool isNull() const { return null_; }
        double value() const;

    private:
        friend class RunningTotal;
        bool null_ = true;
        bool exact_ = false;
        __int128 units_ = 0; // of the place below, when exact_
        int places_ = 0;
        double value_ = 0;
    };

    // A stored amount of a fixed-point field, as most are written (blanks,
    // a minus, at most 18 digits with every decimal place): false for
    // anything else, which Amount reads.
    static bool fixedUnits(QByteArrayView field, int decimals, qint64 *units);

    void add(const Amount &amount);
    // A whole number of units of the place given.
    void addUnits(__int128 units, int places) { addExact(units, places); }
    void add(double amount);
    void add(const RunningTotal &other);
    // Takes an amount added before back out: exact while the sum is.
    void subtract(const Amount &amount);
    // False once the sum went on in doubles (past 128 bits).
    bool isExact() const { return exact_; }
    // The sum as the window writes it (see decimalText).
    QString text() const;
    // The sum whole, to be kept in a file and read back as it was.
    QString keptForm() const;
    static std::optional<RunningTotal> fromKeptForm(const QString &form);

private:
    void addExact(__int128 units, int places);
    void addDouble(double amount);

    bool exact_ = true;
    __int128 units_ = 0;
    int places_ = 0;
    double value_ = 0;
};

// (inline: the walks call it for every amount of every record)
inline bool RunningTotal::fixedUnits(QByteArrayView field, int decimals, qint64 *units)
{
    const qsizetype length = field.size();
    if (decimals <= 0 || length > 19 || length < decimals + 2)
        return false;
    const char *p = field.data();
    const char *dot = p + length - decimals - 1;
    if (*dot != '.')
        return false;
    static constexpr quint64 kEightBlanks = 0x2020202020202020ULL;
    for (quint64 word = 0; dot - p >= 8; p += 8) {
        std::memcpy(&word, p, 8);
        if (word != kEightBlanks)
            break;
    }
    while (p < dot && *p == ' ')
        ++p;
    const bool negative = p < dot && *p == '-';
    p += negative ? 1 : 0;
    if (p == dot)
        return false;
    quint64 value = 0;
    for (; p < dot; ++p) {
        const unsigned digit = unsigned(*p) - '0';
        if (digit > 9)
            return false;
        value = value * 10 + digit;
    }
    for (const char *end = field.data() + length; ++p < end;) {
        const unsigned digit = unsigned(*p) - '0';
        if (digit > 9)
            return false;
        value = value * 10 + digit;
    }
    *units = negative ? -qint64(value) : qint64(value);
    return true;
}
