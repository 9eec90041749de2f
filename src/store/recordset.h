#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DbfTable;
struct FieldDef;
class Recordset;

// One record as a walk over the table reads it: valid only during the visit.
class RecordView {
public:
    RecordView(const DbfTable &table, const char *bytes) : table_(table), bytes_(bytes) {}
    // The number a numeric field holds; isNull set for a blank field.
    double number(int index, bool *isNull) const;
    // The bytes a field holds as stored (in the table's code page), without
    // the blanks that pad them: for comparing with a known text without
    // decoding it.
    QByteArrayView storedBytes(int index) const;
    // All the bytes of a field, padding included.
    QByteArrayView fieldBytes(int index) const;
    const FieldDef &field(int index) const;
    const char *bytes() const { return bytes_; }
    // The value of any field, decoded as Recordset::value decodes it.
    QVariant value(int index) const;

private:
    const DbfTable &table_;
    const char *bytes_;
};

// One field of the current record of a record set, addressed by position or
// by name: rs.Fields("BANCO").Value(), rs.Fields(4).setValue(9).
class Field {
public:
    Field(Recordset *rs, int index) : rs_(rs), index_(index) {}
    QVariant Value() const;
    void setValue(const QVariant &value) const;
    QString Name() const;
    int index() const { return index_; }

private:
    Recordset *rs_;
    int index_;
};

// The records of one table in table order, with a current record. Records
// marked deleted are invisible: not walked, not counted, not found. Records
// are read from the file as the walk reaches them.
//
// Field values are read from the current record, or from the edit buffer
// while AddNew or Edit is pending; Update writes the buffer to the file.
class Recordset {
public:
    enum class EditMode { None, Edit, AddNew };

    explicit Recordset(std::unique_ptr<DbfTable> table);
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    QString tableName() const;
    bool isOpen() const { return table_ != nullptr; }

    // True when there is no current record: the set is empty, or a walk
    // moved past the last record.
    bool Eof() const;
    // The exact number of records.
    long RecordCount();

    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();

    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    // Deletes the current record; the walk goes on with MoveNext.
    void Delete();
    void Close();
    // Flushes what this table has written to disk.
    void Sync();

    // "field Like 'text*'" (the field, any case, and a prefix; case is not
    // significant): the first record in table order that matches becomes
    // current. When none does, NoMatch() is true and the current record stays.
    void FindFirst(const QString &criterion);
    void FindFirstPrefix(const QString &field, const QString &prefix);
    bool NoMatch() const { return noMatch_; }
    // The same prefix search answering the row of the first match (-1 for
    // none), without moving the current record or leaving an edit.
    int findFirstRow(const QString &field, const QString &prefix);

    int fieldCount() const;
    Field Fields(int index);
    Field Fields(const QString &name);
    int fieldIndex(const QString &name) const; // -1 when absent
    QString fieldName(int index) const;

    QVariant value(int index);
    // The number held by a numeric field without building a QVariant.
    double number(int index, bool *isNull);
    void setValue(int index, const QVariant &value);

    EditMode editMode() const { return editMode_; }
    bool isDirty() const { return dirty_; }

    // Row access for views: rows are the records in table order, 0-based.
    int rowCount() { return int(RecordCount()); }
    void moveToRow(int row);
    // The record number of the row in the file.
    quint32 recordOfRow(int row);
    // The table was written behind the set (records appended, rewritten or
    // cut away): rows are counted afresh and no record is current.
    void tableChanged();
    int currentRow(); // -1 at the end
    // A field of the record at a row, read without moving the current record
    // and without leaving a pending AddNew or Edit.
    QVariant valueAt(int row, int index);

    // The deleted records of the whole table, in order, when the set knows
    // them without reading it (its live rows counted and kept up to date).
    std::optional<std::vector<quint32>> deletedRecords() const;
    // What was known of the table's deleted records when it was last left:
    // taken instead of reading the table to count its live rows, if the
    // table still holds `count` records as opened and nothing kept beside
    // it must read it anyway. A list out of order or out of range is not.
    void knowDeletedRecords(quint32 count, std::vector<quint32> deleted);

    // Reads every record in table order without moving the current record
    // or leaving a pending AddNew or Edit (the rows a view shows).
    void forEachRecord(const std::function<void(const RecordView &)> &visit);

    // Called after every move of the current record (the moves, a find that
    // matched, and the record that an Update appended becoming current).
    void setMoveListener(std::function<void()> listener) { moved_ = std::move(listener); }

    // The first reading of a large table (counting its live records, and
    // what is kept beside it) says how far it got, every so many records;
    // a false answer stops it with ReadingStopped, the set as unread.
    using ReadingProgress = std::function<bool(const QString &table, quint32 done, quint32 total)>;
    static void setReadingProgress(ReadingProgress progress);
    struct ReadingStopped {};

    DbfTable *table() const { return table_.get(); }

private:
    static constexpr quint32 kNone = 0xFFFFFFFFu;

    DbfTable &open() const;
    int prefixFieldIndex(const QString &field);
    void leaveEdit();
    quint32 nextLive(quint32 from);
    quint32 previousLive(quint32 from);
    void buildIndex();
    void notifyMove() const
    {
        if (moved_)
            moved_();
    }
    const char *currentBytes();
    int checkedIndex(int index) const;

    std::unique_ptr<DbfTable> table_;
    quint32 current_ = kNone;
    bool noMatch_ = false;
    EditMode editMode_ = EditMode::None;
    bool dirty_ = false;
    QByteArray buffer_;
    std::function<void()> moved_;

    // Physical numbers of the live records, built when first needed, and
    // again when the table was found written by someone else.
    std::optional<std::vector<quint32>> live_;
    quint32 indexedCount_ = 0; // physical records the index covers
    quint64 indexedChanges_ = 0; // the table's changesElsewhere() then
    bool indexed() const;
    struct KnownDeletions {
        quint64 generation; // of the table when they were given
        quint32 count;
        std::vector<quint32> deleted;
    };
    std::optional<KnownDeletions> known_;
};

// Deletes every record of the set.
void EliminaRegistros(Recordset &rs);
