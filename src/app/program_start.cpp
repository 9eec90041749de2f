#include "program_start.h"

#include "platform/folder_lock.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "platform/table_check.h"
#include "store/store_error.h"
#include "window/frm_quelvar.h"

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

    // A folder whose tables do not all open is reported before anything,
    // the lock included, is written to it.
    QString notice;
    if (const QString problem = TableCheck::problem(choice.folder, &notice); !problem.isEmpty()) {
        MessageBox::warning(nullptr, problem);
        return program;
    }
    if (!notice.isEmpty())
        MessageBox::warning(nullptr, notice);
    program->lock = std::make_unique<FolderLock>(choice.folder);
    if (const QString refused = program->lock->acquire(); !refused.isEmpty()) {
        MessageBox::warning(nullptr, refused);
        program->lock.reset();
        return program;
    }
    try {
        program->window = std::make_unique<FrmQuelvar>(choice.folder);
    } catch (const StoreError &e) {
        MessageBox::warning(nullptr, QStringLiteral("No se pudo abrir la solicitud de la carpeta «%1».\n\n%2")
                                         .arg(choice.folder, e.message()));
    }
    return program;
}
