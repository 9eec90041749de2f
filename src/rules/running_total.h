#pragma once

#include <QtGlobal>

class RecordView;

// A total added up record by record as the window adds it: each sum rounded
// to 15 significant digits (decimalRounded), read back as a double.
//
// While every amount is a decimal of at most five places and the total stays
// under ten thousand million, each of those rounded sums is exactly the
// decimal sum of the amounts so far; the total is then kept as a whole
// number of hundred-thousandths, added without any rounding, and the field's
// text is read without a number parser. Any other amount (more places, a
// larger figure, a text the strict reading does not take) is read by the
// table engine, and the total goes on as a double, rounded at each step: the
// result is the same either way.
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
        qint64 units_ = 0; // hundred-thousandths, when exact_
        double value_ = 0;
    };

    void add(const Amount &amount);
    void add(double amount);
    double value() const;

private:
    bool exact_ = true;
    qint64 units_ = 0;
    double value_ = 0;
};
