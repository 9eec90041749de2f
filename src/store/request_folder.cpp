#include "request_folder.h"

#include "csv_text.h"
#include "data_link.h"
#include "dbf_table.h"
#include "recordset.h"
#include "request_schema.h"
#include "store_error.h"
#include "table_csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace RequestFolder {

namespace {

QList<QStringList> readCatalogue(const TableSchema &t, const QString &dataDir)
{
    const QString path = QDir(dataDir).filePath(t.source);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("No se puede leer el catálogo «%1»: %2.").arg(path, f.errorString()));
    QList<QStringList> rows = CsvText::parse(QString::fromUtf8(f.readAll()), path);
    if (rows.isEmpty())
        throw StoreError(QStringLiteral("El catálogo «%1» está vacío.").arg(path));
    const QStringList header = rows.takeFirst();
    QStringList expected;
    for (const FieldDef &fd : t.fields)
        expected.append(fd.name);
    if (header.join(u',').compare(expected.join(u','), Qt::CaseInsensitive) != 0)
        throw StoreError(QStringLiteral("El catálogo «%1» debe empezar con la línea «%2».").arg(path, expected.join(u',')));
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (rows[i].size() != expected.size())
            throw StoreError(QStringLiteral("El catálogo «%1» tiene %2 columnas en su registro %3; se esperan %4.")
                                 .arg(path)
                                 .arg(rows[i].size())
                                 .arg(i + 1)
                                 .arg(expected.size()));
    return rows;
}

void fill(const QString &tableFile, const QList<QStringList> &rows)
{
    Recordset rs(DbfTable::open(tableFile));
    // A folder being made is nobody's request yet: one sync at the end.
    rs.table()->setSyncEachAppend(false);
    for (const QStringList &row : rows) {
        rs.AddNew();
        for (int i = 0; i < row.size(); ++i)
            rs.setValue(i, row[i].isEmpty() ? QVariant() : QVariant(row[i]));
        rs.Update();
    }
    rs.Sync();
}

QList<const TableSchema *> allTables()
{
    QList<const TableSchema *> all;
    for (const TableSchema &t : RequestSchema::requestTables())
        all.append(&t);
    for (const TableSchema &t : RequestSchema::catalogueTables())
        all.append(&t);
    return all;
}

} // namespace

void create(const QString &folder, const QString &dataDir)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        throw StoreError(QStringLiteral("No se pudo crear la carpeta «%1».").arg(folder));
    QStringList present;
    for (const TableSchema *t : allTables()) {
        const QString existing = DataLink::tableFile(folder, t->file);
        if (!existing.isEmpty())
            present.append(QFileInfo(existing).fileName());
    }
    if (!present.isEmpty())
        throw StoreError(QStringLiteral("La carpeta «%1» ya tiene tablas (%2); no se sobrescriben.")
                             .arg(folder, present.join(QLatin1String(", "))));

    // Everything is read and built aside first, then moved into place.
    QList<QList<QStringList>> catalogues;
    for (const TableSchema &t : RequestSchema::catalogueTables())
        catalogues.append(readCatalogue(t, dataDir));
    QTemporaryDir work(dir.filePath(QStringLiteral(".nueva-solicitud-XXXXXX")));
    if (!work.isValid())
        throw StoreError(QStringLiteral("No se pudo escribir en la carpeta «%1».").arg(folder));
    for (const TableSchema &t : RequestSchema::requestTables())
        DbfTable::create(work.filePath(t.file), t.fields);
    for (qsizetype i = 0; i < catalogues.size(); ++i) {
        const TableSchema &t = RequestSchema::catalogueTables().at(i);
        DbfTable::create(work.filePath(t.file), t.fields);
        fill(work.filePath(t.file), catalogues.at(i));
    }
    QStringList moved;
    for (const TableSchema *t : allTables()) {
        if (!QFile::rename(work.filePath(t->file), dir.filePath(t->file))) {
            for (const QString &m : std::as_const(moved))
                QFile::remove(dir.filePath(m));
            throw StoreError(QStringLiteral("No se pudo colocar la tabla «%1» en «%2».").arg(t->file, folder));
        }
        moved.append(t->file);
    }
}

bool holdsRequest(const QString &folder)
{
    for (const TableSchema &t : RequestSchema::requestTables())
        if (DataLink::tableFile(folder, t.file).isEmpty())
            return false;
    return true;
}

QString toCsv(const QString &tableFile)
{
    QByteArray out;
    TableCsv::write(tableFile, [&out](const char *data, size_t size) { out.append(data, qsizetype(size)); });
    return QString::fromUtf8(out);
}

} // namespace RequestFolder
