#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class FolderLock;
class FrmQuelvar;

// Everything the program holds while it runs: its request folder, the lock
// that keeps a second program off it, and the request window.
struct RunningProgram {
    QString folder;
    std::unique_ptr<FolderLock> lock;
    std::unique_ptr<FrmQuelvar> window;
    ~RunningProgram();
};

// Chooses the request folder, checks that its tables open, takes the folder
// for this program and opens the request window on it. When any of these
// fails, the user is told why (naming the folder and the file) and the
// result holds no window; nothing has been written to the folder.
std::unique_ptr<RunningProgram> startProgram(const QStringList &arguments);
