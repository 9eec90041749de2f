#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The files the user chooses to read or to write, in Qt's dialog. Tests
// script it: the next choices come from a queue (an empty one: the dialog
// cancelled), and no dialog is shown.
namespace FileChoice {

// An empty text when the user cancels.
QString toRead(QWidget *parent, const QString &title, const QString &filter);
// The dialog opens on the file suggested, if any, and on the type
// *selected names, if any (else the first of the filter's); *selected
// comes back as the type the user left chosen. The name comes back with an
// extension of that type: one typed that a type of the filter has stays
// ("x.csv" chosen as a spreadsheet is still "x.csv"), any other gets the
// type's first one added ("x" and "x.2024" as a spreadsheet: "x.xlsx",
// "x.2024.xlsx"; a type with none, "Todos (*)", adds none). When the name
// so made is a file already there, the user is asked before it is
// replaced (the dialog asked only of the name typed); No is a cancel.
QString toWrite(QWidget *parent, const QString &title, const QString &filter, const QString &suggested = {},
                QString *selected = nullptr);

// A scripted choice is a path, or a path, "|" and the type chosen in the
// dialog ("/tmp/exp1|Texto CSV (*.csv)"); without a type, the type the
// dialog opens on.
void setScripted(const QStringList &choices);
bool scripted();

} // namespace FileChoice
