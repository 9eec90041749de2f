#include "program_data.h"

#include "store/data_link.h"
#include "store/request_schema.h"

#include <QDir>
#include <QFileInfo>

namespace ProgramData {

namespace {

QString installedDir(const QString &exeDir)
{
    return QDir::cleanPath(exeDir + QStringLiteral("/../share/quelvar"));
}

} // namespace

QString dataDir(const QString &exeDir)
{
    const QString installed = installedDir(exeDir);
    if (QFileInfo::exists(installed + QStringLiteral("/estados.csv")))
        return installed;
    return QStringLiteral(QUELVAR_DATA_DIR);
}

QString templates(const QString &exeDir)
{
    const QString folder = installedDir(exeDir) + QStringLiteral("/plantillas");
    for (const auto *tables : {&RequestSchema::requestTables(), &RequestSchema::catalogueTables()})
        for (const TableSchema &t : *tables)
            if (DataLink::tableFile(folder, t.file).isEmpty())
                return {};
    return folder;
}

} // namespace ProgramData
