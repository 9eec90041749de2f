#pragma once

// Scratch tables for the tests: raw file access, tables of every field
// kind, and a whole request folder with its links open.

#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_links.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QVariantMap>

QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes);
void putLe32(QByteArray &bytes, int at, quint32 value);
quint32 headerCount(const QByteArray &file); // the record count of a table file

// A table of every field kind the engine writes:
// RFC C(13), MONTO N(12,5), CLAVE N(3,0), FECHA D, ANEXOB L.
QList<FieldDef> mixedFields();
constexpr int kMixedHeader = 32 + 5 * 32 + 1, kMixedRecord = 1 + 13 + 12 + 3 + 8 + 1;
QString makeTable(const QTemporaryDir &dir, const QString &file, const QList<FieldDef> &fields = mixedFields());
// Appends records whose first field is the given text.
void appendTexts(const QString &path, const QStringList &texts);

// Makes the table's first record count times over, with the given text
// field numbered 1, 2, 3…, written straight into the file.
void repeatFirstRecord(const QString &path, int count, const QString &numbered);

// A request folder made from the data folder, with the window's links on it.
struct RequestTables {
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("solicitud"));
    RequestLinks links;

    RequestTables();
    QString file(const QString &table) const;
    QByteArray bytes(const QString &table) const { return readAll(file(table)); }
    // Appends records (field name → value), then refreshes the link.
    void add(const QString &table, DataLink *link, const QList<QVariantMap> &records);
    long count(const QString &table) const;
};
