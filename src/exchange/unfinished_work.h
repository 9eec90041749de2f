#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class DbfTable;

// The erase, the recovery, a save and a write of rows change several files,
// one after another. So that a program that dies part-way (a kill, a crash,
// a power cut) never leaves half a request, each first writes a note in the
// request folder saying what it is about to do (a save and rows: what they
// write over), and removes it once done. The next start finds the note and
// finishes the work (an erase, a recovery) or takes it back (a save, rows)
// before the window opens: the folder holds the request as it was before
// the command, or as the command leaves it, never a mixture.
//
// The start also removes what a dead program leaves behind: a recovery's
// staging folder, a half-written note or refund type, an empty backup.
namespace UnfinishedWork {

// Records of a table as they were before rows were written over them.
struct Replaced {
    quint32 record;
    QByteArray bytes;
};

// A table as a save finds it: its records, and the one the save rewrites
// (none when it adds the first).
struct TableBefore {
    QString table; // its file name in the folder
    quint32 count = 0;
    QList<Replaced> replaced;
};

// What a save writes over: the company's record, the request's, and the
// refund type kept beside them (none: there was no such file).
struct SaveBefore {
    QList<TableBefore> tables;
    std::optional<QByteArray> refundType;
};

struct Note {
    enum Kind { None, EraseAll, EraseRequest, Recovery, Rows, Export, Save };
    Kind kind = None;
    QString staging; // a recovery's staging folder, by its name in the request folder
    QString backup;  // and its backup folder, by its name in the backups folder
    QString table;   // rows: the table file written
    quint32 count = 0; // rows: its records before
    SaveBefore before; // a save: what it writes over
};

// ".quelvar.pendiente"
QString noteFile(const QString &folder);
// The note a program left in the folder; None when there is none (or it
// says nothing this program knows).
Note pending(const QString &folder);

// Writes the note, whole and on the disk, before the work begins. Throws
// StoreError.
void noteErase(const QString &folder, bool everything);
// A copy to the exchange medium under way: the folder is not changed by it,
// but a copy cut off there must not be handed in, and the next start says so.
void noteExport(const QString &folder);
void noteRecovery(const QString &folder, const QString &staging, const QString &backup);
// Rows about to be written into a table: its file name in the folder, its
// records before, and those about to be rewritten, as they are. Undone by
// the next start when the program dies before clear().
void noteRows(const QString &folder, const QString &table, quint32 count, const QList<Replaced> &replaced);
// Puts the table back as the note of the rows says it was.
void undoRows(const QString &folder, const QString &table, quint32 count, const QList<Replaced> &replaced);
// How the folder is before a save: the tables at these paths, each with the
// record the save rewrites (-1: it adds one), read from the disk, and the
// refund type. Throws StoreError.
SaveBefore beforeSave(const QString &folder, const QList<std::pair<QString, qint64>> &tables);
// A save about to write the company's record, the request's and the refund
// type: the note keeps them as they were. Undone by the next start when the
// program dies before clear().
void noteSave(const QString &folder, const SaveBefore &before);
// Puts the table back: its first `count` records, those replaced as they
// were. Only what differs is written, so a table the work never changed is
// left alone even where it cannot be written.
void undoTable(DbfTable &table, quint32 count, const QList<Replaced> &replaced);
// Puts the refund type back as it was (none: no file).
void undoRefundType(const QString &folder, const std::optional<QByteArray> &before);
// Removes the note, on the disk, once the work is done. Throws StoreError.
void clear(const QString &folder);

// The request tables an erase empties (the company's too with everything).
QStringList erasedTables(bool everything);

// With the folder locked, before anything opens its tables: finishes the
// work the note names and removes the note. Throws StoreError, leaving the
// note for another try.
void finish(const QString &folder);
// With the folder locked: removes what dead programs left in the folder
// (not the staging folder of a pending recovery).
void removeLeftovers(const QString &folder);

} // namespace UnfinishedWork
