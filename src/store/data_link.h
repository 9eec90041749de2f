#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <QString>
#include <memory>

class Recordset;

// A control that shows and edits one field of a link's current record. Its
// edits stay in the control until the link is refreshed (or the window writes
// them), then reach the record through writePendingEdit.
class BoundEditor {
public:
    virtual ~BoundEditor() = default;
    virtual bool hasPendingEdit() const = 0;
    // Writes the control's value into the record in edit mode.
    virtual void writePendingEdit(Recordset &rs) = 0;
    // The record holding the edit was written to the table.
    virtual void pendingEditSaved() = 0;
};

// Something that keeps edits of the link's records outside them (a grid's
// row being edited) and writes them to the table before the link is
// refreshed, so that a refresh never drops what the user typed.
class PendingRowWriter {
public:
    virtual ~PendingRowWriter() = default;
    // Writes what is pending; throws StoreError when the table refuses it.
    virtual void writePendingRow() = 0;
};

// A named record source of the request window: a dialect, a database folder
// and a record source (a table name or "Select * from " + a table name).
// Refresh opens the record source's table from the folder, on its first record.
class DataLink : public QObject {
    Q_OBJECT
public:
    DataLink(const QString &name, const QString &connect, QObject *parent = nullptr);
    ~DataLink() override;

    QString name() const { return objectName(); }
    const QString &Connect() const { return connect_; } // "dBASE III;" or "FoxPro 2.5;"

    const QString &DatabaseName() const { return databaseName_; }
    void setDatabaseName(const QString &folder) { databaseName_ = folder; }
    const QString &RecordSource() const { return recordSource_; }
    void setRecordSource(const QString &source) { recordSource_ = source; }

    // Writes the pending rows of the row writers and the pending edits of the
    // bound controls to the current record, then closes the record set and opens it again from the folder and
    // record source, on the first record. With no folder or no record source
    // the link is left detached (no record set). Throws StoreError when the
    // table cannot be found or opened; the old record set then stays open.
    void Refresh();

    // Called with each record set the link opens, before anyone reads it.
    void setOpening(std::function<void(Recordset &)> opening) { opening_ = std::move(opening); }

    // Writes the pending edits of the bound controls into the current record,
    // begun for them (on an empty set, a new record), and leaves it in edit
    // mode: nothing reaches the table yet. Answers the controls written,
    // which keep their marks until the caller has the record in the table
    // and calls pendingEditSaved() on them. Throws StoreError when a value
    // does not fit its field.
    QList<BoundEditor *> stagePendingEdits();

    // The open record set, or nullptr when the link is detached.
    Recordset *recordset() const { return recordset_.get(); }
    // The open record set; throws StoreError when the link is detached.
    Recordset &openRecordset() const;

    void addBoundEditor(BoundEditor *editor);
    void removeBoundEditor(BoundEditor *editor);
    void addRowWriter(PendingRowWriter *writer);
    void removeRowWriter(PendingRowWriter *writer);

    // The table file that a record source names in a folder, found without
    // regard to case; empty when there is none.
    static QString tableFile(const QString &folder, const QString &recordSource);
    // The table name of a record source: "Select * from imptlc" gives "imptlc".
    static QString tableOf(const QString &recordSource);

signals:
    // The record set was replaced (or dropped): views must read it anew.
    void reopened();
    // The record set's current record moved (a walk, a find, a new record).
    void currentRecordMoved();

private:
    void writePendingEdits();

    QString connect_;
    QString databaseName_;
    QString recordSource_;
    std::unique_ptr<Recordset> recordset_;
    std::function<void(Recordset &)> opening_;
    QList<BoundEditor *> editors_;
    QList<PendingRowWriter *> rowWriters_;
};
