// The columns of a bound grid as the window's procedures address them, and
// the grid's look: column widths fitted to their texts, the heading, the
// tool-tips, and where rows, cells and their buttons stand.
#include "bound_grid.h"

#include "record_table_model.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>

// --- columns ---

QLineEdit *GridColumnRef::editorOf(int row) const
{
    QLineEdit *editor = grid_->cellEditor();
    return editor && grid_->editorIndex_.row() == row && grid_->editorIndex_.column() == index_ ? editor : nullptr;
}

QString GridColumnRef::Text() const
{
    const int row = grid_->currentRecordRow();
    if (QLineEdit *editor = editorOf(row))
        return editor->text();
    return grid_->model_->cellText(row, index_);
}

QString GridColumnRef::Value() const
{
    const int row = grid_->currentRecordRow();
    if (QLineEdit *editor = editorOf(row))
        return editor->text();
    return grid_->model_->cellValue(row, index_);
}

void GridColumnRef::setText(const QString &text) const
{
    const int row = grid_->currentRecordRow();
    QLineEdit *editor = editorOf(row);
    if (editor && !grid_->committing_) {
        // The cell is being typed: the text goes into the editor, caret at
        // the end, and reaches the column when the user leaves the cell.
        if (editor->text() != text) {
            editor->setText(text);
            editor->setCursorPosition(int(text.size()));
        }
        return;
    }
    grid_->model_->setCellValue(row, index_, text);
    if (editor) {
        const QSignalBlocker quiet(editor);
        editor->setText(text);
    }
}

QString GridColumnRef::Caption() const { return grid_->model_->caption(index_); }
void GridColumnRef::setCaption(const QString &caption) const { grid_->model_->setCaption(index_, caption); }
QString GridColumnRef::DataField() const { return grid_->model_->columns().value(index_).field; }
QString GridColumnRef::NumberFormat() const { return grid_->model_->numberFormat(index_); }
void GridColumnRef::setNumberFormat(const QString &format) const { grid_->model_->setNumberFormat(index_, format); }
bool GridColumnRef::Visible() const { return !grid_->isColumnHidden(index_); }
void GridColumnRef::setVisible(bool visible) const { grid_->setColumnHidden(index_, !visible); }
bool GridColumnRef::Locked() const { return grid_->model_->isLocked(index_); }
void GridColumnRef::setLocked(bool locked) const { grid_->model_->setLocked(index_, locked); }
bool GridColumnRef::Button() const { return grid_->model_->hasButton(index_); }
void GridColumnRef::setButton(bool button) const
{
    grid_->model_->setButton(index_, button);
    grid_->fitColumn(index_);
}
Qt::Alignment GridColumnRef::Alignment() const { return grid_->model_->alignment(index_); }
void GridColumnRef::setAlignment(Qt::Alignment alignment) const { grid_->model_->setAlignment(index_, alignment); }
int GridColumnRef::Left() const { return grid_->viewport()->geometry().left() + grid_->columnViewportPosition(index_); }
int GridColumnRef::Width() const { return grid_->columnWidth(index_); }
void GridColumnRef::setWidth(int width) const { grid_->setColumnWidth(index_, width); }

