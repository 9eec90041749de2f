#pragma once

#include <QString>

// One program per request folder. The lock is a file in the folder (never one
// of its tables) on which the program holds a kernel lock (flock) from start
// to end. The kernel drops that lock when the process ends, however it ends,
// so a folder whose program died is free at once: nothing is guessed from a
// process number. The file names its holder's process, program and computer,
// only to word the refusal; it is removed when the lock is released, and one
// left by a program that died is simply locked again.
//
// The lock belongs to this object's own opening of the file: a second
// FolderLock on the same folder is refused, also in the same process, and
// the lock never passes to a program this one starts.
class FolderLock {
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock(); // releases the lock
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    static QString fileName() { return QStringLiteral(".quelvar.lock"); }

    // Takes the folder for this program without waiting. Empty on success
    // (also when this object holds it already); otherwise a Spanish message
    // naming the folder, and when another program holds it, that program's
    // process and computer.
    QString acquire();
    bool isHeld() const { return fd_ >= 0; }
    void release();

private:
    QString refusal(int error) const;

    QString folder_;
    QString path_;
    int fd_ = -1;
};
