#include "print_command.h"

#include "platform/message_box.h"
#include "printing/print_surface.h"
#include "program_start.h"
#include "store/request_folder.h"
#include "window/frm_quelvar.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextStream>
#include <cstring>

namespace CommandLine {

namespace {

const QString kPrint = QStringLiteral("--imprimir");

int fail(const QString &message, int status)
{
    QTextStream(stderr) << message << Qt::endl;
    return status;
}

} // namespace

bool printsWithoutWindow(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--imprimir") == 0)
            return true;
    return false;
}

bool asksForHelp(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"));
}

QString help()
{
    return QStringLiteral(
        "Uso: quelvar [CARPETA]\n"
        "     quelvar --imprimir SALIDA.pdf [CARPETA]\n"
        "\n"
        "Prepara la solicitud de devolución de impuestos guardada en CARPETA (sin ella, la\n"
        "carpeta de solicitud del usuario).\n"
        "\n"
        "  --imprimir SALIDA.pdf  Sin abrir ventana: revisa que la solicitud esté completa,\n"
        "                         escribe en la salida estándar el monto aproximado a\n"
        "                         devolver y guarda la solicitud impresa en SALIDA.pdf.\n"
        "                         Si falta algún dato, lo dice en la salida de errores y\n"
        "                         termina con estado 2 sin escribir el archivo.\n"
        "  --help                 Muestra esta ayuda.\n"
        "\n"
        "Estados de salida: 0 impresa, 1 la carpeta o el archivo fallaron, 2 solicitud\n"
        "incompleta, 64 línea de órdenes incorrecta.\n");
}

int printRequest(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(kPrint);
    const QString output = arguments.value(at + 1);
    if (output.isEmpty() || output.startsWith(u'-'))
        return fail(QStringLiteral("Falta el archivo de salida: quelvar --imprimir SALIDA.pdf [CARPETA]"), 64);
    QStringList rest = arguments;
    rest.remove(at, 2);
    if (rest.size() > 2)
        return fail(QStringLiteral("Sobran argumentos: quelvar --imprimir SALIDA.pdf [CARPETA]"), 64);
    // Printing never makes a request folder: the folder named must hold one.
    if (rest.size() == 2 && !RequestFolder::holdsRequest(rest.at(1)))
        return fail(QStringLiteral("La carpeta «%1» no tiene una solicitud.").arg(QDir::toNativeSeparators(rest.at(1))),
                    1);

    MessageBox::setConsole(true);
    const std::unique_ptr<RunningProgram> program = startProgram(rest);
    if (!program->window)
        return 1;
    FrmQuelvar &window = *program->window;
    // Shown on no screen: the start-up runs as when the window opens.
    window.show();
    if (!window.confirmAmount(5))
        return 2;
    QTextStream(stdout) << window.findChild<QLineEdit *>(QStringLiteral("txtDevS"))->text() << Qt::endl;

    const RequestReport::Report report = window.reportAsShown();
    if (report.outcome != RequestReport::Report::Outcome::Built)
        return fail(report.outcome == RequestReport::Report::Outcome::Incomplete
                        ? RequestReport::kIncomplete
                        : QStringLiteral("La solicitud no tiene tipo de devolución; no hay nada que imprimir."),
                    2);
    const PrintedPages pages = PrintSurface::pagedForPdf(report.text, report.centred, PrintSurface::kReportPoints);
    const PrintSurface::Result written =
        PrintSurface::writePdf(pages, PrintSurface::kReportPoints, QFileInfo(output).absoluteFilePath());
    if (written.outcome != PrintSurface::Outcome::Done)
        return fail(written.error, 1);
    return 0;
}

} // namespace CommandLine
