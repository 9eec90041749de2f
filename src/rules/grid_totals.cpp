#include "grid_totals.h"

#include "checks/number_text.h"
#include "running_total.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <ctime>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <vector>

namespace GridTotals {

namespace {

int requiredField(const Recordset &rs, const char *name)
{
    const int index = rs.fieldIndex(QString::fromLatin1(name));
    if (index < 0)
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el campo %2.").arg(rs.tableName(), QString::fromLatin1(name)));
    return index;
}

bool isNumeric(const Recordset &rs, int field) { return rs.table() && rs.table()->field(field).isNumeric(); }

QString stampText(const DbfTable::Stamp &s)
{
    return QStringLiteral("%1 %2 %3 %4 %5").arg(s.device).arg(s.inode).arg(s.size).arg(s.modified).arg(s.changed);
}

// Sums of some fields over the live records of a table, kept beside the
// table: read once, then brought up to date by each record the program
// writes, so a row written costs the same at any size. Split by origin,
// each field has two sums: the records from the TLCAN, then the others.
class KeptSums final : public DbfTable::Follower {
public:
    KeptSums(Recordset &rs, const char *splitBy) : split_(splitBy ? requiredField(rs, splitBy) : -1) {}

    // The sums of the fields (and the TLCAN and other halves when split, in
    // that order), read from the table again when they are behind it.
    std::vector<RunningTotal> of(Recordset &rs, const QStringList &names)
    {
        QList<int> wanted;
        for (const QString &name : names) {
            const int field = requiredField(rs, name.toLatin1().constData());
            if (!fields_.contains(field)) {
                // A field not kept so far: the table is read again for it.
                fields_.append(field);
                numeric_.append(isNumeric(rs, field));
                decimals_.append(rs.table()->field(field).decimals);
                spans_.append({rs.table()->field(field).offset, rs.table()->field(field).length});
                lost_ = true;
            }
            wanted.append(int(fields_.indexOf(field)));
        }
        if (lost_ || followed != rs.table()->generation()) {
            restart();
            rs.forEachRecord([this](const RecordView &record) { count(record, true); });
            followed = rs.table()->generation();
        }
        std::vector<RunningTotal> out;
        for (const int at : wanted)
            for (int half = 0; half < halves(); ++half) {
                const size_t slot = size_t(at * halves() + half);
                out.push_back(sums_[slot]);
                out.back().addUnits(units_[slot], decimals_[at]);
            }
        return out;
    }

    void restart() override
    {
        sums_.assign(size_t(fields_.size() * halves()), RunningTotal());
        units_.assign(sums_.size(), 0);
        lost_ = false;
    }

    void recordChanged(const DbfTable &table, const char *before, const char *after) override
    {
        if (before && before[0] != '*')
            count(RecordView(table, before), false);
        if (after[0] != '*')
            count(RecordView(table, after), true);
        // A sum gone on in doubles would drift with each change: read again.
        for (const RunningTotal &sum : sums_)
            lost_ = lost_ || !sum.isExact();
    }

    void keep(Recordset &rs, const QStringList &names)
    {
        for (const QString &name : names) {
            const int field = rs.fieldIndex(name);
            if (field >= 0 && !fields_.contains(field)) {
                fields_.append(field);
                numeric_.append(isNumeric(rs, field));
                decimals_.append(rs.table()->field(field).decimals);
                spans_.append({rs.table()->field(field).offset, rs.table()->field(field).length});
            }
        }
        restart();
        followed = 0; // the first reading of the table brings them up
    }

    // The sums as a line of the file kept for the next start: the table's
    // stamp, its fields and the sums; nothing when they may not be the
    // file's (behind it, or the file written by someone else since).
    QString keptLine(const DbfTable &table, const QString &key) const
    {
        if (lost_ || followed != table.generation() || table.stamp() != table.ownStamp())
            return {};
        QStringList sums;
        for (size_t slot = 0; slot < sums_.size(); ++slot) {
            RunningTotal sum = sums_[slot];
            sum.addUnits(units_[slot], decimals_[qsizetype(slot) / halves()]);
            sums.append(sum.keptForm());
        }
        return QStringList{table.name().toLower(), key, stampText(table.stamp()), fieldList(), sums.join(u',')}.join(u'\t');
    }

