// Reading a request back from the medium, all or nothing: the seven tables
// are staged and checked, and only then take the place of the request's,
// which are kept in a backup folder.
#include "request_exchange.h"

#include "exchange_files.h"
#include "unfinished_work.h"
#include "platform/table_check.h"
#include "store/dbf_table.h"
#include "store/request_choices.h"
#include "store/store_error.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>

namespace RequestExchange {

namespace {

const QRegularExpression &backupName()
{
    static const QRegularExpression name(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}_\d{2}\.\d{2}\.\d{2}(_\d+)?$)"));
    return name;
}

// A new, empty backup folder named by the date and time.
QString makeBackup(const QString &requestFolder)
{
    const QString root = backupsFolder(requestFolder);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH.mm.ss"));
    QDir dir(root);
    if (!dir.exists() && !QDir().mkpath(root))
        throw StoreError(QStringLiteral("No se pudo crear la carpeta de respaldos «%1».").arg(nativePath(root)));
    QString name = stamp;
    for (int n = 2; dir.exists(name); ++n)
        name = stamp + u'_' + QString::number(n);
    if (!dir.mkdir(name))
        throw StoreError(
            QStringLiteral("No se pudo crear la carpeta de respaldo «%1».").arg(nativePath(dir.filePath(name))));
    syncFolder(requestFolder);
    syncFolder(root);
    return dir.filePath(name);
}

// Only the newest kBackupsKept backups stay; folders of other names are
// never touched. A backup that cannot be removed is simply left.
void pruneBackups(const QString &requestFolder)
{
    const QDir root(backupsFolder(requestFolder));
    QStringList backups;
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (backupName().match(name).hasMatch())
            backups.append(name);
    // The date sorts first; a second backup of the same second ("_2") after it.
    std::sort(backups.begin(), backups.end(), [](const QString &a, const QString &b) {
        return a.left(19) != b.left(19) ? a < b : a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (qsizetype i = 0; i + kBackupsKept < backups.size(); ++i)
        QDir(root.filePath(backups[i])).removeRecursively();
}

} // namespace

QString tableFault(const QString &table, const Progress &progress)
{
    try {
        // The check the request folder gets at every start, then what only
        // a table about to replace the request's must pass: every record
        // the header counts is there and can be read.
        const std::unique_ptr<DbfTable> t = TableCheck::open(table);
        if (t->countAhead())
            return QStringLiteral("La tabla «%1» está incompleta: %2 (su copia no terminó o el medio está dañado).")
                .arg(nativePath(table), t->countAheadText());
        const qint64 size = progress ? QFileInfo(table).size() : 0;
        const qint64 header = size - qint64(t->recordCount()) * t->recordLength(); // and the end mark
        for (quint32 recno = 0; recno < t->recordCount(); ++recno) {
            t->record(recno);
            if (progress && recno % 4096 == 4095 && !progress(header + qint64(recno) * t->recordLength(), size))
                throw Cancelled{};
        }
        if (progress && !progress(size, size))
            throw Cancelled{};
    } catch (const StoreError &e) {
        return e.message();
    }
    return {};
}

namespace {

const QString kStagingPrefix = QStringLiteral(".quelvar-recuperacion-");

} // namespace

Recovery::Recovery(const QString &requestFolder)
    : folder_(requestFolder), staging_(QDir(requestFolder).filePath(kStagingPrefix + QStringLiteral("XXXXXX")))
{
    if (!staging_.isValid())
        throw StoreError(QStringLiteral("No se pudo preparar la recuperación en «%1»: %2.")
                             .arg(nativePath(requestFolder), staging_.errorString()));
}

void Recovery::check(const QString &medium, const Progress &progress) const
{
    // All seven staged tables are checked before anything of the request
    // is touched; a fault names the table as the medium holds it.
    const qint64 total = progress ? tablesSize(staging()) : 0;
    qint64 before = 0;
    for (const QString &table : tables()) {
        const QString staged = QDir(staging()).filePath(fileOf(table));
        QString fault = tableFault(staged, partOf(progress, before, total));
        before += QFileInfo(staged).size();
        if (!fault.isEmpty()) {
            QString onMedium = findFile(medium, fileOf(table));
            if (onMedium.isEmpty())
                onMedium = QDir(medium).filePath(fileOf(table));
            throw StoreError(fault.replace(nativePath(staged), nativePath(onMedium)));
        }
    }
}

QString Recovery::install()
{
    const QString backup = makeBackup(folder_);
    struct Move {
        QString from, to;
    };
    QList<Move> done;
    const auto move = [&](const QString &from, const QString &to) {
        moveFile(from, to);
        done.append({from, to});
    };
    try {
        // From here until every table is in place, a start after a crash
        // finishes the exchange (resume()).
        UnfinishedWork::noteRecovery(folder_, QFileInfo(staging()).fileName(), QFileInfo(backup).fileName());
        // The request's seven (under whatever case of their names) and the
        // refund type of a transfer, which belongs to the request replaced,
        // go to the backup.
        for (const QString &table : tables())
            for (const QString &name : matchingFiles(folder_, fileOf(table)))
                move(QDir(folder_).filePath(name), QDir(backup).filePath(name));
        const QString refundType = RequestChoices::refundTypeFile(folder_);
        if (QFileInfo::exists(refundType))
            move(refundType, QDir(backup).filePath(QFileInfo(refundType).fileName()));
        // Durability: the backup folder is synced before the staged tables
        // come in, so that the old tables are on disk in one place or the
        // other whenever the power fails.
        syncFolder(backup);
        // The staged files were synced when copied; they are renamed in and
        // the request folder synced, so that the new names are durable.
        for (const QString &table : tables())
            move(QDir(staging()).filePath(fileOf(table)), QDir(folder_).filePath(fileOf(table)));
        syncFolder(folder_);
    } catch (const StoreError &e) {
        // Everything moved goes back where it was, last first.
        for (qsizetype i = done.size() - 1; i >= 0; --i) {
            try {
                moveFile(done[i].to, done[i].from);
            } catch (const StoreError &) {
                untouched_ = false;
            }
        }
        // What is back needs no finishing; what could not come back is
        // named in the message.
        try {
            UnfinishedWork::clear(folder_);
        } catch (const StoreError &) {
        }
        if (untouched_) {
            // The folders made for the backup go too, when empty.
            QDir().rmdir(backup);
            QDir().rmdir(backupsFolder(folder_));
            throw;
        }
        throw StoreError(
            e.message()
            + QStringLiteral(" Las tablas que tenía la solicitud quedaron en «%1».").arg(nativePath(backup)));
    }
    // Every table is in place; a note that stays only makes the next start
    // remove it.
    try {
        UnfinishedWork::clear(folder_);
    } catch (const StoreError &) {
    }
    pruneBackups(folder_);
    return backup;
}

void Recovery::resume(const QString &requestFolder, const QString &staging, const QString &backup)
{
    const QDir folder(requestFolder);
    const QDir staged(folder.filePath(staging));
    const QString kept = QDir(backupsFolder(requestFolder)).filePath(backup);
    if (!QDir().mkpath(kept))
        throw StoreError(QStringLiteral("No se pudo crear la carpeta de respaldo «%1».").arg(nativePath(kept)));
    // A table still staged has not come in: the request's of its name (if
    // still there) goes to the backup first, as install() does.
    QStringList waiting;
    for (const QString &table : tables()) {
        if (!QFileInfo::exists(staged.filePath(fileOf(table))))
            continue;
        waiting.append(table);
        for (const QString &name : matchingFiles(requestFolder, fileOf(table)))
            moveFile(folder.filePath(name), QDir(kept).filePath(name));
    }
    // The refund type goes before the first staged table comes in: with a
    // table still waiting, one in the folder is the replaced request's.
    const QString refundType = RequestChoices::refundTypeFile(requestFolder);
    if (!waiting.isEmpty() && QFileInfo::exists(refundType))
        moveFile(refundType, QDir(kept).filePath(QFileInfo(refundType).fileName()));
    syncFolder(kept);
    for (const QString &table : std::as_const(waiting))
        moveFile(staged.filePath(fileOf(table)), folder.filePath(fileOf(table)));
    syncFolder(requestFolder);
    pruneBackups(requestFolder);
}

void Recovery::removeLeftovers(const QString &requestFolder, const QString &keep)
{
    const QDir folder(requestFolder);
    for (const QString &name : folder.entryList({kStagingPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (name != keep)
            QDir(folder.filePath(name)).removeRecursively();
    const QDir backups(backupsFolder(requestFolder));
    for (const QString &name : backups.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (backupName().match(name).hasMatch())
            backups.rmdir(name); // only when empty
}

} // namespace RequestExchange
