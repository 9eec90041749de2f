#include "bound_grid.h"

#include "platform/message_box.h"
#include "record_table_model.h"
#include "store/store_error.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

BoundGrid::BoundGrid(const QList<GridColumn> &columns, DataLink *link, QWidget *parent)
    : QTableView(parent), model_(new RecordTableModel(link, columns, this))
{
    setModel(model_);
    connect(model_, &RecordTableModel::aboutToWritePendingRow, this, &BoundGrid::takeOpenEditor);
    setEditTriggers(AnyKeyPressed | DoubleClicked | EditKeyPressed);
    setSelectionBehavior(SelectItems);
    setSelectionMode(ExtendedSelection);
    setUpLook();
}

void BoundGrid::setUpLook()
{
    const QFontMetrics fm(font());
    setWordWrap(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Columns fit their caption in up to three lines, and are never narrower
    // than a thirteen-digit number.
    QHeaderView *top = horizontalHeader();
    top->setSectionResizeMode(QHeaderView::Fixed);
    top->setDefaultAlignment(Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
    top->setHighlightSections(false);
    const int padding = 2 * fm.horizontalAdvance(u'M');
    const int least = fm.horizontalAdvance(QStringLiteral("0000000000000"));
    int lines = 1;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const QString caption = model_->columns()[c].caption;
        int longestWord = 0;
        for (const QString &word : caption.split(u' ', Qt::SkipEmptyParts))
            longestWord = std::max(longestWord, fm.horizontalAdvance(word));
        const int width = std::max({least, longestWord, (fm.horizontalAdvance(caption) + 2) / 3}) + padding;
        setColumnWidth(c, width);
        const QRect wrapped = fm.boundingRect(QRect(0, 0, width - padding, 1000), Qt::TextWordWrap, caption);
        lines = std::max(lines, (wrapped.height() + fm.height() - 1) / fm.height());
    }
    top->setFixedHeight(lines * fm.lineSpacing() + fm.height());

    // Rows keep one line of text; the row header carries the row marks.
    QHeaderView *side = verticalHeader();
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setDefaultSectionSize(fm.height() + 8);
    side->setDefaultAlignment(Qt::AlignCenter);
}

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

void BoundGrid::commitPendingRow()
{
    takeOpenEditor();
    model_->commitPendingRow();
}

bool BoundGrid::writeRowLeft(int column)
{
    const int row = model_->pendingRow();
    try {
        model_->commitPendingRow();
        return true;
    } catch (const StoreError &e) {
        setCurrentIndex(model_->index(row, column));
        MessageBox::warning(this, QStringLiteral("No se pudo guardar el renglón. ") + e.message());
        return false;
    }
}

void BoundGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base class first hands the text of the cell left to the model.
    QTableView::currentChanged(current, previous);
    if (deleting_ || !previous.isValid() || current.row() == previous.row())
        return;
    if (model_->pendingRow() == previous.row())
        writeRowLeft(previous.column());
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
    QTableView::keyPressEvent(event);
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
    deleting_ = true;
    try {
        if (newLine)
            model_->deleteRow(model_->newRecordRow()); // drops what was typed on it
        // From the bottom up, so that the rows still to go keep their numbers.
        for (auto it = rows.crbegin(); it != rows.crend(); ++it)
            model_->deleteRow(*it);
    } catch (const StoreError &e) {
        MessageBox::warning(this, QStringLiteral("No se pudo eliminar el renglón. ") + e.message());
    }
    deleting_ = false;
}
