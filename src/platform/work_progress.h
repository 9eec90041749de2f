#pragma once

#include <QString>

class QProgressDialog;
class QWidget;

// The progress of long work in the window: a dialog with what is being done,
// a bar and "Cancelar", shown only once the work has taken half a second.
class WorkProgress {
public:
    WorkProgress(QWidget *parent, const QString &what, qint64 total);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    // What is being done now.
    void setText(const QString &what);
    // So much is done; false once the user asked to cancel.
    bool step(qint64 done);
    void done();

    // For tests: the next progress made answers false from its step-th call
    // of step() on (1: the first), as if "Cancelar" had been clicked then.
    // 0 cancels nothing.
    static void cancelNextAt(int step);

private:
    QProgressDialog *dialog_;
    qint64 scale_ = 1; // bytes a unit of the bar, which counts in int
    int steps_ = 0;
    int cancelAt_ = 0;
};
