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

std::unique_ptr<DbfTable> open(const QString &path)
{
    std::unique_ptr<DbfTable> table = DbfTable::open(path);
    QList<FieldDef> fields;
    for (int i = 0; i < table->fieldCount(); ++i)
        fields.append(table->field(i));
    const QString unmet = RequestSchema::unmetUse(RequestSchema::fieldUses(QFileInfo(path).fileName()), fields);
    if (!unmet.isEmpty())
        throw StoreError(QStringLiteral("La tabla «%1» no tiene los campos de una solicitud: %2.")
                             .arg(QDir::toNativeSeparators(path), unmet));
    return table;
}

QString problem(const QString &folder, QString *notice)
{
    const QString shownFolder = QDir::toNativeSeparators(folder);
    QStringList short_;
    for (const QString &file : tableFiles()) {
        const QString path = DataLink::tableFile(folder, file);
        if (path.isEmpty())
            return QStringLiteral("Falta la tabla «%1» en la carpeta de solicitud «%2».").arg(file, shownFolder);
        try {
            const std::unique_ptr<DbfTable> table = open(path);
            if (table->countAhead())
                short_.append(QStringLiteral("«%1» %2.").arg(QFileInfo(path).fileName(), table->countAheadText()));
        } catch (const StoreError &e) {
            return QStringLiteral("La tabla «%1» de la carpeta de solicitud «%2» no se puede abrir.\n\n%3")
                .arg(QFileInfo(path).fileName(), shownFolder, e.message());
        }
    }
    if (notice && !short_.isEmpty())
        *notice = QStringLiteral("En la carpeta de solicitud «%1» hay tablas cuyo último registro agregado no llegó "
                                 "completo al disco (un corte de energía o una salida forzada):\n\n%2\n\n"
                                 "Se abren con sus registros completos; revise el último renglón capturado en "
                                 "ellas. La cuenta de registros se corrige en la siguiente grabación.")
                      .arg(shownFolder, short_.join(u'\n'));
    return {};
}

} // namespace TableCheck
