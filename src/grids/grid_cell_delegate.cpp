#include "grid_cell_delegate.h"

#include "bound_grid.h"
#include "record_table_model.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextLayout>

GridCellDelegate::GridCellDelegate(BoundGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}

QWidget *GridCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setAlignment(grid_->recordModel()->alignment(index.column()) | Qt::AlignVCenter);
    return editor;
}

void GridCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return;
    const QString value = index.data(Qt::EditRole).toString();
    if (line->text() != value) {
        // Filling the editor is no change of the cell by the user.
        const QSignalBlocker quiet(line);
        line->setText(value);
    }
    grid_->editorOpened(line, index);
}

void GridCellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        model->setData(index, line->text(), Qt::EditRole);
}

void GridCellDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const
{
    QRect area = option.rect;
    // The button stays clickable beside the text being typed.
    const QRect button = grid_->buttonRect(index);
    if (!button.isEmpty())
        area.setRight(button.left() - 1);
    editor->setGeometry(area);
}

void GridCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    // The style draws the cell's panel, its selection and its focus; the
    // text is laid out here once (the style lays each text out twice, the
    // first time only to see whether it must be cut short).
    const QString text = cell.text;
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
    if (!text.isEmpty())
        drawText(painter, cell, style, text);
    const QRect button = grid_->buttonRect(index);
    if (button.isEmpty())
        return;
    QStyleOptionButton panel;
    panel.rect = button;
    panel.state = QStyle::State_Enabled | QStyle::State_Raised;
    panel.palette = option.palette;
    style = grid_->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, painter, grid_);
    QStyleOption arrow;
    arrow.rect = button.adjusted(3, 3, -3, -3);
    arrow.state = QStyle::State_Enabled;
    arrow.palette = option.palette;
    style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, grid_);
}

void GridCellDelegate::drawText(QPainter *painter, const QStyleOptionViewItem &cell, QStyle *style,
                                const QString &text) const
{
    // Where the style puts the text: the cell within its focus margins.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    const QRect area =
        style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget).adjusted(margin, 0, -margin, 0);
    QPalette::ColorGroup group = cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setPen(
        cell.palette.color(group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(area, Qt::IntersectClip);
    // Laid out and placed as the style places it: across the whole width,
    // aligned by the text option, centred on whole pixels.
    QTextLayout layout(text, cell.font, painter->device());
    QTextOption option(QStyle::visualAlignment(cell.direction, cell.displayAlignment));
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(cell.direction);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(area.width());
    layout.endLayout();
    if (line.naturalTextWidth() > area.width()) {
        // Too long for its column: cut short as the style cuts it.
        painter->drawText(area, int(cell.displayAlignment) | Qt::TextSingleLine,
                          cell.fontMetrics.elidedText(text, cell.textElideMode, area.width()));
    } else {
        const QRect placed = QStyle::alignedRect(cell.direction, cell.displayAlignment & Qt::AlignVertical_Mask,
                                                 QSize(area.width(), int(line.height())), area);
        line.draw(painter, QPointF(area.left(), placed.top()));
    }
    painter->restore();
}

bool GridCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (!grid_)
        return QStyledItemDelegate::eventFilter(object, event);
    // The grid sees each key before the editor (and before the keys that
    // end the edit are taken as such).
    if (event->type() == QEvent::KeyPress)
        if (auto *line = qobject_cast<QLineEdit *>(object))
            if (grid_->filterEditorKey(line, static_cast<QKeyEvent *>(event)))
                return true;
    // The focus going to a picker beside the grid leaves the cell open; so
    // does a message shown (or the focus moved) while the cell's text is
    // being taken in, which closes the editor itself once done.
    if (event->type() == QEvent::FocusOut && (grid_->committing_ || grid_->isCompanion(QApplication::focusWidget())))
        return false;
    return QStyledItemDelegate::eventFilter(object, event);
}
