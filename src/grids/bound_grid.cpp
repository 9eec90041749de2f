// A bound grid's life with its record set: following the current record,
// the cell being typed and the events it raises, the row written on leaving
// it, and the rows deleted.
#include "bound_grid.h"

#include "grid_cell_delegate.h"
#include "platform/message_box.h"
#include "platform/typed_key.h"
#include "record_table_model.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <memory>

namespace {

// A key event typing the key code instead.
std::unique_ptr<QKeyEvent> replacementKey(int keyAscii)
{
    if (keyAscii == 8)
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    if (keyAscii == 13)
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    const char32_t c = char32_t(keyAscii);
    const QString text = QString::fromUcs4(&c, 1);
    const QChar upper = text.at(0).toUpper();
    const int key = (upper >= u'A' && upper <= u'Z') ? int(Qt::Key_A) + (upper.unicode() - 'A') : int(Qt::Key_unknown);
    return std::make_unique<QKeyEvent>(QEvent::KeyPress, key, Qt::NoModifier, text);
}

} // namespace

// --- the grid ---

BoundGrid::~BoundGrid()
{
    // The editor of a cell may still be open: it goes with the grid's
    // widgets, after this grid is no longer one.
    delegate_->detach();
}

BoundGrid::BoundGrid(const QList<GridColumn> &columns, DataLink *link, QWidget *parent)
    : QTableView(parent), model_(new RecordTableModel(link, columns, this)), delegate_(new GridCellDelegate(this))
{
    setModel(model_);
    setItemDelegate(delegate_);
    connect(model_, &RecordTableModel::aboutToWritePendingRow, this, &BoundGrid::takeOpenEditor);
    connect(model_, &RecordTableModel::beforeWritingRow, this, [this](int row, bool *cancel) {
        const QScopedValueRollback onRow(contextRow_, row);
        emit BeforeUpdate(cancel);
    });
    connect(model_, &RecordTableModel::rowWritten, this, [this] { emit AfterUpdate(); });
    connect(model_, &RecordTableModel::rowMarkChanged, this, [this](int row) {
        QHeaderView *header = verticalHeader();
        header->viewport()->update(0, header->sectionViewportPosition(row), header->width(), header->sectionSize(row));
    });
    connect(model_, &RecordTableModel::rowDeleted, this, [this] { emit AfterDelete(); });
    connect(model_, &RecordTableModel::lockChanged, this, [this](int column) {
        if (currentIndex().column() == column)
            takeInputAsCurrentCell();
    });
    if (link) {
        connect(link, &DataLink::currentRecordMoved, this, &BoundGrid::scheduleFollow);
        connect(link, &DataLink::reopened, this, &BoundGrid::scheduleFollow);
    }
    setEditTriggers(AnyKeyPressed | DoubleClicked | EditKeyPressed);
    setSelectionBehavior(SelectItems);
    setSelectionMode(ExtendedSelection);
    setMouseTracking(true);
    setUpLook();
}

DataLink *BoundGrid::link() const { return model_->link(); }

int BoundGrid::ColumnsCount() const { return model_->columnCount(); }

int BoundGrid::currentRecordRow() const
{
    if (contextRow_ >= 0)
        return contextRow_;
    DataLink *l = link();
    Recordset *rs = l ? l->recordset() : nullptr;
    if (!rs || !rs->isOpen())
        return -1;
    int row = -1;
    try {
        row = rs->currentRow();
    } catch (const StoreError &) {
    }
    return row >= 0 ? row : model_->newRecordRow();
}

int BoundGrid::Row() const
{
    const int top = std::max(0, rowAt(0));
    return currentRecordRow() - top;
}

void BoundGrid::setRow(int row)
{
    if (model_->rowCount() == 0)
        return;
    const int target = std::clamp(std::max(0, rowAt(0)) + row, 0, model_->rowCount() - 1);
    const int column = std::max(0, currentIndex().column());
    setCurrentIndex(model_->index(target, column));
    // The cursor may stand on that row already while the record set was
    // walked elsewhere: the record set comes back to it.
    moveRecordsetTo(target);
}

// --- following the record set ---

