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
// The dialog opens on the file suggested, if any.
QString toWrite(QWidget *parent, const QString &title, const QString &filter, const QString &suggested = {});

void setScripted(const QStringList &choices);
bool scripted();

} // namespace FileChoice
