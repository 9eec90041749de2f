#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The cost structure of the exported product: six cost concepts with a
// national and an imported column, whose totals follow every change of the
// fields as the user types (or as the program writes them). Each field whose
// change runs a rule has its steps in a table, run in order; a step writes a
// total as the sum of its operands (left to right, double precision) when
// every operand is a number, and leaves it as it was otherwise. Writing a
// total is itself a change of that total and runs that total's rule.
namespace CostStructure {

struct Write {
    QString field;
    QString text;
    bool operator==(const Write &) const = default;
};

// The text of a field as the window shows it.
using TextOf = std::function<QString(const QString &field)>;

// The fields whose change runs a rule.
QStringList watchedFields();

// What a change of the field's text writes, in order: each total written is
// followed by what its own change writes in turn. Writes that leave a total
// as it was are left out. Nothing for a field without a rule.
QList<Write> changed(const QString &field, const TextOf &textOf);

} // namespace CostStructure