void BoundGrid::moveRecordsetTo(int row)
{
    DataLink *l = link();
    Recordset *rs = l ? l->recordset() : nullptr;
    if (!rs || !rs->isOpen() || rs->editMode() != Recordset::EditMode::None)
        return;
    const QScopedValueRollback moving(movingRecordset_, true);
    try {
        rs->moveToRow(row); // past the last record on the new-record line
    } catch (const StoreError &) {
    }
}

void BoundGrid::scheduleFollow()
{
    if (movingRecordset_ || followScheduled_)
        return;
    followScheduled_ = true;
    QMetaObject::invokeMethod(this, &BoundGrid::followRecordset, Qt::QueuedConnection);
}

void BoundGrid::followRecordset()
{
    followScheduled_ = false;
    if (model_->rowCount() == 0)
        return;
    if (state() == EditingState) {
        // The user is typing in a cell: the cursor stays there, and the
        // record set comes back to its row.
        moveRecordsetTo(currentIndex().row());
        return;
    }
    int target = currentRecordRow();
    if (target < 0 || target == currentIndex().row())
        return;
    const int column = std::max(0, currentIndex().column());
    // The cursor leaves the row being edited: it is written, as when the
    // user leaves it (and stays when that is refused).
    if (model_->hasPendingRow() && model_->pendingRow() != target) {
        const bool toNewLine = model_->isNewRecordRow(target);
        if (!writeRowLeft(column))
            return;
        if (toNewLine)
            target = model_->newRecordRow(); // the line moved down when its record was added
    }
    {
        const QScopedValueRollback following(following_, true);
        // Past the last record, where a walk over the table leaves the set,
        // the cursor goes to the new-record line without carrying the grid
        // there: the rows the user was working on stay in sight.
        const bool scrolling = hasAutoScroll();
        setAutoScroll(scrolling && !model_->isNewRecordRow(target));
        setCurrentIndex(model_->index(target, column));
        setAutoScroll(scrolling);
    }
    moveRecordsetTo(target);
}

// --- editing ---

bool BoundGrid::hasPendingRow() const { return model_->hasPendingRow() || state() == EditingState; }

void BoundGrid::takeOpenEditor()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool BoundGrid::isCompanion(const QWidget *widget) const
{
    for (const QPointer<QWidget> &c : companions_)
        if (widget && c && (c == widget || c->isAncestorOf(widget)))
            return true;
    return false;
}

bool BoundGrid::commitPendingRow()
{
    takeOpenEditor();
    return model_->commitPendingRow();
}

bool BoundGrid::writePendingRow()
{
    takeOpenEditor();
    return !model_->hasPendingRow() || writeRowLeft(std::max(0, currentIndex().column()));
}

void BoundGrid::editorOpened(QLineEdit *editor, const QModelIndex &index)
{
    if (editor_ == editor && editorIndex_ == index)
        return; // the same editor filled anew
    editor_ = editor;
    editorIndex_ = index;
    editorChanged_ = false;
    connect(editor, &QLineEdit::textChanged, this, [this, editor] {
        if (editor != editor_)
            return;
        editorChanged_ = true;
        if (raisingChange_)
            return;
        const QScopedValueRollback raising(raisingChange_, true);
        emit Change();
    });
}

QList<int> BoundGrid::raiseKeyPress(const QList<int> &typed)
{
    QList<int> kept;
    for (int code : typed) {
        int key = code;
        emit KeyPress(&key);
        if (key != 0)
            kept.append(key);
    }
    return kept;
}

bool BoundGrid::filterEditorKey(QLineEdit *editor, QKeyEvent *event)
{
    if (forwardingKey_ || editor != editor_)
        return false;
    // Every character a key types is raised, whatever modifiers come with
    // it; a key typing several is typed again one kept character at a time.
    const QList<int> typed = typedKeyCodes(event);
    if (typed.isEmpty())
        return false;
    const QList<int> keys = raiseKeyPress(typed);
    if (keys == typed)
        return false;
    const QScopedValueRollback forwarding(forwardingKey_, true);
    for (int key : std::as_const(keys)) {
        const auto replacement = replacementKey(key);
        QCoreApplication::sendEvent(editor, replacement.get());
    }
    return true;
}

