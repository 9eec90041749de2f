#include "file_choice.h"

#include <QFileDialog>

namespace FileChoice {

namespace {

bool isScripted = false;
QStringList queue;

QString next()
{
    return queue.isEmpty() ? QString() : queue.takeFirst();
}

} // namespace

QString toRead(QWidget *parent, const QString &title, const QString &filter)
{
    return isScripted ? next() : QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString toWrite(QWidget *parent, const QString &title, const QString &filter, const QString &suggested)
{
    return isScripted ? next() : QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

void setScripted(const QStringList &choices)
{
    isScripted = true;
    queue = choices;
}

bool scripted() { return isScripted; }

} // namespace FileChoice
