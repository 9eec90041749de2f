#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// The request's seven tables on the exchange medium (drive A: a diskette, a
// USB stick or any folder): copied out for the ministry, and read back.
// Only these seven files travel, in the medium's root, under these names.
//
// Nothing here trusts the medium. A copy written to it is read back and
// compared before it counts; tables read from it replace the request's only
// when all seven are there and sound, and the replaced ones are kept.
// Every failure throws StoreError with a Spanish message naming the file and
// the fault.
namespace RequestExchange {

// "empresas", "solicitu", "insupedi", "insunit", "exporped", "factura",
// "impTLC": the order in which they are copied.
const QStringList &tables();
inline QString fileOf(const QString &table) { return table + QLatin1String(".dbf"); }

// A copy that fails is tried this many times more before the exchange gives
// up on it and says which file failed.
constexpr int kFurtherPasses = 2;

// The request tables a recovery replaces are kept in a folder of their own
// under this one, inside the request folder; the last kBackupsKept stay.
QString backupsFolder(const QString &requestFolder);
constexpr int kBackupsKept = 5;

// How far long work has gone, in bytes of the tables: `done` of `total`.
// Answering false stops the work, which then throws Cancelled and leaves
// nothing half done of its own (a copy's temporary file goes).
using Progress = std::function<bool(qint64 done, qint64 total)>;
struct Cancelled {};

// The bytes of the seven tables found in the folder.
qint64 tablesSize(const QString &folder);
// The progress of one part of a longer work, told as the whole's: the
// bytes of the parts before it and then its own, of `total`.
Progress partOf(const Progress &whole, qint64 before, qint64 total);

// The file of that name in the folder, matched without regard to case
// (other programs write "IMPTLC.DBF"), the exact name first. Empty when
// there is none.
QString findFile(const QString &folder, const QString &file);

// Copies the file (found in `from` without regard to case) to `to` under
// its exact name, replacing any older copy there whatever its case.
// `progress` hears of the file's bytes as they are written.
void copyTable(const QString &from, const QString &to, const QString &file, const Progress &progress = {});

// Reads the seven tables back from the medium and compares them byte for
// byte with the request's; throws naming the first that differs. `progress`
// hears of the request's bytes compared, of all seven.
void verifyCopies(const QString &requestFolder, const QString &medium, const Progress &progress = {});

// Why a table read from the medium cannot take the place of the request's:
// it fails the check of a request folder's tables at start-up (it does not
// open, or lacks a field the program uses: TableCheck::open), its header
// counts more records than the file holds (a copy cut short), or a record
// cannot be read. Empty when it is sound. `progress` hears of the file's
// bytes read.
QString tableFault(const QString &table, const Progress &progress = {});

// A recovery: the tables read from the medium wait in a staging folder
// inside the request folder (the same file system, so that putting them in
// place is a rename) until all seven are there and sound.
class Recovery {
public:
    // Throws StoreError when the staging folder cannot be made.
    explicit Recovery(const QString &requestFolder);

    QString staging() const { return staging_.path(); }

    // Checks the seven staged tables; throws naming the first that cannot
    // take its place, as `medium` (where they were read) holds it.
    // `progress` hears of the bytes checked, of all seven.
    void check(const QString &medium, const Progress &progress = {}) const;
    // Once checked: moves the request's seven (and the refund type kept
    // beside them) into a new backup folder and the staged ones into their
    // place. Returns the backup folder. On a failure the request folder is
    // left as it was, unless untouched() says otherwise. A note in the
    // folder (unfinished_work.h) names the two folders while the tables move,
    // so that a start after a crash finishes the exchange with resume().
    QString install();
    // False only when a failed install could not put everything back.
    bool untouched() const { return untouched_; }

    // Finishes an install cut short: what is still staged takes the place
    // of the request's table of its name, which goes to the backup (and the
    // refund type with it); then the staging folder goes. `staging` and
    // `backup` are the folders' names, as the note keeps them. Throws
    // StoreError; what was done stays done, and a second call goes on.
    static void resume(const QString &requestFolder, const QString &staging, const QString &backup);
    // Removes the staging folders of recoveries that never got to install
    // (all but `keep`) and the backup folders left empty.
    static void removeLeftovers(const QString &requestFolder, const QString &keep);

private:
    QString folder_;
    QTemporaryDir staging_;
    bool untouched_ = true;
};

// --- for tests ---
// What the copies write their bytes with (::write unless set): a test puts
// in a medium that fills up, fails, or keeps something other than what it
// was given. An empty function restores ::write.
using WriteFunction = std::function<qint64(const QString &target, int fd, const char *data, qint64 size)>;
void setWriteFunction(WriteFunction write);
// What the recovery's moves of files rename them with (::rename unless
// set): a test stops a recovery part-way as a crash would. An empty
// function restores ::rename.
using RenameFunction = std::function<int(const QByteArray &from, const QByteArray &to)>;
void setRenameFunction(RenameFunction rename);

} // namespace RequestExchange
