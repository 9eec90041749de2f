#include "program_start.h"

#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "platform/folder_lock.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "platform/table_check.h"
#include "platform/work_progress.h"
#include "store/recordset.h"
#include "store/store_error.h"
#include "window/frm_quelvar.h"

#include <QDir>
#include <QLocale>

RunningProgram::~RunningProgram()
{
    // The window goes before the lock: nothing writes to the folder once it
    // is released.
    window.reset();
    lock.reset();
}

std::unique_ptr<RunningProgram> startProgram(const QStringList &arguments)
{
    auto program = std::make_unique<RunningProgram>();
    ProgramFolder::Places places = ProgramFolder::currentPlaces();
    places.arguments = arguments;
    const ProgramFolder::Choice choice = ProgramFolder::choose(places);
    if (!choice.ok()) {
        MessageBox::warning(nullptr, choice.error);
        return program;
    }
    program->folder = choice.folder;
    program->lock = std::make_unique<FolderLock>(choice.folder);
    const auto lock = [&program] {
        if (const QString refused = program->lock->acquire(); !refused.isEmpty()) {
            MessageBox::warning(nullptr, refused);
            program->lock.reset();
            return false;
        }
        return true;
    };

    // An erase or a recovery that a program did not live to end is ended
    // first (a save or rows cut off, taken back), with the folder locked:
    // the tables are then whole.
    if (const UnfinishedWork::Note note = UnfinishedWork::pending(choice.folder);
        note.kind != UnfinishedWork::Note::None) {
        if (!lock())
            return program;
        try {
            UnfinishedWork::finish(choice.folder);
        } catch (const StoreError &e) {
            MessageBox::warning(nullptr, QStringLiteral("No se pudo terminar lo que quedó pendiente en la carpeta de "
                                                        "solicitud «%1».\n\n%2")
                                             .arg(QDir::toNativeSeparators(choice.folder), e.message()));
            return program;
        }
        MessageBox::information(
            nullptr,
            note.kind == UnfinishedWork::Note::Recovery
                ? QStringLiteral("La recuperación de la información de la unidad A no había terminado cuando se "
                                 "cerró el programa; se terminó ahora. Las tablas que tenía la solicitud están en "
                                 "«%1».")
                      .arg(QDir::toNativeSeparators(
                          QDir(RequestExchange::backupsFolder(choice.folder)).filePath(note.backup)))
            : note.kind == UnfinishedWork::Note::Export
                ? QStringLiteral("La copia a la unidad A no había terminado cuando se cerró el programa. Lo que quedó en "
                                 "la unidad A no debe entregarse; genera el disco de nuevo.")
            : note.kind == UnfinishedWork::Note::Save
                ? QStringLiteral("La información de la empresa y de la solicitud no había terminado de guardarse "
                                 "cuando se cerró el programa; quedó como estaba antes de ese guardado. Revisa lo "
                                 "que capturaste después del último guardado completo.")
            : note.kind == UnfinishedWork::Note::Rows
                ? QStringLiteral("Los renglones que se escribían en la tabla «%1» no habían terminado de escribirse "
                                 "cuando se cerró el programa; la tabla quedó como estaba antes.")
                      .arg(note.table)
                : QStringLiteral("El borrado de la información no había terminado cuando se cerró el programa; se "
                                 "terminó ahora."));
    }

    // A folder whose tables do not all open is reported before anything,
    // the lock included, is written to it.
    QString notice;
    if (const QString problem = TableCheck::problem(choice.folder, &notice); !problem.isEmpty()) {
        MessageBox::warning(nullptr, problem);
        return program;
    }
    if (!notice.isEmpty())
        MessageBox::warning(nullptr, notice);
    if (!lock())
        return program;
    // What a program that died left beside the tables goes.
    UnfinishedWork::removeLeftovers(choice.folder);
    // A very large request takes a while to read the first time: its
    // progress is shown, and a cancel ends the program before the window
    // opens, nothing written.
    std::unique_ptr<WorkProgress> progress;
    QString reading;
    Recordset::setReadingProgress([&](const QString &table, quint32 done, quint32 total) {
        if (!progress || table != reading) {
            reading = table;
            progress = std::make_unique<WorkProgress>(
                nullptr, QStringLiteral("Leyendo la tabla %1 (%2 renglones)…").arg(table, QLocale().toString(total)),
                int(total));
        }
        const bool goOn = progress->step(int(done));
        if (done == total)
            progress.reset();
        return goOn;
    });
    try {
        program->window = std::make_unique<FrmQuelvar>(choice.folder);
    } catch (const StoreError &e) {
        MessageBox::warning(nullptr, QStringLiteral("No se pudo abrir la solicitud de la carpeta «%1».\n\n%2")
                                         .arg(choice.folder, e.message()));
    } catch (const Recordset::ReadingStopped &) {
        program->window.reset();
    }
    Recordset::setReadingProgress({});
    return program;
}
