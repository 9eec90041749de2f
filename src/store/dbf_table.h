#pragma once

#include "dbf_field.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class CodePage;

// One open table file of dBASE III or FoxPro 2.x (version byte 0x03, 0x83 or
// 0xF5), read in chunks on demand and written record by record.
//
// The file is checked when it is opened: a header or field list that does not
// hold together is refused with a StoreError naming the file and the fault.
// Writes go straight to the file: when a write returns, the record and the
// header that covers it are in the file.
//
// Every write also tells the other handles this program has open on the
// same file (an undo or a roll-back writes through one of its own): each
// lets go of what it had read, as after another program's write.
//
// A header that counts more records than the file holds whole is what a power
// cut leaves when the count of an appended record reached the disk and the
// record did not (another program's writes, or ours when appends are not
// synced one by one). Such a table opens with its whole records,
// countAhead() says so, and the next write to it stamps the true count.
class DbfTable {
public:
    ~DbfTable();
    DbfTable(const DbfTable &) = delete;
    DbfTable &operator=(const DbfTable &) = delete;

    static std::unique_ptr<DbfTable> open(const QString &path);
    // Writes a new empty dBASE III table marked Windows-1252. Refuses an
    // existing file.
    static void create(const QString &path, const QList<FieldDef> &fields);

    const QString &path() const { return path_; }
    const QString &name() const { return name_; } // file name without ".dbf"
    unsigned char version() const { return version_; }
    const CodePage &codePage() const { return *codePage_; }
    bool isReadOnly() const { return readOnly_; }

    int fieldCount() const { return int(fields_.size()); }
    const FieldDef &field(int index) const { return fields_[size_t(index)]; }
    int fieldIndex(const QString &name) const; // any case; -1 when absent
    int recordLength() const { return recordLength_; }

    // Records in the file, deleted ones included, as the header counts them
    // (re-read from the file by refreshCount()).
    quint32 recordCount() const { return count_; }
    // Changes with every write to the table and with every reading of its
    // header anew, and no two tables open in the program share one: the same
    // number means the same records.
    quint64 generation() const { return generation_; }

    // What the file system says of the file now; the same stamp as before
    // means no one wrote the file in between (its status changes with every
    // write, and cannot be set back).
    struct Stamp {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds
        qint64 changed = 0;
        bool operator==(const Stamp &) const = default;
    };
    Stamp stamp() const;
    // The stamp as this handle last saw the file: when it opened it, after
    // each write of its own that completed, and when it found the file
    // changed and let go of what it had read. Each write compares the stamp
    // with it first: a table written by anyone else since is read again
    // before the write (a write in the same tick of the file system's clock
    // as the last one, and of the same size, cannot be told).
    const Stamp &ownStamp() const { return ownStamp_; }
    // How many times this handle found the table written by someone else
    // (another program, or another handle of this one): each time its count
    // was read again, the records read before were let go and whatever
    // follows the table was left behind. Views of the records that saw
    // another number read them anew.
    quint64 changesElsewhere() const { return changesElsewhere_; }
    // Whether the file changed since this handle last saw it; when it did,
    // it is let go of as before a write, and whatever shows it reads anew.
    bool lookAgain();

    // Something kept beside the records (sums over a field, say) and
    // brought up to date by every record this handle writes, instead of
    // reading the table again. A follower is up to date while `followed` is
    // the table's generation: each write that finds it so tells it the
    // record before and after and moves `followed` on with the generation; a
    // change it is not told of (records another program appended, a table
    // cut short, a write that failed half-way) leaves it behind, and its
    // owner reads the table again. The table owns its followers: a table
    // opened anew starts without any.
    class Follower {
    public:
        virtual ~Follower() = default;
        // One record changed: its bytes before (null for a record appended)
        // and after.
        virtual void recordChanged(const DbfTable &table, const char *before, const char *after) = 0;
        // Forgets everything: the live records follow as appended.
        virtual void restart() = 0;
        quint64 followed = 0;
    };
    Follower *follower(const QString &key) const;
    // The followers behind the table, for a reading of the whole table to
    // bring up to date (see Recordset).
    std::vector<Follower *> followersBehind() const;
    Follower &addFollower(const QString &key, std::unique_ptr<Follower> follower);
    quint32 refreshCount();
    // True while the header counts records the file does not hold whole;
    // declaredCount() is the count the header gives.
    bool countAhead() const { return countAhead_; }
    quint32 declaredCount() const { return declaredCount_; }
    // "declara 4 registros y el archivo sólo contiene 3": the state above in
    // words, for the message that reports it (empty when the count is sound).
    QString countAheadText() const;

    // Whether appendRecord makes each new record durable before counting it
    // (the default). A writer filling a table that nothing depends on yet (a
    // new folder's catalogues, a scratch table) may turn it off and call
    // sync() once at the end.
    void setSyncEachAppend(bool on) { syncEachAppend_ = on; }

    // The bytes of record recno (deletion flag first). The pointer stays
    // valid until the next call that reads or writes this table.
    const char *record(quint32 recno);
    bool isDeleted(quint32 recno) { return record(recno)[0] == '*'; }

    // A record of blanks, as a new record starts.
    QByteArray blankRecord() const;
    QVariant value(const char *record, int field) const;
    void setValue(char *record, int field, const QVariant &value) const; // throws on misfit

    void writeRecord(quint32 recno, const QByteArray &bytes);
    quint32 appendRecord(const QByteArray &bytes);
    // Appends whole records (each of the record length), made durable once
    // before the count that includes them; the count is synced too. Answers
    // the number of the first.
    quint32 appendRecords(const QList<QByteArray> &records);
    // Cuts the table back to its first `count` records, on the disk: what
    // undoes appends.
    void truncate(quint32 count);
    void markDeleted(quint32 recno);
    void sync(); // flushes the file to disk

private:
    DbfTable() = default;
    void readHeader();
    void load(quint32 recno);
    void ensureWritable() const;
    void writeAt(qint64 offset, const char *data, qint64 size);
    void stampHeader(bool withCount);
    void takeCount(quint32 declared, qint64 fileSize);
    // Before a write of its own: a stamp other than ownStamp_ means the
    // table changed behind the program's back, and it is read again.
    void catchUp();
    // Lets go of everything read from the file: the count is read again
    // (without throwing; a file that cannot be read says so at the next
    // reading), the records and the followers are behind.
    void readAgain();
    // After a write, done or failed: the other handles of the file read it
    // again.
    void tellOtherHandles();
    void forget(); // leaves the handles open in the program
    quint64 device_ = 0;
    quint64 inode_ = 0;
    void syncData();
    [[noreturn]] void fail(const QString &what) const;

    QString path_;
    QString name_;
    int fd_ = -1;
    bool readOnly_ = false;
    unsigned char version_ = 0;
    const CodePage *codePage_ = nullptr;
    std::vector<FieldDef> fields_;
    mutable QHash<QString, int> nameCache_;
    int headerLength_ = 0;
    int recordLength_ = 0;
    quint32 count_ = 0;
    quint32 declaredCount_ = 0;
    bool countAhead_ = false;
    bool syncEachAppend_ = true;
    quint64 generation_ = nextGeneration();
    static quint64 nextGeneration();

    // Whether any follower is up to date, and telling those that are.
    bool followed() const;
    void tell(quint64 from, const char *before, const char *after);
    std::vector<std::pair<QString, std::unique_ptr<Follower>>> followers_;
    Stamp ownStamp_;
    quint64 changesElsewhere_ = 0;

    std::vector<char> buffer_; // a run of consecutive records
    quint32 bufferFirst_ = 0;
    quint32 bufferCount_ = 0;
};
