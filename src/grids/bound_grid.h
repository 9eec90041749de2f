#pragma once

#include "grid_columns.h"

#include <QList>
#include <QTableView>

class DataLink;
class RecordTableModel;

// A document grid bound to a data link: one row per record and a new-record
// line at the bottom. Typing on a cell edits it in place; the row is written
// to the table when the user leaves it (a refused value is reported and the
// cursor stays on the row with what was typed). The Delete key deletes the
// selected rows after asking; Escape drops the texts typed on the row.
class BoundGrid : public QTableView {
    Q_OBJECT
public:
    BoundGrid(const QList<GridColumn> &columns, DataLink *link, QWidget *parent = nullptr);

    RecordTableModel *recordModel() const { return model_; }

    // A row holds typed texts not yet written (or a cell is being typed).
    bool hasPendingRow() const;
    // Takes in the cell being typed and writes the pending row. Throws
    // StoreError when the table refuses it; the typed texts then stay.
    void commitPendingRow();
    // Asks, then deletes the records of the selected rows (the current row
    // when none is selected).
    void deleteSelectedRows();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setUpLook();
    void takeOpenEditor();
    // Writes the pending row on leaving it; on refusal reports the reason and
    // puts the cursor back on the row. False when refused.
    bool writeRowLeft(int column);
    QList<int> selectedRows() const;

    RecordTableModel *model_;
    bool deleting_ = false;
};
