// quelvar-tablas: makes request folders and shows table files as text.
//
//   quelvar-tablas crear CARPETA [--datos DIR]
//   quelvar-tablas mostrar ARCHIVO.dbf
//   quelvar-tablas importar CARPETA TABLA ARCHIVO [--revisar] [--decimal=punto|coma]
//                  [--datastage [--comercial]] [--hoy AAAA-MM-DD]
//   quelvar-tablas --help
//
// Without --datos the catalogues are the program's: the installed ones
// beside an installed tool, else those of the source tree.

#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "incoming/data_stage.h"
#include "incoming/folder_context.h"
#include "incoming/row_files.h"
#include "platform/folder_lock.h"
#include "platform/program_data.h"
#include "rules/grid_columns.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/store_error.h"
#include "store/table_csv.h"

#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <optional>
#include <cstdio>
#include <cstring>

namespace {

// Exit statuses: 0 done, 1 a table or the output failed, 2 a wrong command
// line, and kMissingRecords when a table was shown whole but its header
// counts records the file lacks.
constexpr int kMissingRecords = 3;
constexpr int kRowsRefused = 4;

const char kUsage[] = "Uso:\n"
                      "  quelvar-tablas crear CARPETA [--datos DIR]   crea una carpeta de solicitud lista\n"
                      "  quelvar-tablas mostrar ARCHIVO.dbf          muestra una tabla como CSV (UTF-8)\n"
                      "  quelvar-tablas importar CARPETA TABLA ARCHIVO [--revisar] [--decimal=punto|coma]\n"
                      "                 [--datastage [--comercial]] [--hoy AAAA-MM-DD]\n"
                      "      escribe en la tabla (insunit, insupedi, exporped, factura o impTLC) de la\n"
                      "      solicitud los renglones de un archivo CSV o .xlsx, cuya primera línea nombra\n"
                      "      las columnas, o con --datastage los de un paquete del Data Stage (.zip o su\n"
                      "      carpeta; insupedi o exporped; cantidades en la unidad de la tarifa, o con\n"
                      "      --comercial en la comercial; dice las partidas que no trae y por qué).\n"
                      "      Cada renglón se revisa como si se tecleara; dice los que se rechazan y por\n"
                      "      qué, y escribe los demás (con --revisar sólo revisa). Las cifras se leen\n"
                      "      como las escribe cada columna del archivo, 1,234.56 o 1.234,56; cuando no\n"
                      "      se ve cuál (sólo \"1,234\", por ejemplo), --decimal=punto o --decimal=coma\n"
                      "      lo dice para todas. --hoy: la fecha que se toma como hoy.\n"
                      "  quelvar-tablas --help                       muestra esta ayuda\n"
                      "\n"
                      "Estados de salida: 0 hecho, 1 una tabla, un archivo o la salida fallaron, 2 línea\n"
                      "de órdenes incorrecta, 3 la tabla se mostró pero su encabezado declara más\n"
                      "registros de los que contiene el archivo (se muestran los que contiene; la salida\n"
                      "de errores dice cuántos declara y cuántos contiene), 4 se rechazaron renglones\n"
                      "o líneas del paquete (los aceptados se escribieron, salvo con --revisar).\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

void say(const QString &text) { std::fputs((text + u'\n').toUtf8().constData(), stdout); }

// importar: the rows of a file or of a customs package, checked as typed,
// then written into the table in one step.
int importRows(QStringList args)
{
    const bool review = args.removeAll(QStringLiteral("--revisar")) > 0;
    const bool stage = args.removeAll(QStringLiteral("--datastage")) > 0;
    const bool commercial = args.removeAll(QStringLiteral("--comercial")) > 0;
    std::optional<RowFiles::Decimal> decimal;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!args[i].startsWith(QLatin1String("--decimal=")))
            continue;
        const QString style = args.takeAt(i--).mid(10);
        if (style != QLatin1String("punto") && style != QLatin1String("coma"))
            return usage();
        decimal = style == QLatin1String("coma") ? RowFiles::Decimal::Comma : RowFiles::Decimal::Point;
    }
    QDate today = QDate::currentDate();
    if (const qsizetype at = args.indexOf(QStringLiteral("--hoy")); at >= 0) {
        today = QDate::fromString(args.value(at + 1), Qt::ISODate);
        args.remove(at, 2);
    }
    const QString grid = IncomingRows::gridOfTable(args.value(2));
    if (args.size() != 4 || !today.isValid() || grid.isEmpty() || (commercial && !stage)
        || (stage && grid != QLatin1String("dbMI") && grid != QLatin1String("dbED")))
        return usage();
    const QString folder = args[1];
    FolderLock lock(folder);
    if (const QString refusal = lock.acquire(); !refusal.isEmpty())
        throw StoreError(refusal);
    UnfinishedWork::finish(folder);
    const QString file = RequestExchange::findFile(folder, args[2].endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive)
                                                               ? args[2]
                                                               : args[2] + QStringLiteral(".dbf"));
    if (file.isEmpty())
        throw StoreError(QStringLiteral("La carpeta «%1» no tiene la tabla «%2».").arg(folder, args[2]));
    Recordset rs(DbfTable::open(file));
    const IncomingRows::Context context = IncomingRows::contextOf(folder, grid, today);

    QList<QStringList> rows;
    IncomingRows::Source source;
    QList<int> lines;            // of the rows, in the file
    bool packageRefused = false; // lines of the package not read
    if (stage) {
        const DataStage::Package package = DataStage::read(args[3]);
        const IncomingRows::StageRows staged =
            IncomingRows::stageRows(context, rs, package.items, IncomingRows::countryNames(folder), !commercial);
        for (const QString &note : package.notes() + staged.leftOut)
            say(note);
        packageRefused = !package.refused.isEmpty();
        rows = staged.rows;
    } else {
        const RowFiles::Sheet sheet = RowFiles::read(args[3]);
        const IncomingRows::Mapping mapping = IncomingRows::mapNames(grid, sheet.names);
        for (const QString &name : mapping.unknown)
            say(QStringLiteral("La columna «%1» no corresponde a ninguna de la tabla; se omite.").arg(name));
        rows = IncomingRows::mapRows(mapping, sheet, &source);
        lines = sheet.lines;
        source.decimals = IncomingRows::decimalStyles(context, *rs.table(), rows, source);
    }
    const GridDefinition *definition = GridColumns::grid(grid);
    for (int c = 0; c < source.decimals.size(); ++c) {
        if (decimal)
            source.decimals[c] = *decimal;
        else if (source.decimals[c] == RowFiles::Decimal::Unknown)
            throw StoreError(QStringLiteral("Las cifras de la columna «%1» se leen distinto con punto decimal "
                                            "(1,234.56) que con coma decimal (1.234,56), y el archivo no deja ver "
                                            "cuál usa; dígalo con --decimal=punto o --decimal=coma.")
                                 .arg(definition->columns.value(c).caption.simplified()));
    }
    const IncomingRows::Checked checked = IncomingRows::check(context, *rs.table(), rows, {}, {}, source);
    for (const IncomingRows::RowResult &row : checked.rows)
        for (const auto *remarks : {&row.refusals, &row.flags})
            for (const IncomingRows::Remark &r : *remarks)
                say(QStringLiteral("%1 %2, %3, «%4»: %5")
                        .arg(lines.isEmpty() ? QStringLiteral("Renglón") : QStringLiteral("Línea"))
                        .arg(lines.value(r.row, r.row + 1))
                        .arg(definition->columns.value(r.column).caption.simplified(), r.value, r.message));
    if (!review)
        IncomingRows::write(folder, rs, checked);
    say((review ? QStringLiteral("Se escribirían %1 renglones; %2 se rechazan.")
                : QStringLiteral("Se escribieron %1 renglones; %2 se rechazaron."))
            .arg(checked.accepted)
            .arg(checked.refused));
    return checked.refused > 0 || packageRefused ? kRowsRefused : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args == QStringList{QStringLiteral("--help")}) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        if (args.size() >= 2 && args[0] == QLatin1String("crear")) {
            QString dataDir = ProgramData::dataDir(QCoreApplication::applicationDirPath());
            if (args.size() == 4 && args[2] == QLatin1String("--datos"))
                dataDir = args[3];
            else if (args.size() != 2)
                return usage();
            RequestFolder::create(args[1], dataDir);
            std::printf("Carpeta de solicitud lista: %s\n", qPrintable(args[1]));
            return 0;
        }
        if (!args.isEmpty() && args[0] == QLatin1String("importar"))
            return importRows(args);
        if (args.size() == 2 && args[0] == QLatin1String("mostrar")) {
            // The text goes out as the table is read, in large pieces.
            bool written = true;
            const QString missing = TableCsv::write(args[1], [&written](const char *data, size_t size) {
                written = written && std::fwrite(data, 1, size, stdout) == size;
            });
            if (!written || std::fflush(stdout) != 0) {
                std::fprintf(stderr, "No se pudo escribir la tabla en la salida: %s.\n", std::strerror(errno));
                return 1;
            }
            if (!missing.isEmpty()) {
                std::fprintf(stderr, "%s\n",
                             QStringLiteral("La tabla «%1» %2; se mostraron los registros que contiene.")
                                 .arg(args[1], missing)
                                 .toUtf8()
                                 .constData());
                return kMissingRecords;
            }
            return 0;
        }
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    return usage();
}
