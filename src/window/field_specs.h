#pragma once

#include <Qt>
#include <QList>
#include <QString>

// The text boxes and check boxes of the request window that show a stored
// field, with their place, caption, typing limit, alignment and hint. The
// window builds, binds and lays them out from this table, in the keyboard
// order of each tab.
struct TextFieldSpec {
    QString name;    // the control
    QString link;    // its data link ("dtsEmpresas", "dtsSolicitu"), empty when unbound
    QString field;   // the stored field it shows
    int tab;         // the tab that holds it, -1 for the header
    QString label;   // the caption's label
    QString caption;
    int limit;       // typing limit
    Qt::Alignment align;
    QString hint;    // tool-tip
};

struct CheckFieldSpec {
    QString name;
    QString field; // a flag of solicitu
    int tab;
    QString caption;
};

const QList<TextFieldSpec> &textFieldSpecs();
const QList<CheckFieldSpec> &checkFieldSpecs();
// The fields of one tab (-1: header), in keyboard order.
QList<TextFieldSpec> textFieldsOfTab(int tab);
