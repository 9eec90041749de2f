#include "table_files.h"

#include "store/data_link.h"
#include "store/request_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void putLe32(QByteArray &bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

quint32 headerCount(const QByteArray &file)
{
    const auto *p = reinterpret_cast<const unsigned char *>(file.constData());
    return quint32(p[4]) | quint32(p[5]) << 8 | quint32(p[6]) << 16 | quint32(p[7]) << 24;
}

QList<FieldDef> mixedFields()
{
    return {charField(QStringLiteral("RFC"), 13), numField(QStringLiteral("MONTO"), 12, 5),
            numField(QStringLiteral("CLAVE"), 3, 0), dateField(QStringLiteral("FECHA")),
            flagField(QStringLiteral("ANEXOB"))};
}

QString makeTable(const QTemporaryDir &dir, const QString &file, const QList<FieldDef> &fields)
{
    const QString path = dir.filePath(file);
    DbfTable::create(path, fields);
    return path;
}

void appendTexts(const QString &path, const QStringList &texts)
{
    Recordset rs(DbfTable::open(path));
    for (const QString &t : texts) {
        rs.AddNew();
        rs.setValue(0, t);
        rs.Update();
    }
}

void repeatFirstRecord(const QString &path, int count, const QString &numbered)
{
    const std::unique_ptr<DbfTable> table = DbfTable::open(path);
    const FieldDef field = table->field(table->fieldIndex(numbered));
    const int length = table->recordLength();
    QByteArray file = readAll(path);
    const int header = quint8(file[8]) | quint8(file[9]) << 8;
    const QByteArray first = file.mid(header, length);
    file.truncate(header);
    for (int i = 1; i <= count; ++i)
        file +=
            QByteArray(first).replace(field.offset, field.length, QByteArray::number(i).leftJustified(field.length));
    file += char(0x1A);
    putLe32(file, 4, quint32(count));
    writeAll(path, file);
}

RequestTables::RequestTables()
{
    RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
    links.setFolder(folder);
    links.refreshRequestLinks();
}

QString RequestTables::file(const QString &table) const
{
    return QDir(folder).filePath(table + QStringLiteral(".dbf"));
}

void RequestTables::add(const QString &table, DataLink *link, const QList<QVariantMap> &records)
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

long RequestTables::count(const QString &table) const { return Recordset(DbfTable::open(file(table))).RecordCount(); }
