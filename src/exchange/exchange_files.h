#pragma once

// The file-system steps the exchange is made of, shared by the copies and
// the recovery (not for use elsewhere).

#include <QString>
#include <QStringList>

namespace RequestExchange {

// An open file descriptor, closed with its handle.
class FileHandle {
public:
    FileHandle(const QString &path, int flags); // O_CLOEXEC added; new files get 0644
    ~FileHandle();
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    int fd() const { return fd_; }
    // Closes now; the result of close(2), which may carry a late write error.
    int close();

private:
    int fd_ = -1;
};

QString nativePath(const QString &path);
// A system error number in words, in Spanish for the faults a medium shows.
QString faultText(int err);
// The names in the folder that match the file's without regard to case.
QStringList matchingFiles(const QString &folder, const QString &file);
bool sameFile(const QString &a, const QString &b);
// Makes the folder's entries (names renamed in or out, removed) durable.
// Throws StoreError, except on a file system that cannot sync a folder.
void syncFolder(const QString &folder);
// Renames; throws StoreError naming both paths.
void moveFile(const QString &from, const QString &to);

} // namespace RequestExchange
