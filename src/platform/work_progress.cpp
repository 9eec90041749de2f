#include "work_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

WorkProgress::WorkProgress(QWidget *parent, const QString &what, int total)
    : dialog_(new QProgressDialog(what, QStringLiteral("Cancelar"), 0, total, parent))
{
    dialog_->setWindowTitle(QStringLiteral("QUELVAR"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
}

WorkProgress::~WorkProgress() { delete dialog_; }

bool WorkProgress::step(int done)
{
    dialog_->setValue(done);
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}

void WorkProgress::done() { dialog_->hide(); }
