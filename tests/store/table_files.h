#pragma once

// Helpers shared by the store tests: scratch tables and raw file access.

#include "store/dbf_table.h"
#include "store/recordset.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline quint32 headerCount(const QByteArray &file)
{
    const auto *p = reinterpret_cast<const unsigned char *>(file.constData());
    return quint32(p[4]) | quint32(p[5]) << 8 | quint32(p[6]) << 16 | quint32(p[7]) << 24;
}

// A table of every field kind the engine writes.
inline QList<FieldDef> mixedFields()
{
    return {charField(QStringLiteral("RFC"), 13), numField(QStringLiteral("MONTO"), 12, 5),
            numField(QStringLiteral("CLAVE"), 3, 0), dateField(QStringLiteral("FECHA")),
            flagField(QStringLiteral("ANEXOB"))};
}

inline QString makeTable(const QTemporaryDir &dir, const QString &file, const QList<FieldDef> &fields = mixedFields())
{
    const QString path = dir.filePath(file);
    DbfTable::create(path, fields);
    return path;
}

// Appends records whose first field is the given text.
inline void appendTexts(const QString &path, const QStringList &texts)
{
    Recordset rs(DbfTable::open(path));
    for (const QString &t : texts) {
        rs.AddNew();
        rs.setValue(0, t);
        rs.Update();
    }
}
