#pragma once

// What a folder holds, to show that something left it untouched: every file
// and folder below it (hidden ones too), with each file's bytes and
// modification time.

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

struct FolderEntry {
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const FolderEntry &) const = default;
};

using FolderSnapshot = QMap<QString, FolderEntry>;

inline FolderSnapshot snapshot(const QString &folder)
{
    FolderSnapshot entries;
    const QDir root(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        FolderEntry e;
        if (info.isFile()) {
            QFile f(info.filePath());
            if (f.open(QIODevice::ReadOnly))
                e.bytes = f.readAll();
            e.modified = info.lastModified();
        }
        entries.insert(root.relativeFilePath(info.filePath()), e);
    }
    return entries;
}

// Dates every file below the folder back a day, so that a write shows in
// its modification time.
inline void ageFiles(const QString &folder)
{
    const QDateTime past = QDateTime::currentDateTime().addDays(-1);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(past, QFileDevice::FileModificationTime);
    }
}
