// QUELVAR: the request window over the request folder of this program, or
// the one named on the command line.
#include "app/program_start.h"
#include "platform/spanish_translation.h"
#include "window/frm_quelvar.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quelvar"));
    SpanishTranslation::install();

    const std::unique_ptr<RunningProgram> program = startProgram(QApplication::arguments());
    if (!program->window)
        return 1;
    program->window->show();
    return QApplication::exec();
}
