#pragma once

#include <QString>
#include <QStringList>

// Which request folder the program works on, chosen once at start:
//
// 1. A folder named on the command line (the first argument after the
//    program). When it does not exist or holds none of the request's tables it
//    is made a ready request folder; when it holds some, it is used as it is
//    (the table check then says what is missing).
// 2. Otherwise the program's own folder, when it holds the request tables
//    (the portable layout the build leaves beside the program).
// 3. Otherwise the user's own request folder, made at the first start and
//    used as it is afterwards.
//
// A folder is made as a copy of the installed templates, when there are
// any; else (a program run from its build folder) its tables are built from
// the catalogue sources.
namespace ProgramFolder {

// Everything the choice depends on, so that it can be made on any folders.
struct Places {
    QStringList arguments; // the command line, program first
    QString exeDir;        // the folder of the program's executable
    QString userFolder;    // the user's own request folder
    QString dataDir;       // the catalogue sources, when there are no templates
    QString templates;     // a ready, empty request folder; may be empty
};

struct Choice {
    QString folder; // absolute path; empty when error is set
    QString error;  // in Spanish, ready to be shown before the program ends
    bool ok() const { return error.isEmpty(); }
};

Choice choose(const Places &places);

// The places of this run: QCoreApplication's arguments and folder, the user
// folder userFolder(), and the templates and data of ProgramData for the
// program's folder. Needs the application object.
Places currentPlaces();
inline Choice chooseAtStart() { return choose(currentPlaces()); }

// <user data>/quelvar/solicitud, e.g. ~/.local/share/quelvar/solicitud
// (QStandardPaths::GenericDataLocation, so that it does not depend on the
// organization and application names).
QString userFolder();

// The program's data folder (ProgramData::dataDir) for the running executable.
QString installedDataDir();

} // namespace ProgramFolder
