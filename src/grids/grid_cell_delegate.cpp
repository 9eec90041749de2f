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
    // Placed as the style places it: aligned across the whole width by the
    // text option, centred on whole pixels.
    painter->setFont(cell.font);
    const QStaticText &laid = laidOut(text, cell.font);
    const QSizeF size = laid.size();
    if (size.width() > area.width()) {
        // Too long for its column: cut short as the style cuts it.
        painter->drawText(area, int(cell.displayAlignment) | Qt::TextSingleLine,
                          cell.fontMetrics.elidedText(text, cell.textElideMode, area.width()));
    } else {
        const Qt::Alignment across = QStyle::visualAlignment(cell.direction, cell.displayAlignment);
        qreal x = area.left();
        if (across & Qt::AlignRight)
            x += area.width() - size.width();
        else if (across & Qt::AlignHCenter)
            x += (area.width() - size.width()) / 2;
        const QRect placed = QStyle::alignedRect(cell.direction, cell.displayAlignment & Qt::AlignVertical_Mask,
                                                 QSize(area.width(), int(size.height())), area);
        painter->drawStaticText(QPointF(x, placed.top()), laid);
    }
    painter->restore();
}

const QStaticText &GridCellDelegate::laidOut(const QString &text, const QFont &font) const
{
    // A few thousand texts are kept: more than a screen of any grid shows.
    if (font != laidOutFont_ || laidOut_.size() >= 4096) {
        laidOut_.clear();
        laidOutFont_ = font;
    }
    auto it = laidOut_.find(text);
    if (it == laidOut_.end()) {
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        laid.setTextOption(option);
        laid.prepare(QTransform(), font);
        it = laidOut_.insert(text, laid);
    }
    return *it;
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
