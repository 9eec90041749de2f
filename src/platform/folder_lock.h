#pragma once

#include <QLockFile>
#include <QString>

// One program per request folder. The lock is a file in the folder (never one
// of its tables), taken at start and held while the program runs; it is
// removed when the lock is released. A lock left behind by a program that
// died is taken over, also when the number of its process has come round to
// this program or to a thread.
class FolderLock {
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock(); // releases the lock
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    static QString fileName() { return QStringLiteral(".quelvar.lock"); }

    // Takes the folder for this program without waiting. Empty on success;
    // otherwise a Spanish message naming the folder, and when another program
    // holds it, that program's process and computer.
    QString acquire();
    bool isHeld() const { return lock_.isLocked(); }
    void release();

private:
    bool holderIsGone();

    QString folder_;
    QLockFile lock_;
};
