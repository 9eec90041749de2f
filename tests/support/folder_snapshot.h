#pragma once

// What a folder holds, to show that something left it untouched: every file
// and folder below it (hidden ones too), with each file's bytes and
// modification time.

#include <QDateTime>
#include <QMap>

struct FolderEntry {
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const FolderEntry &) const = default;
};

using FolderSnapshot = QMap<QString, FolderEntry>;

FolderSnapshot snapshot(const QString &folder);

// Dates every file below the folder back a day, so that a write shows in
// its modification time.
void ageFiles(const QString &folder);
