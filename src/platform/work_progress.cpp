#include "work_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

bool cancelling = false;

} // namespace

void WorkProgress::cancelNext() { cancelling = true; }

WorkProgress::WorkProgress(QWidget *parent, const QString &what, int total)
    : dialog_(new QProgressDialog(what, QStringLiteral("Cancelar"), 0, total, parent)), cancelled_(cancelling)
{
    cancelling = false;
    dialog_->setWindowTitle(QStringLiteral("QUELVAR"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
}

WorkProgress::~WorkProgress() { done(); }

bool WorkProgress::step(int done)
{
    if (cancelled_)
        return false;
    if (!dialog_)
        return true;
    dialog_->setValue(done);
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}

void WorkProgress::done()
{
    // Gone, not hidden: a hidden one still shows itself once its half
    // second is up, over whatever the program asks next.
    delete dialog_;
    dialog_ = nullptr;
}
