#pragma once

// The parent of quelvar-ensayo-cortes: prepares a request folder and a
// drive A holding an exported request, then runs the trials: each starts
// the program (the child) on the folder the previous one left, kills it
// with SIGKILL at a chosen moment and checks the folder.

#include <QString>

namespace CrashTrial {

struct ParentOptions {
    int trials = 1000;
    quint32 seed = 0;
    bool seedGiven = false;
    int windowMs = 1500;  // kills "at any moment" fall in this span after the child is ready
    QString workFolder;   // empty: a new temporary folder, removed at the end
    bool verbose = false; // one line per trial
};

int runParent(const QString &self, const ParentOptions &options);

} // namespace CrashTrial