    // Takes the sums of such a line when the file is as it was then.
    void restore(const DbfTable &table, const QStringList &line)
    {
        if (line.size() != 5 || line[2] != stampText(table.stamp()) || line[3] != fieldList())
            return;
        const QStringList forms = line[4].split(u',');
        if (forms.size() != qsizetype(sums_.size()))
            return;
        std::vector<RunningTotal> sums;
        for (const QString &form : forms) {
            const std::optional<RunningTotal> sum = RunningTotal::fromKeptForm(form);
            if (!sum)
                return;
            sums.push_back(*sum);
        }
        sums_ = std::move(sums);
        units_.assign(sums_.size(), 0);
        followed = table.generation();
    }

private:
    QString fieldList() const
    {
        QStringList out;
        for (const int f : fields_)
            out.append(QString::number(f));
        return out.join(u',') + u'/' + QString::number(split_);
    }

    int halves() const { return split_ < 0 ? 1 : 2; }

    void count(const RecordView &record, bool in)
    {
        const int half = split_ >= 0 && !isTlcanOrigin(record.storedBytes(split_)) ? 1 : 0;
        for (qsizetype i = 0; i < fields_.size(); ++i) {
            const size_t at = size_t(i * halves() + half);
            // Most amounts are whole numbers of units of the field's last
            // place: added as such, the rest as read.
            const QByteArrayView bytes(record.bytes() + spans_[i].first, spans_[i].second);
            if (qint64 units = 0; numeric_[i] && RunningTotal::fixedUnits(bytes, decimals_[i], &units)) {
                units_[at] += in ? units : -units;
                continue;
            }
            const RunningTotal::Amount amount(record, fields_[i], numeric_[i]);
            if (in)
                sums_[at].add(amount);
            else
                sums_[at].subtract(amount);
        }
    }

