#pragma once

#include <QString>

class QProgressDialog;
class QWidget;

// The progress of long work in the window: a dialog with what is being done,
// a bar and "Cancelar", shown only once the work has taken half a second.
class WorkProgress {
public:
    WorkProgress(QWidget *parent, const QString &what, int total);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    // So much is done; false once the user asked to cancel.
    bool step(int done);
    void done();

    // --- for tests ---
    // The next work started is cancelled at its first step, as if its
    // "Cancelar" had been pressed.
    static void cancelNext();

private:
    QProgressDialog *dialog_;
    bool cancelled_ = false;
};
