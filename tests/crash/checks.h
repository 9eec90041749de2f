#pragma once

// What the parent checks after each kill: the child's log read back, the
// seven tables read by our engine and by python3-dbf, and both compared
// with what the log says is in them.

#include "protocol.h"
#include "python_reader.h"

#include <QMap>
#include <QSet>
#include <QStringList>

namespace CrashTrial {

using Tables = QMap<QString, QList<Row>>; // live rows by table

// The child's log of one trial.
struct TrialLog {
    QList<QStringList> opened;        // "abierto" lines
    bool ready = false;               // "listo" came
    QList<QList<QStringList>> done;   // each finished operation: its lines, "inicio" first, "hecho" last
    QStringList inFlight;             // the "inicio" of the operation the kill cut, or empty
    QString failure;                  // a "fallo" line's text
    int cutLines = 0;                 // lines without their end (must be 0)
};
TrialLog parseLog(const QByteArray &output);
// The phase the kill cut.
Phase cutPhase(const TrialLog &log);

// Work a killed program left for the next start to finish.
enum class Pending { None, Erase, Recovery };

class Checker {
public:
    Checker(const QString &folder, const Tables &medium, PythonReader &python);

    // What the folder holds now: the starting point.
    void reset(const Tables &content)
    {
        expected_ = content;
        lastLeftovers_.clear();
    }
    const Tables &expected() const { return expected_; }

    // Checks the folder after a trial; returns the faults found. The
    // expected content follows the log and, for the operation cut, what the
    // folder shows it came to.
    QStringList check(const TrialLog &log);

    // The folder cannot be started on: it must be made again.
    bool broken() const { return broken_; }

    // Figures for the summary.
    qint64 tablesChecked = 0;
    qint64 recordsChecked = 0;     // live records compared field by field
    qint64 reportedWrites = 0;     // rows the log reported written or deleted
    qint64 adoptedCuts = 0;        // operations cut that reached the tables
    qint64 leftovers = 0;          // files and folders a kill left in the folder (each counted once)
    QStringList leftoverNames;     // their shapes
    int mostBackups = 0;           // the most backup folders seen at once

private:
    struct Read {
        bool present = false;
        QString engineError;
        QString pythonError;
        QList<Row> rows;
        QStringList fields;
        QString file;
    };
    QMap<QString, Read> readFolder(QStringList &faults);
    void applyDone(const QList<QStringList> &op, QStringList &faults);
    void compareCut(const QStringList &cut, const QMap<QString, Read> &read, QStringList &faults);
    void checkLeftovers(bool started, QStringList &faults);
    Pending pending() const;

    QString folder_;
    Tables medium_;
    PythonReader &python_;
    Tables expected_;
    Tables pendingBase_; // the tables under unfinished work, as last seen
    bool broken_ = false;
    QSet<QString> seenLeftovers_;
    QSet<QString> lastLeftovers_;
};

// A short description of how two sets of rows differ.
QString difference(const QList<Row> &want, const QList<Row> &have);

} // namespace CrashTrial