    QList<int> fields_;
    QList<bool> numeric_;
    QList<int> decimals_;
    QList<std::pair<int, int>> spans_; // offset and length in the record
    const int split_;
    bool lost_ = false;
    std::vector<RunningTotal> sums_;
    std::vector<__int128> units_; // of each field's last place

};

// The sums of the last session, for tables no one wrote since: beside the
// tables, one line a table and key, after the line of the clock (below). A
// file that cannot be read, or a line that does not match the table as it
// is now, only means reading the table.
const QString kKeptFile = QStringLiteral(".quelvar.sumas");
const QStringList kKeys{QStringLiteral("sumas"), QStringLiteral("sumas por PAIS_IMPOR")};
// Beside the sums, which records of the table are deleted: with both, a
// table as it was left is not read at all when the window opens. A request
// seldom has many; past this many they are counted again.
const QString kRowsKey = QStringLiteral("renglones");
constexpr size_t kMostDeletionsKept = 10000;

QString rowsLine(Recordset &rs)
{
    const DbfTable &table = *rs.table();
    const std::optional<std::vector<quint32>> deleted = rs.deletedRecords();
    if (!deleted || deleted->size() > kMostDeletionsKept || table.stamp() != table.ownStamp())
        return {};
    QStringList numbers;
    for (const quint32 record : *deleted)
        numbers.append(QString::number(record));
    return QStringList{table.name().toLower(), kRowsKey, stampText(table.stamp()),
                       QString::number(table.recordCount()), numbers.join(u',')}
        .join(u'\t');
}

void restoreRows(Recordset &rs, const QStringList &line)
{
    if (line.size() != 5 || line[2] != stampText(rs.table()->stamp()))
        return;
    bool ok = false;
    const quint32 count = line[3].toUInt(&ok);
    std::vector<quint32> deleted;
    for (const QString &number : line[4].split(u',', Qt::SkipEmptyParts)) {
        bool isNumber = false;
        deleted.push_back(number.toUInt(&isNumber));
        ok = ok && isNumber;
    }
    if (ok)
        rs.knowDeletedRecords(count, std::move(deleted));
}

// The file system's clock where the sums were kept: its tick, and the time
// it gave as they were written, in nanoseconds. A table whose stamp is the
// one kept could still have been written by another program afterwards,
// with the same size, within the tick of its last change; changed at least
// a tick before the sums were kept, it cannot.
const QString kClockKey = QStringLiteral("reloj");

struct KeptClock {
    qint64 tick = 0;
    qint64 written = 0;
};

qint64 nanoseconds(const timespec &t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

// The tick of the times of a file system, from a file just made on it: the
// kernel's clock tick where times are kept to the nanosecond (and the file
// shows a fraction of a second), two seconds (FAT's) anywhere else or when
// it cannot be told.
qint64 timeTick(int fd, const struct stat &made)
{
    constexpr qint64 kCoarse = 2000000000;
    static constexpr quint32 kFine[] = {
        0xEF53 /* ext4 */,     0x58465342 /* xfs */, 0x9123683E /* btrfs */,    0x01021994 /* tmpfs */,
        0xF2F52010 /* f2fs */, 0x2FC12FC1 /* zfs */, 0xCA451A4E /* bcachefs */, 0x794C7630 /* overlay */};
    struct statfs fs {};
    timespec clockTick{};
    if (made.st_mtim.tv_nsec == 0 || ::fstatfs(fd, &fs) != 0
        || std::find(std::begin(kFine), std::end(kFine), quint32(fs.f_type)) == std::end(kFine)
        || ::clock_getres(CLOCK_REALTIME_COARSE, &clockTick) != 0)
        return kCoarse;
    return std::max<qint64>(1, nanoseconds(clockTick));
}

std::optional<KeptClock> keptClock(const QList<QStringList> &lines)
{
    for (const QStringList &line : lines) {
        bool tick = false, written = false;
        if (line.size() == 3 && line[0] == kClockKey) {
            const KeptClock clock{line[1].toLongLong(&tick), line[2].toLongLong(&written)};
            if (tick && written)
                return clock;
        }
    }
    return std::nullopt;
}

bool settled(const DbfTable::Stamp &stamp, const std::optional<KeptClock> &clock)
{
    return clock && clock->written - std::max(stamp.modified, stamp.changed) >= clock->tick;
}

QString keyOf(const char *splitBy)
{
    return splitBy ? QStringLiteral("sumas por %1").arg(QString::fromLatin1(splitBy)) : QStringLiteral("sumas");
}

QList<QStringList> keptLines(const QString &folder)
{
    QFile file(QDir(folder).filePath(kKeptFile));
    QList<QStringList> lines;
    if (file.size() > (1 << 20) || !file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            lines.append(QString::fromLatin1(line).split(u'\t'));
    return lines;
}

KeptSums &keptBeside(Recordset &rs, const char *splitBy)
{
    DbfTable &table = *rs.table();
    const QString key = keyOf(splitBy);
    if (auto *kept = static_cast<KeptSums *>(table.follower(key)))
        return *kept;
    return static_cast<KeptSums &>(table.addFollower(key, std::make_unique<KeptSums>(rs, splitBy)));
}

// The table as it stands on disk now: written behind the program's back
// since it last looked, it is read again (a stat of the file otherwise).
void lookAgain(Recordset &rs)
{
    if (rs.table())
        rs.table()->lookAgain();
}

std::vector<RunningTotal> keptSums(Recordset &rs, const QStringList &fields, const char *splitBy = nullptr)
{
    rs.rowCount(); // a table that cannot be read says so here
    return keptBeside(rs, splitBy).of(rs, fields);
}

} // namespace

std::optional<QString> unitCosts(Recordset &insunit, int opcDT)
{
    if (opcDT == 3 || opcDT == 5)
        return std::nullopt;
    lookAgain(insunit);
    return keptSums(insunit, {QStringLiteral("COSTO_UNIT")})[0].text();
}

bool isTlcanOrigin(QByteArrayView storedName)
{
    return storedName == QByteArrayView("ESTADOS UNIDOS DE AMERICA") || storedName == QByteArrayView("CANADA");
}

ImportTotals importedGoods(Recordset &insupedi, const Totalling &how)
{
    ImportTotals out;
    lookAgain(insupedi);
    const int rows = insupedi.rowCount();
    if (rows == 0)
        return out; // nothing to refund
    const std::vector<RunningTotal> sums = keptSums(insupedi, {QStringLiteral("MONT_SOLIC")}, "PAIS_IMPOR");
    const RunningTotal &tlcan = sums[0];
    const RunningTotal &other = sums[1];
    RunningTotal originating;
    RunningTotal nonOriginating;
    switch (how.mDev) {
    case 0:
    case 1:
        originating.add(tlcan);
        originating.add(other);
        break;
    case 2:
        originating.add(tlcan);
        // Under appendix 8 a transfer counts the share not exported to the
        // TLCAN.
        if (how.transfer && how.appendix8)
            nonOriginating.add(other.text().toDouble() * (100 - how.percentage) / 100);
        else
            nonOriginating.add(other);
        break;
    case 3:
        originating.add(tlcan);
        break;
    default:
        // Mode 4 counts nothing; so does a mode of no meaning.
        break;
    }
    // As a walk from the first record to the last would, the set ends past
    // the last record (the grid's cursor follows it there).
    insupedi.moveToRow(rows);
    out.originating = originating.text();
    out.nonOriginating = nonOriginating.text();
    RunningTotal requested = nonOriginating;
    requested.add(originating);
    out.requested = requested.text();
    return out;
}

QStringList fieldSums(Recordset &table, const QStringList &fields)
{
    lookAgain(table);
    QStringList out;
    for (const RunningTotal &sum : keptSums(table, fields))
        out.append(sum.text());
    return out;
}

void follow(Recordset &rs)
{
    // What the window totals of each table, kept from the table's first
    // reading on (both currencies of the indirect exports).
    const QString table = rs.tableName().toLower();
    QStringList fields;
    const char *splitBy = nullptr;
    if (table == u"insupedi") {
        fields = {QStringLiteral("MONT_SOLIC")};
        splitBy = "PAIS_IMPOR";
    } else if (table == u"insunit") {
        fields = {QStringLiteral("COSTO_UNIT")};
    } else if (table == u"exporped") {
        fields = directExportFields();
    } else if (table == u"factura") {
        fields = indirectExportFields(true) + indirectExportFields(false).mid(2);
    } else if (table == u"imptlc") {
        fields = tlcanFields();
    } else {
        return;
    }
    if (splitBy && rs.fieldIndex(QString::fromLatin1(splitBy)) < 0)
        return; // said when the totals are asked for
    KeptSums &kept = keptBeside(rs, splitBy);
    kept.keep(rs, fields);
    const DbfTable &opened = *rs.table();
    const QList<QStringList> lines = keptLines(QFileInfo(opened.path()).absolutePath());
    if (!settled(opened.stamp(), keptClock(lines)))
        return;
    for (const QStringList &line : lines) {
        if (line.size() > 1 && line[0] == table && line[1] == keyOf(splitBy))
            kept.restore(opened, line);
        else if (line.size() > 1 && line[0] == table && line[1] == kRowsKey)
            restoreRows(rs, line);
    }
}

void keepForNextStart(const QString &folder, const QList<Recordset *> &tables)
{
    QStringList lines;
    for (Recordset *rs : tables) {
        const DbfTable *table = rs ? rs->table() : nullptr;
        for (const QString &key : kKeys)
            if (const auto *kept = table ? static_cast<const KeptSums *>(table->follower(key)) : nullptr)
                if (const QString line = kept->keptLine(*table, key); !line.isEmpty())
                    lines.append(line);
        if (table)
            if (const QString line = rowsLine(*rs); !line.isEmpty())
                lines.append(line);
    }
    // Written whole under another name and renamed: a reader finds the old
    // lines or the new ones. A file cut short only costs a reading. The
    // file made anew gives the clock's time now, after every write of the
    // tables.
    QSaveFile file(QDir(folder).filePath(kKeptFile));
    if (file.open(QIODevice::WriteOnly)) {
        file.setDirectWriteFallback(false);
        struct stat made {};
        if (::fstat(file.handle(), &made) == 0)
            lines.prepend(QStringList{kClockKey, QString::number(timeTick(file.handle(), made)),
                                      QString::number(nanoseconds(made.st_mtim))}
                              .join(u'\t'));
        file.write((lines.join(u'\n') + u'\n').toLatin1());
        file.commit();
    }
}

QStringList directExportFields()
{
    return {QStringLiteral("CANT_TOTAL"), QStringLiteral("CANT_UTIL"), QStringLiteral("VAL_TOTPED"),
            QStringLiteral("VALOR_UTI")};
}

QStringList indirectExportFields(bool pesos)
{
    return {QStringLiteral("CANT_TOTAL"), QStringLiteral("CANT_UTIL"),
            pesos ? QStringLiteral("VALTOTNP") : QStringLiteral("VALTOTDLL"),
            pesos ? QStringLiteral("VALREPNP") : QStringLiteral("VALREPDLL")};
}

QStringList tlcanFields() { return {QStringLiteral("CAN_MIMP"), QStringLiteral("MONT_SOLIC")}; }

std::optional<Capped> capNonOriginating(const QString &nonOriginating, const QString &originating,
                                        const QString &tlcanDuties)
{
    const double duties = decimalNumber(tlcanDuties).value_or(0);
    if (!(decimalNumber(nonOriginating).value_or(0) > duties))
        return std::nullopt;
    return Capped{tlcanDuties, decimalText(duties + decimalNumber(originating).value_or(0))};
}

} // namespace GridTotals
