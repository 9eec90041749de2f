#pragma once

// The pieces the printed request is made of, shared by its general blocks
// and its sections.
#include "rules/request_report.h"
#include "rules/running_total.h"

#include <QHash>
#include <QString>
#include <optional>

class RecordView;

namespace RequestReport::Text {

// Thrown while the report is built when a value does not fit its column
// or a field cannot be read: the report is then left incomplete.
struct Unfit {};

inline QString blanks(qsizetype n)
{
    if (n < 0)
        throw Unfit{};
    return QString(n, u' ');
}
inline QString filled(const QString &value, qsizetype width) { return value + blanks(width - value.size()); }
inline QString rightAligned(const QString &value, qsizetype width)
{
    return blanks(width - value.size()) + value;
}

// Appends the pieces of a long text in place.
class Appender {
public:
    explicit Appender(QString &text) : text_(text) {}
    Appender &operator<<(const QString &piece)
    {
        text_.append(piece);
        return *this;
    }
    Appender &operator<<(QChar c)
    {
        text_.append(c);
        return *this;
    }
    Appender &blanks(qsizetype n)
    {
        if (n < 0)
            throw Unfit{};
        text_.resize(text_.size() + n, u' ');
        return *this;
    }
    Appender &filled(const QString &value, qsizetype width) { return *this << value, blanks(width - value.size()); }
    Appender &rightAligned(const QString &value, qsizetype width) { return blanks(width - value.size()) << value; }

private:
    QString &text_;
};

const QString &rule();
// Rule, two line feeds, the title, a line feed, rule, a line feed.
QString titleBlock(const QString &title);

// A running total of a section: the non-null values added exactly, as the
// window's totals add them (each value by the text of its 15 significant
// digits), and rounded once when written.
class Total {
public:
    void add(std::optional<double> value);
    QString text() const;

private:
    RunningTotal sum_;
};

// The fields of one table a section reads, looked up by name once; a
// missing table or field leaves the report incomplete.
class Fields {
public:
    Fields(Recordset *table, std::initializer_list<const char *> names);
    // Every stored record in stored order; the current record is not moved.
    void forEach(const std::function<void(const RecordView &)> &visit) const;
    int operator[](const char *name) const;

private:
    Recordset *table_;
    QHash<QByteArray, int> index_;
};

// A field of a record as the report writes it: a number as plain decimal
// text, a date as dd/mm/yyyy, a text without its padding; empty when null.
QString printed(const RecordView &record, int field);
std::optional<double> number(const RecordView &record, int field);

// The sections of the mask, each as its title block followed by its body;
// index is 1 to 6. A body is appended to the report's text: the documents'
// sections, long, are written in place rather than held twice.
QString sectionTitle(int index, const Choices &choices);
void appendSection(int index, const ShownText &shown, const Choices &choices, const Tables &tables, QString &text);

// The attestation and the signature lines.
QString closingBlock();

} // namespace RequestReport::Text
