#include "program_folder.h"

#include "store/data_link.h"
#include "store/request_folder.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramFolder {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool holdsAnyTable(const QString &folder)
{
    for (const auto *tables : {&RequestSchema::requestTables(), &RequestSchema::catalogueTables()})
        for (const TableSchema &t : *tables)
            if (!DataLink::tableFile(folder, t.file).isEmpty())
                return true;
    return false;
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
QString prepare(const QString &folder, const QString &dataDir)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("«%1» no es una carpeta; no puede ser la carpeta de la solicitud.").arg(shown(folder));
    if (info.exists() && holdsAnyTable(folder))
        return {};
    const QStringList made = missingFolders(folder);
    try {
        RequestFolder::create(folder, dataDir);
    } catch (const StoreError &e) {
        // Leave the disk as it was: drop the folders made on the way, when
        // they stayed empty.
        for (const QString &path : made)
            QDir().rmdir(path);
        return QStringLiteral("No se pudo preparar la carpeta de solicitud «%1».\n\n%2").arg(shown(folder), e.message());
    }
    return {};
}

Choice use(const QString &folder, const QString &dataDir)
{
    const QString error = prepare(folder, dataDir);
    if (!error.isEmpty())
        return {QString(), error};
    return {folder, QString()};
}

} // namespace

Choice choose(const Places &places)
{
    const QString named = places.arguments.value(1);
    if (!named.isEmpty())
        return use(QDir::cleanPath(QFileInfo(named).absoluteFilePath()), places.dataDir);
    if (!places.exeDir.isEmpty() && RequestFolder::holdsRequest(places.exeDir))
        return {QDir::cleanPath(QFileInfo(places.exeDir).absoluteFilePath()), QString()};
    if (places.userFolder.isEmpty())
        return {QString(), QStringLiteral("No se encontró la carpeta de datos del usuario para guardar la solicitud. "
                                          "Indique la carpeta de la solicitud al iniciar el programa.")};
    return use(QDir::cleanPath(QFileInfo(places.userFolder).absoluteFilePath()), places.dataDir);
}

Places currentPlaces()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {QCoreApplication::arguments(), exeDir, userFolder(), installedDataDir(exeDir)};
}

QString userFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return QDir(base).filePath(QStringLiteral("quelvar/solicitud"));
}

QString installedDataDir(const QString &exeDir)
{
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../share/quelvar"));
    if (QFileInfo::exists(installed + QStringLiteral("/estados.csv")))
        return installed;
    return QStringLiteral(QUELVAR_DATA_DIR);
}

QString installedDataDir()
{
    return installedDataDir(QCoreApplication::applicationDirPath());
}

} // namespace ProgramFolder
