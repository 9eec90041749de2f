#pragma once

#include "rules/grid_columns.h"

#include <QList>
#include <QPointer>
#include <QTableView>

class BoundGrid;
class DataLink;
class GridCellDelegate;
class QLineEdit;
class RecordTableModel;

// One column of a bound grid, as the window's procedures address it:
// grid->Columns(ImportCol::Fraccion).Text(). A light handle; it holds no state of its own.
class GridColumnRef {
public:
    GridColumnRef(BoundGrid *grid, int index) : grid_(grid), index_(index) {}

    int index() const { return index_; }
    // The cell of the grid's current row as shown (in the column's format);
    // while that cell is being typed, the text typed so far.
    QString Text() const;
    // Puts a value into the cell of the current row: it joins the row's
    // pending edits (or the text being typed) and reaches the table when the
    // row is written. A locked column takes it too.
    void setText(const QString &text) const;
    // The cell's value itself, unformatted (a number as plain decimal text).
    QString Value() const;
    void setValue(const QString &value) const { setText(value); }

    QString Caption() const;
    void setCaption(const QString &caption) const;
    QString DataField() const;
    QString NumberFormat() const;
    void setNumberFormat(const QString &format) const;
    bool Visible() const;
    void setVisible(bool visible) const;
    bool Locked() const;
    void setLocked(bool locked) const;
    bool Button() const;
    void setButton(bool button) const;
    Qt::Alignment Alignment() const;
    void setAlignment(Qt::Alignment alignment) const;
    // Left edge in the grid's own coordinates (after the row marks, moved by
    // a horizontal scroll) and width, in pixels.
    int Left() const;
    int Width() const;
    void setWidth(int width) const;

private:
    // The editor of this column's cell on that row, when it is being typed.
    QLineEdit *editorOf(int row) const;

    BoundGrid *grid_;
    int index_;
};

// A document grid bound to a data link: one row per record and a new-record
// line at the bottom.
//
// The grid's current row and its record set's current record are one: the
// user moving the cursor moves the record set, and a procedure walking the
// record set reads each record through Columns(i) (the cursor follows once
// the walk is over).
//
// Typing on a cell edits it in place (KeyPress, BeforeColEdit, Change for
// every change of its text); leaving the cell takes the text into the column
// (AfterColUpdate); leaving the row writes it (BeforeUpdate, the write,
// AfterUpdate). A refused value is reported and the cursor stays on the row
// with what was typed. Delete removes the selected rows after asking
// (AfterDelete); Escape drops the texts typed on the row.
class BoundGrid : public QTableView {
    Q_OBJECT
public:
    BoundGrid(const QList<GridColumn> &columns, DataLink *link, QWidget *parent = nullptr);
    ~BoundGrid() override;

    RecordTableModel *recordModel() const { return model_; }
    DataLink *link() const;

