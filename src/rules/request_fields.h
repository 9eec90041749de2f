#pragma once

#include "checks/key_rules.h"

#include <Qt>
#include <QList>
#include <QString>

// The controls of the request, in the order it is filled in, which is the
// keyboard order. Each text box carries all that is known of it: where it
// stands, what it stores, how it is guarded while typed and when it is
// left, where Enter sends the focus, and what the completeness review calls
// it when it is blank. The window builds, binds, guards and orders its
// controls from this table, one loop each.
namespace RequestFields {

enum class Kind { Text, Option, Combo, Check, Grid };

enum Leave {
    NoLeave = 0,
    Thousands = 1,     // thousands separators put in (typing limit 14)
    ZeroWhenEmpty = 2, // then an empty text becomes "0"
    PostalCode = 4,    // five digits are required
    TaxId = 8,         // the tax id's length and date
    Percentage = 16,   // at most 100
};

enum class Case { None, Upper, Lower };

struct Control {
    QString name;
    Kind kind = Kind::Text;
    // Enter sends the focus to enterTo; when that control cannot take it,
    // to enterElse if given, otherwise on along the request from enterTo.
    QString enterTo;
    QString enterElse;

    // Text and check boxes.
    int tab = -1;    // the tab that holds it, -1 for the header
    QString link;    // its data link ("dtsEmpresas", "dtsSolicitu"), empty when unbound
    QString field;   // the stored field it shows
    QString label;   // the caption's label
    QString caption;
    // Text boxes.
    int limit = 0;   // typing limit
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    QString hint;    // tool-tip
    KeyRules::Rule keys = KeyRules::Rule::Free;
    Case letterCase = Case::None;
    int leave = NoLeave; // Leave flags
    // What the review names when the box is blank (empty: not reviewed).
    // The review brings forward the box's tab; the header's boxes are
    // reviewed on the first tab.
    QString review;
    int reviewTab() const { return tab < 0 ? 0 : tab; }
};

// Every control, in keyboard order.
const QList<Control> &controls();
// The text boxes (the check boxes), in keyboard order.
QList<Control> textFields();
QList<Control> checkFields();
// The text boxes of one tab (-1: header), in keyboard order.
QList<Control> textFieldsOfTab(int tab);
// The control's row; nullptr for a name not in the table.
const Control *find(const QString &name);

} // namespace RequestFields
