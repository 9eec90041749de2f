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
    QStyledItemDelegate::paint(painter, option, index);
    const QRect button = grid_->buttonRect(index);
    if (button.isEmpty())
        return;
    QStyleOptionButton panel;
    panel.rect = button;
    panel.state = QStyle::State_Enabled | QStyle::State_Raised;
    panel.palette = option.palette;
    QStyle *style = grid_->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, painter, grid_);
    QStyleOption arrow;
    arrow.rect = button.adjusted(3, 3, -3, -3);
    arrow.state = QStyle::State_Enabled;
    arrow.palette = option.palette;
    style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, grid_);
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
