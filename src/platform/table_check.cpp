#include "table_check.h"

#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QDir>
#include <QFileInfo>

namespace TableCheck {

QStringList tableFiles()
{
    QStringList files;
    for (const TableSchema &t : RequestSchema::requestTables())
        files.append(t.file);
    for (const TableSchema &t : RequestSchema::catalogueTables())
        files.append(t.file);
    return files;
}

QString problem(const QString &folder)
{
    const QString shownFolder = QDir::toNativeSeparators(folder);
    for (const QString &file : tableFiles()) {
        const QString path = DataLink::tableFile(folder, file);
        if (path.isEmpty())
            return QStringLiteral("Falta la tabla «%1» en la carpeta de solicitud «%2».").arg(file, shownFolder);
        try {
            DbfTable::open(path);
        } catch (const StoreError &e) {
            return QStringLiteral("La tabla «%1» de la carpeta de solicitud «%2» no se puede abrir.\n\n%3")
                .arg(QFileInfo(path).fileName(), shownFolder, e.message());
        }
    }
    return {};
}

} // namespace TableCheck
