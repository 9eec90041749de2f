#pragma once

#include <QString>
#include <QtGlobal>

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

    void add(const Amount &amount);
    void add(double amount);
    void add(const RunningTotal &other);
    // Takes an amount added before back out: exact while the sum is.
    void subtract(const Amount &amount);
    // False once the sum went on in doubles (past 128 bits).
    bool isExact() const { return exact_; }
    // The sum as the window writes it (see decimalText).
    QString text() const;

private:
    void addExact(__int128 units, int places);
    void addDouble(double amount);

    bool exact_ = true;
    __int128 units_ = 0;
    int places_ = 0;
    double value_ = 0;
};