void BoundGrid::setUpLook()
{
    const QFontMetrics fm(font());
    setWordWrap(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QHeaderView *top = horizontalHeader();
    top->setSectionResizeMode(QHeaderView::Fixed);
    top->setDefaultAlignment(Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
    top->setHighlightSections(false);

    // Rows keep one line of text; the row header carries the row marks.
    QHeaderView *side = verticalHeader();
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setDefaultSectionSize(fm.height() + 8);
    side->setDefaultAlignment(Qt::AlignCenter);

    for (int c = 0; c < model_->columnCount(); ++c)
        fitColumn(c);
}

int BoundGrid::textMargin() const
{
    // The blank the style leaves on each side of a cell's text.
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

int BoundGrid::buttonWidth() const { return std::min(verticalHeader()->defaultSectionSize(), 18); }

void BoundGrid::fitColumn(int column)
{
    // Wide enough for the widest text the column holds legitimately, beside
    // its cell button; the caption wraps to fit, but no word of it is cut.
    const GridColumn def = model_->columns().value(column);
    const QString widest = def.widest.isEmpty() ? QStringLiteral("0000000000000.00") : def.widest;
    // The grid line takes the cell's last pixel; one more pixel keeps a text
    // laid out at fractional widths from being cut.
    int width = QFontMetrics(font()).horizontalAdvance(widest) + 2 * textMargin() + (showGrid() ? 1 : 0) + 1;
    if (model_->hasButton(column))
        width += buttonWidth();
    const QFontMetrics heading(horizontalHeader()->font());
    for (const QString &word : def.caption.split(u' ', Qt::SkipEmptyParts))
        width = std::max(width, heading.horizontalAdvance(word) + 2 * textMargin() + 4);
    // A hidden column keeps its width for when it is shown again.
    setColumnWidth(column, width);
    fittedWidths_.resize(model_->columnCount());
    fittedWidths_[column] = width;
    fitHeading();
}

void BoundGrid::fitHeading()
{
    QHeaderView *top = horizontalHeader();
    const QFontMetrics fm(top->font());
    int lines = 1;
    // Every column's caption, shown or hidden, so that showing a column
    // never needs a taller heading.
    for (int c = 0; c < fittedWidths_.size(); ++c) {
        const int room = std::max(1, fittedWidths_[c] - 2 * textMargin() - 4);
        const QRect wrapped = fm.boundingRect(QRect(0, 0, room, 1000), Qt::TextWordWrap, model_->caption(c));
        lines = std::max(lines, (wrapped.height() + fm.height() - 1) / fm.height());
    }
    top->setFixedHeight(lines * fm.lineSpacing() + fm.height());
}

void BoundGrid::setHeadingFont(const QFont &font)
{
    horizontalHeader()->setFont(font);
    for (int c = 0; c < model_->columnCount(); ++c)
        fitColumn(c);
}

QString BoundGrid::cellToolTip(const QModelIndex &index) const
{
    // A text longer than its cell is shown whole here, above the column's
    // help.
    if (!index.isValid())
        return toolTip();
    const QString text = index.data(Qt::DisplayRole).toString();
    int room = columnWidth(index.column()) - 2 * textMargin() - (showGrid() ? 1 : 0);
    if (model_->hasButton(index.column()) && index == currentIndex())
        room -= buttonWidth();
    if (text.isEmpty() || QFontMetrics(font()).horizontalAdvance(text) <= room)
        return toolTip();
    return toolTip().isEmpty() ? text : text + u'\n' + toolTip();
}

int BoundGrid::RowTop(int row) const
{
    const int top = std::max(0, rowAt(0));
    return viewport()->geometry().top() + rowViewportPosition(top + row);
}

int BoundGrid::RowHeight() const { return verticalHeader()->defaultSectionSize(); }

QPoint BoundGrid::placeInTabStrip() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<QTabWidget *>(w))
            return mapTo(w, QPoint(0, 0));
    return pos();
}

int BoundGrid::Left() const { return placeInTabStrip().x(); }
int BoundGrid::Top() const { return placeInTabStrip().y(); }

void BoundGrid::setHeightTwips(int twips)
{
    heightTwips_ = twips;
    setMinimumHeight(twips * logicalDpiY() / 1440);
}

QLineEdit *BoundGrid::cellEditor() const
{
    if (state() != EditingState || !editor_ || !editorIndex_.isValid())
        return nullptr;
    return editor_.data();
}

QRect BoundGrid::buttonRect(const QModelIndex &index) const
{
    if (!index.isValid() || !model_->hasButton(index.column()) || index != currentIndex())
        return {};
    const QRect cell = visualRect(index);
    const int side = std::min(cell.height(), 18);
    return QRect(cell.right() - side + 1, cell.top(), side, cell.height());
}
