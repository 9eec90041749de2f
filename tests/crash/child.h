#pragma once

// The child of quelvar-ensayo-cortes: QUELVAR started on a request folder as
// the program starts (folder chosen, tables checked, folder locked, window
// shown), with its message boxes answered by script, then working on the
// request through the window's own controls until its parent kills it.

#include "protocol.h"

#include <QString>

namespace CrashTrial {

struct ChildOptions {
    QString folder;
    quint32 seed = 0;
    int firstPhase = -1; // a Phase to run first, or -1
    int out = 3;         // the file descriptor of the parent's pipe
};

// Returns only when the program cannot start or go on (after saying why on
// the pipe); otherwise it works until killed.
int runChild(int argc, char **argv, const ChildOptions &options);

} // namespace CrashTrial
