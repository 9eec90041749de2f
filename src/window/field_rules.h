#pragma once

#include "checks/key_rules.h"

#include <QList>
#include <QString>

// How each text box of the request is guarded while it is typed: its key
// rule, the case it is forced to, where Enter sends the focus and what is
// done with its text when it is left. The window applies every row with one
// loop. Where Enter lands on a control of another tab, that tab is brought
// forward first.
namespace FieldRules {

enum Leave {
    NoLeave = 0,
    Thousands = 1,     // thousands separators put in (typing limit 14)
    ZeroWhenEmpty = 2, // then an empty text becomes "0"
    PostalCode = 4,    // five digits are required
    TaxId = 8,         // the tax id's length and date
};

enum class Case { None, Upper, Lower };

struct FieldRule {
    QString name;
    KeyRules::Rule keys;
    Case letterCase;
    QString enterTo; // the next control along the request
    int leave;       // Leave flags
};

const QList<FieldRule> &fields();
const FieldRule *find(const QString &name);

// The next control after a list (combo box) along the request, with the
// alternative taken when the first cannot take the focus.
QString comboEnterTo(const QString &combo);

} // namespace FieldRules
