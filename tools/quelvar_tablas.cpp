// quelvar-tablas: makes request folders and shows table files as text.
//
//   quelvar-tablas crear CARPETA [--datos DIR]
//   quelvar-tablas mostrar ARCHIVO.dbf
//   quelvar-tablas --help
//
// Without --datos the catalogues are the program's: the installed ones
// beside an installed tool, else those of the source tree.

#include "platform/program_data.h"
#include "store/request_folder.h"
#include "store/store_error.h"
#include "store/table_csv.h"

#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Exit statuses: 0 done, 1 a table or the output failed, 2 a wrong command
// line, and kMissingRecords when a table was shown whole but its header
// counts records the file lacks.
constexpr int kMissingRecords = 3;

const char kUsage[] = "Uso:\n"
                      "  quelvar-tablas crear CARPETA [--datos DIR]   crea una carpeta de solicitud lista\n"
                      "  quelvar-tablas mostrar ARCHIVO.dbf          muestra una tabla como CSV (UTF-8)\n"
                      "  quelvar-tablas --help                       muestra esta ayuda\n"
                      "\n"
                      "Estados de salida: 0 hecho, 1 una tabla o la salida fallaron, 2 línea de órdenes\n"
                      "incorrecta, 3 la tabla se mostró pero su encabezado declara más registros de los\n"
                      "que contiene el archivo (se muestran los que contiene; la salida de errores dice\n"
                      "cuántos declara y cuántos contiene).\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
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
