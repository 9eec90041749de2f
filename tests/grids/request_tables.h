#pragma once

// Helpers shared by the grid tests: a request folder with its links open,
// records put into its tables, and the tables read back from disk.

#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_links.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>

struct RequestTables {
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("solicitud"));
    RequestLinks links;

    RequestTables()
    {
        RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
        links.setFolder(folder);
        links.refreshRequestLinks();
    }

    QString file(const QString &table) const { return QDir(folder).filePath(table + QStringLiteral(".dbf")); }

    QByteArray bytes(const QString &table) const
    {
        QFile f(file(table));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Appends records (field name → value), then refreshes the link.
    void add(const QString &table, DataLink *link, const QList<QVariantMap> &records)
    {
        Recordset rs(DbfTable::open(file(table)));
        for (const QVariantMap &r : records) {
            rs.AddNew();
            for (auto it = r.cbegin(); it != r.cend(); ++it)
                rs.Fields(it.key()).setValue(it.value());
            rs.Update();
        }
        link->Refresh();
    }

    // A field of a record as the table file holds it now.
    QVariant stored(const QString &table, int row, const QString &field) const
    {
        Recordset rs(DbfTable::open(file(table)));
        rs.moveToRow(row);
        return rs.Fields(field).Value();
    }

    long count(const QString &table) const { return Recordset(DbfTable::open(file(table))).RecordCount(); }
};

// Makes the table's first record count times over, with the given text
// field numbered 1, 2, 3…, written straight into the file.
inline void repeatFirstRecord(const QString &path, int count, const QString &numbered)
{
    const std::unique_ptr<DbfTable> table = DbfTable::open(path);
    const FieldDef field = table->field(table->fieldIndex(numbered));
    const int length = table->recordLength();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray file = f.readAll();
    const int header = quint8(file[8]) | quint8(file[9]) << 8;
    const QByteArray first = file.mid(header, length);
    file.truncate(header);
    for (int i = 1; i <= count; ++i)
        file += QByteArray(first).replace(field.offset, field.length,
                                          QByteArray::number(i).leftJustified(field.length));
    file += char(0x1A);
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char(quint32(count) >> (8 * i));
    QVERIFY(f.seek(0));
    QCOMPARE(f.write(file), file.size());
}