    // --- members the window's procedures use ---
    GridColumnRef Columns(int index) { return GridColumnRef(this, index); }
    template <GridColumnName E> GridColumnRef Columns(E column) { return Columns(columnIndex(column)); }
    int ColumnsCount() const;
    // The current row, counted from the first row shown.
    int Row() const;
    void setRow(int row);
    // Top edge of a row (counted from the first row shown) in the grid's own
    // coordinates, and the height of every row.
    int RowTop(int row) const;
    int RowHeight() const;
    // Position of the grid in the tab strip that holds it (in its parent
    // when no tab strip holds it).
    int Left() const;
    int Top() const;
    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString &text) { setToolTip(text); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    // The height the window asks for, in twips (1/1440 inch). The grid is
    // never shorter than that; the layout may make it taller.
    int HeightTwips() const { return heightTwips_; }
    // Sizes a column to the widest text it shows legitimately (and its
    // button); the headings wrap to fit the columns.
    void fitColumn(int column);
    void setHeadingFont(const QFont &font);
    // The tool-tip over a cell: its whole text when the cell shows it in
    // part, with the column's help.
    QString cellToolTip(const QModelIndex &index) const;
    void setHeightTwips(int twips);

    // The absolute row of the current record: the record set's current
    // record, or the new-record line when the set is past its last record.
    int currentRecordRow() const;
    // The record set's current record moved: put the cursor on it.
    void followRecordset();

    // --- row writing ---
    // A row holds typed texts not yet written (or a cell is being typed).
    bool hasPendingRow() const;
    // Takes in the cell being typed and writes the pending row. Throws
    // StoreError when the table refuses it; the typed texts then stay. False
    // when a BeforeUpdate handler cancelled the write.
    bool commitPendingRow();
    // Takes in the cell being typed, through its AfterColUpdate, as leaving
    // the cell would.
    void commitOpenCell() { takeOpenEditor(); }
    // Writes the pending row as leaving it would: a refusal is reported and
    // the cursor stays on the row. True when nothing is left pending.
    bool writePendingRow();
    // Asks, then deletes the records of the selected rows (the current row
    // when none is selected).
    void deleteSelectedRows();

    // A control beside the grid that works with the cell being typed (a
    // picker list): the focus may go to it and back without ending the
    // cell's edit.
    void addCompanion(QWidget *companion) { companions_.append(companion); }
    bool isCompanion(const QWidget *widget) const;

    // The line editor of the cell being typed, or nullptr.
    QLineEdit *cellEditor() const;
    // The screen rectangle of the cell button of a cell, in viewport
    // coordinates (empty when the column has none).
    QRect buttonRect(const QModelIndex &index) const;

signals:
    void AfterColUpdate(int colIndex);
    void BeforeColEdit(int colIndex, int keyAscii, bool *cancel);
    void ButtonClick(int colIndex);
    void Change();
    void KeyPress(int *keyAscii);
    void MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, int x, int y);
    void AfterUpdate();
    void AfterDelete();
    void BeforeUpdate(bool *cancel);
    void Click();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    QRect rowRect(int row) const;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showFocusChange();
    void takeInputAsCurrentCell();
    // Typing on a cell edits it; it never jumps to a row by its text.
    void keyboardSearch(const QString &) override {}

private:
    friend class GridColumnRef;
    friend class GridCellDelegate;

    void setUpLook();
    int textMargin() const;
    int buttonWidth() const;
    void fitHeading();
    QList<int> fittedWidths_; // per column, what fitColumn gave it
    QPoint placeInTabStrip() const;
    void takeOpenEditor();
    // Writes the pending row on leaving it; on refusal reports the reason and
    // puts the cursor back on the row. False when refused or cancelled.
    bool writeRowLeft(int column);
    QList<int> selectedRows() const;
    void moveRecordsetTo(int row);
    // The editor of a cell opened: its text changes raise Change.
    void editorOpened(QLineEdit *editor, const QModelIndex &index);
    // A key typed into the cell editor: KeyPress, which may swallow or change
    // it. True when the key was swallowed (or replaced and sent anew).
    bool filterEditorKey(QLineEdit *editor, QKeyEvent *event);
    // Raises KeyPress for each code a key types; the codes kept, in order.
    QList<int> raiseKeyPress(const QList<int> &typed);
    void scheduleFollow();

    RecordTableModel *model_;
    GridCellDelegate *delegate_;
    bool deleting_ = false;
    bool movingRecordset_ = false;
    bool following_ = false;
    bool followScheduled_ = false;
    bool forwardingKey_ = false;
    bool raisingChange_ = false;
    bool committing_ = false;
    bool buttonPressed_ = false;
    int contextRow_ = -1; // the row events speak of while the cursor is elsewhere
    int heightTwips_ = 0;
    QList<QPointer<QWidget>> companions_;
    QPointer<QLineEdit> editor_;
    QPersistentModelIndex editorIndex_;
    bool editorChanged_ = false;
};
