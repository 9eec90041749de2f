#include "folder_snapshot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

FolderSnapshot snapshot(const QString &folder)
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

void ageFiles(const QString &folder)
{
    const QDateTime past = QDateTime::currentDateTime().addDays(-1);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(past, QFileDevice::FileModificationTime);
    }
}
