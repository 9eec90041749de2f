#pragma once

#include <QString>

// Where the program finds the files it is installed with. An installed
// program (<prefix>/bin/quelvar) has them in <prefix>/share/quelvar: the
// catalogue sources, the considerations texts and, in plantillas/, a ready
// empty request folder that new request folders are copied from. A program
// run from its build folder has none of them beside it: it takes the
// sources of the tree and builds new tables from the catalogues.
//
// Qt Core only, so that the tools find the same files as the program.
namespace ProgramData {

// <exeDir>/../share/quelvar when it holds estados.csv, else the source
// tree's data folder.
QString dataDir(const QString &exeDir);

// <exeDir>/../share/quelvar/plantillas when it holds every request and
// catalogue table; else empty (there are no templates to copy).
QString templates(const QString &exeDir);

} // namespace ProgramData