bool BoundGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!index.isValid() || !(model_->flags(index) & Qt::ItemIsEditable) || state() == EditingState
        || !(editTriggers() & trigger))
        return QTableView::edit(index, trigger, event);
    if (trigger == AnyKeyPressed || trigger == DoubleClicked || trigger == EditKeyPressed) {
        int key = 0;
        if (trigger == AnyKeyPressed && event && event->type() == QEvent::KeyPress)
            key = typedKeyCode(static_cast<QKeyEvent *>(event));
        bool cancel = false;
        emit BeforeColEdit(index.column(), key, &cancel);
        if (cancel)
            return false;
    }
    // The key that opened the editor was raised as KeyPress already.
    const QScopedValueRollback forwarding(forwardingKey_, true);
    return QTableView::edit(index, trigger, event);
}

void BoundGrid::commitData(QWidget *editor)
{
    const QPersistentModelIndex index = editorIndex_;
    const bool changed = editorChanged_ && editor == editor_;
    const QScopedValueRollback committing(committing_, true);
    QTableView::commitData(editor);
    if (changed && index.isValid()) {
        editorChanged_ = false;
        const QScopedValueRollback onRow(contextRow_, index.row());
        emit AfterColUpdate(index.column());
    }
}

void BoundGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab leaves the cell for the next one without opening it: typing there
    // starts its edit as on any other cell.
    if (hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex next =
        moveCursor(hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious, Qt::NoModifier);
    if (next.isValid())
        setCurrentIndex(next);
}

bool BoundGrid::writeRowLeft(int column)
{
    const int row = model_->pendingRow();
    try {
        if (model_->commitPendingRow())
            return true;
        setCurrentIndex(model_->index(row, column));
        return false;
    } catch (const StoreError &e) {
        setCurrentIndex(model_->index(row, column));
        MessageBox::warning(this, QStringLiteral("No se pudo guardar el renglón. ") + e.message());
        return false;
    }
}

QRect BoundGrid::rowRect(int row) const
{
    return QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
}

// The focus comes and goes with every cell's editor: the base classes draw
// the whole grid again each time, where only the frame and the current row
// show the focus.
void BoundGrid::focusInEvent(QFocusEvent *event)
{
    if (!currentIndex().isValid()) {
        QTableView::focusInEvent(event); // it finds the first cell
        return;
    }
    takeInputAsCurrentCell();
    showFocusChange();
    event->accept();
}

void BoundGrid::focusOutEvent(QFocusEvent *event)
{
    showFocusChange();
    event->accept();
}

// Composed text goes to a cell that takes an editor, as the base class
// has it on focus.
void BoundGrid::takeInputAsCurrentCell()
{
    setAttribute(Qt::WA_InputMethodEnabled, bool(currentIndex().flags() & Qt::ItemIsEditable));
}

void BoundGrid::showFocusChange()
{
    // Fusion and Windows draw a view's frame the same with or without the
    // focus; redrawing it would redraw the scroll bars with it, the
    // costliest part of a row written. Other styles may show the focus there.
    const QString styleName = style()->name().toLower();
    if (styleName != u"fusion" && styleName != u"windows")
        update(QRegion(rect()).subtracted(QRegion(contentsRect())));
    if (currentIndex().isValid())
        viewport()->update(rowRect(currentIndex().row()));
}

void BoundGrid::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // A row written or marked is drawn again alone: for anything wider than
    // a cell the base class draws the whole grid.
    if (topLeft.isValid() && topLeft.row() == bottomRight.row() && topLeft != bottomRight) {
        for (int column = topLeft.column(); column <= bottomRight.column(); ++column) {
            const QModelIndex cell = model_->index(topLeft.row(), column);
            QTableView::dataChanged(cell, cell, roles);
        }
        return;
    }
    QTableView::dataChanged(topLeft, bottomRight, roles);
}

void BoundGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base class first hands the text of the cell left to the model.
    QTableView::currentChanged(current, previous);
    // The cell button moves with the cursor: the rows it leaves and enters
    // are drawn again, not the whole grid.
    for (const QModelIndex &at : {previous, current})
        if (at.isValid())
            viewport()->update(rowRect(at.row()));
    if (deleting_ || following_ || !current.isValid())
        return;
    if (model_->hasPendingRow() && model_->pendingRow() != current.row()) {
        const int column = previous.isValid() ? previous.column() : current.column();
        if (!writeRowLeft(column))
            return;
    }
    moveRecordsetTo(currentIndex().row());
}

