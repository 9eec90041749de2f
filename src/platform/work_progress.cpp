#include "work_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <climits>
#include <utility>

namespace {

int &nextCancel()
{
    static int step = 0;
    return step;
}

} // namespace

WorkProgress::WorkProgress(QWidget *parent, const QString &what, qint64 total)
    : dialog_(new QProgressDialog(what, QStringLiteral("Cancelar"), 0, 0, parent)),
      scale_(1 + total / INT_MAX),
      cancelAt_(std::exchange(nextCancel(), 0))
{
    dialog_->setMaximum(int(total / scale_));
    dialog_->setWindowTitle(QStringLiteral("QUELVAR"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
}

WorkProgress::~WorkProgress() { done(); }

void WorkProgress::cancelNextAt(int step) { nextCancel() = step; }

void WorkProgress::setText(const QString &what)
{
    if (dialog_)
        dialog_->setLabelText(what);
}

bool WorkProgress::step(qint64 done)
{
    if (!dialog_)
        return true;
    if (cancelAt_ > 0 && ++steps_ >= cancelAt_) {
        dialog_->cancel();
        return false;
    }
    dialog_->setValue(int(std::min<qint64>(done / scale_, dialog_->maximum())));
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}

void WorkProgress::done()
{
    if (!dialog_)
        return;
    // Gone, not hidden: a hidden one still shows itself once its half
    // second is up, over whatever the program asks next.
    QWidget *window = dialog_->isVisible() && dialog_->parentWidget() ? dialog_->parentWidget()->window() : nullptr;
    delete dialog_;
    dialog_ = nullptr;
    // The window it covered takes the keys back, also where no window
    // manager hands them over.
    if (window)
        window->activateWindow();
}
