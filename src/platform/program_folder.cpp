#include "program_folder.h"

#include "program_data.h"
#include "store/data_link.h"
#include "store/request_folder.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace ProgramFolder {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QList<const TableSchema *> allTables()
{
    QList<const TableSchema *> all;
    for (const auto *tables : {&RequestSchema::requestTables(), &RequestSchema::catalogueTables()})
        for (const TableSchema &t : *tables)
            all.append(&t);
    return all;
}

bool holdsAnyTable(const QString &folder)
{
    for (const TableSchema *t : allTables())
        if (!DataLink::tableFile(folder, t->file).isEmpty())
            return true;
    return false;
}

// Makes the folder, which holds no table, a copy of the templates. The
// tables are copied aside first, then moved into place; a failure part-way
// leaves no table behind. The copies are the user's to write, whatever the
// templates' own permissions (read-only, owned by root). Throws StoreError.
void copyTemplates(const QString &folder, const QString &templates)
{
    const QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        throw StoreError(QStringLiteral("No se pudo crear la carpeta «%1».").arg(shown(folder)));
    const QTemporaryDir work(dir.filePath(QStringLiteral(".nueva-solicitud-XXXXXX")));
    if (!work.isValid())
        throw StoreError(QStringLiteral("No se pudo escribir en la carpeta «%1».").arg(shown(folder)));
    for (const TableSchema *t : allTables()) {
        const QString from = DataLink::tableFile(templates, t->file);
        const QString to = work.filePath(t->file);
        if (from.isEmpty() || !QFile::copy(from, to)
            || !QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner | QFileDevice::WriteUser))
            throw StoreError(QStringLiteral("No se pudo copiar la tabla «%1» de las plantillas «%2».")
                                 .arg(t->file, shown(templates)));
    }
    QStringList moved;
    for (const TableSchema *t : allTables()) {
        if (!QFile::rename(work.filePath(t->file), dir.filePath(t->file))) {
            for (const QString &m : std::as_const(moved))
                QFile::remove(dir.filePath(m));
            throw StoreError(QStringLiteral("No se pudo colocar la tabla «%1» en «%2».").arg(t->file, shown(folder)));
        }
        moved.append(t->file);
    }
}

// The folders of the path that do not exist yet, deepest first.
QStringList missingFolders(const QString &folder)
{
    QStringList missing;
    for (QString path = folder; !QFileInfo::exists(path);) {
        missing.append(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return missing;
}

// Empty on success, else why the folder cannot serve.
QString prepare(const QString &folder, const Places &places)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("«%1» no es una carpeta; no puede ser la carpeta de la solicitud.").arg(shown(folder));
    if (info.exists() && holdsAnyTable(folder))
        return {};
    const QStringList made = missingFolders(folder);
    try {
        if (!places.templates.isEmpty())
            copyTemplates(folder, places.templates);
        else
            RequestFolder::create(folder, places.dataDir);
    } catch (const StoreError &e) {
        // Leave the disk as it was: drop the folders made on the way, when
        // they stayed empty.
        for (const QString &path : made)
            QDir().rmdir(path);
        return QStringLiteral("No se pudo preparar la carpeta de solicitud «%1».\n\n%2").arg(shown(folder), e.message());
    }
    return {};
}

Choice use(const QString &folder, const Places &places)
{
    const QString error = prepare(folder, places);
    if (!error.isEmpty())
        return {QString(), error};
    return {folder, QString()};
}

} // namespace

Choice choose(const Places &places)
{
    const QString named = places.arguments.value(1);
    if (!named.isEmpty())
        return use(QDir::cleanPath(QFileInfo(named).absoluteFilePath()), places);
    if (!places.exeDir.isEmpty() && RequestFolder::holdsRequest(places.exeDir))
        return {QDir::cleanPath(QFileInfo(places.exeDir).absoluteFilePath()), QString()};
    if (places.userFolder.isEmpty())
        return {QString(), QStringLiteral("No se encontró la carpeta de datos del usuario para guardar la solicitud. "
                                          "Indique la carpeta de la solicitud al iniciar el programa.")};
    return use(QDir::cleanPath(QFileInfo(places.userFolder).absoluteFilePath()), places);
}

Places currentPlaces()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {QCoreApplication::arguments(), exeDir, userFolder(), ProgramData::dataDir(exeDir),
            ProgramData::templates(exeDir)};
}

QString userFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return QDir(base).filePath(QStringLiteral("quelvar/solicitud"));
}

QString installedDataDir()
{
    return ProgramData::dataDir(QCoreApplication::applicationDirPath());
}

} // namespace ProgramFolder
