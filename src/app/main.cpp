// QUELVAR: the request window over the request folder of this program, or
// the one named on the command line; or, with --imprimir, the request
// printed to a PDF file without a window.
#include "app/print_command.h"
#include "app/program_start.h"
#include "platform/spanish_translation.h"
#include "window/frm_quelvar.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // The help is printed before anything else: it needs no screen, so it
    // shows in any terminal.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    if (CommandLine::asksForHelp(given)) {
        QTextStream(stdout) << CommandLine::help();
        return 0;
    }

    const bool printOnly = CommandLine::printsWithoutWindow(argc, argv);
    // A print from the command line needs no screen, and may run where
    // there is none.
    if (printOnly) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the program's own messages only.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                QTextStream(stderr) << message << Qt::endl;
        });
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quelvar"));
    QApplication::setOrganizationName(QStringLiteral("quelvar")); // ~/.config/quelvar/quelvar.conf
    // The menu entry the window belongs to, and the icon installed with it.
    QGuiApplication::setDesktopFileName(QStringLiteral("mx.quelvar.Quelvar"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quelvar")));
    SpanishTranslation::install();

    const QStringList arguments = QApplication::arguments();
    if (printOnly)
        return CommandLine::printRequest(arguments);

    const std::unique_ptr<RunningProgram> program = startProgram(arguments);
    if (!program->window)
        return 1;
    program->window->show();
    return QApplication::exec();
}