QModelIndex BoundGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // Down from the new-record line writes it, and goes on to the fresh line
    // that follows it.
    const QModelIndex current = currentIndex();
    if (action == MoveDown && current.isValid() && model_->isNewRecordRow(current.row())) {
        takeOpenEditor();
        if (model_->pendingRow() == current.row()) {
            if (!writeRowLeft(current.column()))
                return current;
            // The written line became a record, and the cursor (carried
            // down with the line) stands on the fresh one already.
            moveRecordsetTo(model_->newRecordRow());
            return model_->index(model_->newRecordRow(), current.column());
        }
    }
    return QTableView::moveCursor(action, modifiers);
}

void BoundGrid::keyPressEvent(QKeyEvent *event)
{
    if (state() != EditingState && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (event->key() == Qt::Key_Delete) {
            deleteSelectedRows();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Escape && model_->hasPendingRow()) {
            model_->discardPendingRow();
            event->accept();
            return;
        }
    }
    if (state() != EditingState) {
        const QList<int> typed = typedKeyCodes(event);
        QList<int> keys = raiseKeyPress(typed);
        if (!typed.isEmpty() && keys.isEmpty()) {
            event->accept();
            return;
        }
        if (keys != typed) {
            // The first key kept opens the cell; the others follow it in.
            QTableView::keyPressEvent(replacementKey(keys.takeFirst()).get());
            if (QLineEdit *editor = cellEditor()) {
                const QScopedValueRollback forwarding(forwardingKey_, true);
                for (int key : std::as_const(keys))
                    QCoreApplication::sendEvent(editor, replacementKey(key).get());
            }
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void BoundGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    buttonPressed_ = event->button() == Qt::LeftButton && buttonRect(index).contains(event->position().toPoint());
    if (buttonPressed_) {
        event->accept();
        emit ButtonClick(index.column());
        return;
    }
    QTableView::mousePressEvent(event);
}

void BoundGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (buttonPressed_) {
        buttonPressed_ = false; // the button's click, not the grid's
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
    emit Click();
}

void BoundGrid::mouseMoveEvent(QMouseEvent *event)
{
    QTableView::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint() + viewport()->pos();
    emit MouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

bool BoundGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // The grid's own tool-tip, which its handlers set for the column
        // under the pointer.
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = cellToolTip(indexAt(help->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    // A cell editor shown or hidden asks its parent, the viewport, to lay
    // itself out again. The viewport has no layout: passed on, the request
    // lays out the scroll bars again and draws them, for every cell typed.
    if (event->type() == QEvent::LayoutRequest)
        return true;
    return QTableView::viewportEvent(event);
}

QList<int> BoundGrid::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &i : selectionModel()->selectedIndexes())
        rows.append(i.row());
    if (rows.isEmpty() && currentIndex().isValid())
        rows.append(currentIndex().row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void BoundGrid::deleteSelectedRows()
{
    QList<int> rows = selectedRows();
    const bool newLine = !rows.isEmpty() && model_->isNewRecordRow(rows.last());
    if (newLine)
        rows.removeLast();
    if (!rows.isEmpty()) {
        const QString question = rows.size() == 1
                                     ? QStringLiteral("¿Desea eliminar el renglón seleccionado?")
                                     : QStringLiteral("¿Desea eliminar los %1 renglones seleccionados?").arg(rows.size());
        if (!MessageBox::question(this, question))
            return;
    }
    {
        const QScopedValueRollback deleting(deleting_, true);
        try {
            if (newLine)
                model_->deleteRow(model_->newRecordRow()); // drops what was typed on it
            // From the bottom up, so that the rows still to go keep their numbers.
            for (auto it = rows.crbegin(); it != rows.crend(); ++it)
                model_->deleteRow(*it);
        } catch (const StoreError &e) {
            MessageBox::warning(this, QStringLiteral("No se pudo eliminar el renglón. ") + e.message());
        }
    }
    moveRecordsetTo(currentIndex().row());
}
