#pragma once

#include "rules/grid_columns.h"
#include "store/data_link.h"

#include <QAbstractTableModel>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QVariant>

class Recordset;

// The records of a data link as table rows, one per record in table order,
// with one column per grid column bound to a field by name. While the link is
// open a blank new-record line follows the last record; a detached link gives
// no rows at all.
//
// Records are read when a row is asked for (the record set moves to that row),
// so a large table opens at the cost of its record count.
//
// Edits do not reach the table cell by cell: the typed texts of one row wait in
// a pending row until the row is written (commitPendingRow), which a view does
// when the user leaves the row and the link does before it is refreshed.
//
// Each column keeps its own settings, which the program may change while the
// grid is shown: caption, display format, lock (not editable by the user),
// cell button and alignment. A cell shows its value in the column's format;
// an editor gets the value itself (EditRole).
class RecordTableModel : public QAbstractTableModel, public PendingRowWriter {
    Q_OBJECT
public:
    RecordTableModel(DataLink *link, QList<GridColumn> columns, QObject *parent = nullptr);
    ~RecordTableModel() override;

    DataLink *link() const { return link_; }
    const QList<GridColumn> &columns() const { return columns_; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Keeps the text typed into a cell (EditRole) in the pending row; empty
    // text stands for a null value. Editing a row other than the pending one
    // first writes the pending one; false when that write is refused (the
    // pending row then stays as it was).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // --- column settings ---
    QString caption(int column) const;
    void setCaption(int column, const QString &caption);
    QString numberFormat(int column) const;
    void setNumberFormat(int column, const QString &format);
    bool isLocked(int column) const;
    void setLocked(int column, bool locked);
    bool hasButton(int column) const;
    void setButton(int column, bool button);
    // The column's alignment; by default numbers to the right, text to the left.
    Qt::Alignment alignment(int column) const;
    void setAlignment(int column, Qt::Alignment alignment);

    // --- cells ---
    // What the cell shows: its value in the column's format.
    QString cellText(int row, int column) const;
    // The cell's value as text: the typed text of the pending row, or the
    // stored value (a number as plain decimal text, a date as dd/mm/yyyy).
    QString cellValue(int row, int column) const;
    // Puts a value into a cell of the pending row as the program does: a
    // locked column takes it too. Same rules as setData.
    bool setCellValue(int row, int column, const QString &value);

    int recordCount() const { return records_; }
    // The row of the blank new-record line, or -1 when the link is detached.
    int newRecordRow() const { return isOpen() ? records_ : -1; }
    bool isNewRecordRow(int row) const { return isOpen() && row == records_; }
    // The column's field is in the table: its cells show and edit it.
    bool isBound(int column) const;

    bool hasPendingRow() const { return pendingRow_ >= 0; }
    // The table was read anew since the rows shown were counted.
    bool changedElsewhere() const;
    int pendingRow() const { return pendingRow_; }
    // The typed text of a cell of the pending row, or a null string.
    QString pendingText(int row, int column) const;

    // Writes the pending row to its record (or, on the new-record line, as a
    // new record). First announces the write (beforeWritingRow), whose
    // listener may still change the row or cancel the write: false then, and
    // the row stays pending. Throws StoreError when the table refuses a value;
    // nothing is written then and the typed texts stay pending.
    bool commitPendingRow();
    // Sets a field of the pending row's record that no column shows; it is
    // written with the row. False when no row is pending or the table has
    // no such field.
    bool setPendingField(const QString &field, const QVariant &value);
    // Drops the typed texts of the pending row.
    void discardPendingRow();
    // Deletes the record of the row; on the new-record line drops its typed
    // texts. Throws StoreError.
    void deleteRow(int row);
    // Reads the link's record set afresh, dropping any pending row. For the
    // window after it changed the records behind the model's back.
    void reload();

    // PendingRowWriter: a refresh of the link writes the pending row first;
    // a write cancelled by the listener throws StoreError, so that the
    // refresh (and the save that asked for it) stops with the row kept.
    void writePendingRow() override;

    // Text of a field value as the grid shows it: null as empty text, a
    // number as plain decimal text, a date as dd/mm/yyyy.
    static QString displayText(const QVariant &value);
    // Row marks of the vertical header, for the window's legend as well.
    static QString editingMark();   // the row has typed texts not yet written
    static QString newRecordMark(); // the blank line that adds a record

signals:
    // The pending row is about to be written: a view flushes its open editor.
    void aboutToWritePendingRow();
    // The pending row is about to reach the table; setting *cancel keeps it.
    void beforeWritingRow(int row, bool *cancel);
    void rowWritten(int row);
    // The column was locked or unlocked: its cells take editors or not.
    void lockChanged(int column);
    // The row's marker in the row header (the row being edited) changed:
    // its text is the same width, only that section is drawn again.
    void rowMarkChanged(int row);
    void rowDeleted();

private:
    bool isOpen() const { return recordset() != nullptr; }
    Recordset *recordset() const;
    QString recordText(int row, int column) const;
    bool validColumn(int column) const { return column >= 0 && column < state_.size(); }
    void columnChanged(int column);
    void readLink();
    void markRow(int row);
    void detachFromLink();

    QPointer<DataLink> link_;
    struct ColumnState {
        QString caption;
        QString numberFormat;
        bool locked = false;
        bool button = false;
        Qt::Alignment alignment; // empty: by the field's kind
    };

    QList<GridColumn> columns_;
    QList<ColumnState> state_;
    QList<int> fields_;       // field index of each column, -1 when absent
    QList<bool> numeric_;     // the column's field holds numbers
    int records_ = 0;
    quint64 changesSeen_ = 0; // the table's changesElsewhere() as last read
    int pendingRow_ = -1;
    QMap<int, QString> pendingTexts_; // by column
    QMap<int, QVariant> pendingFields_; // by field, for fields without a column
};
