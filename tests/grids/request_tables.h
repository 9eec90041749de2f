#pragma once

// Helpers shared by the grid tests: a request folder with its links open,
// records put into its tables, and the tables read back from disk.

#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_links.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>
#include <memory>

// A fresh request folder with the seven request links open on it.
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

    // Appends records (field name → value) through a handle of its own, then
    // refreshes the link so that it sees them.
    void add(const QString &table, DataLink *link, const QList<QVariantMap> &records)
    {
        {
            Recordset rs(DbfTable::open(file(table)));
            for (const QVariantMap &r : records) {
                rs.AddNew();
                for (auto it = r.cbegin(); it != r.cend(); ++it)
                    rs.Fields(it.key()).setValue(it.value());
                rs.Update();
            }
        }
        link->Refresh();
    }

    // The value of a field of a record as the table file holds it now.
    QVariant stored(const QString &table, int row, const QString &field) const
    {
        Recordset rs(DbfTable::open(file(table)));
        rs.moveToRow(row);
        return rs.Eof() ? QVariant(QStringLiteral("<sin registro>")) : rs.Fields(field).Value();
    }

    long storedCount(const QString &table) const
    {
        Recordset rs(DbfTable::open(file(table)));
        return rs.RecordCount();
    }
};

// Fills a table with count copies of a record quickly: one record is written
// by the engine, then repeated in the file with its first field numbered.
inline void fillByCopies(const QString &path, int count, const QVariantMap &record, const QString &numbered)
{
    {
        Recordset rs(DbfTable::open(path));
        rs.AddNew();
        for (auto it = record.cbegin(); it != record.cend(); ++it)
            rs.Fields(it.key()).setValue(it.value());
        rs.Update();
    }
    FieldDef field;
    int length = 0;
    {
        std::unique_ptr<DbfTable> table = DbfTable::open(path);
        field = table->field(table->fieldIndex(numbered));
        length = table->recordLength();
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray file = f.readAll();
    const int header = int(quint8(file[8])) | int(quint8(file[9])) << 8;
    const QByteArray first = file.mid(header, length);
    file.truncate(header);
    file.reserve(header + qsizetype(count) * length + 1);
    for (int i = 0; i < count; ++i) {
        QByteArray rec = first;
        const QByteArray n = QByteArray::number(i + 1).leftJustified(field.length, ' ');
        rec.replace(field.offset, field.length, n);
        file += rec;
    }
    file += char(0x1A);
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char(quint32(count) >> (8 * i));
    QVERIFY(f.seek(0));
    QCOMPARE(f.write(file), file.size());
}
