#pragma once

// One child started, watched and killed: the moment of the kill is chosen
// by the plan, counted from the start, from "listo" or from the "inicio" of
// a phase. While the child runs, the writes it makes in the request folder
// (inotify) are timed from the operation they belong to, so that later
// kills can be aimed at the moments when the tables change.

#include "protocol.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace CrashTrial {

struct KillPlan {
    enum Mode { AtStart, Anywhere, InPhase } mode = Anywhere;
    double delayMs = 0; // from the start, from "listo", or from the phase's "inicio"
    int phase = -1;
};

struct ChildRun {
    QByteArray output;
    bool killed = false;
    int status = 0;      // waitpid's
    double startMs = -1; // from the start to "listo"
    double cutMs = -1;   // from "listo" to the kill
};

class Runner {
public:
    Runner(const QString &self, const QString &folder, const QString &drive, const QString &errors);

    // A plan for the next trial: a kill at start, anywhere in the span
    // after "listo", or in a phase: anywhere in its usual length, or close to
    // one of the moments it was seen writing to the folder.
    KillPlan plan(QRandomGenerator &rng, int windowMs) const;
    ChildRun run(quint32 seed, const KillPlan &plan);

private:
    void note(QList<double> &samples, double value) const;
    double typical(const QList<double> &samples, double fallback, double share) const;

    QString self_, folder_, drive_, errors_;
    QList<QList<double>> lengths_; // per phase, ms from "inicio" to "hecho"
    QList<QList<double>> writes_;  // per phase, ms from "inicio" to a change in the folder
    QList<double> starts_;         // ms from the start to "listo"
};

} // namespace CrashTrial
