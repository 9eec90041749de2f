#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class QStyle;

class BoundGrid;

// Draws and edits the cells of a bound grid: a one-line editor that tells
// the grid about every key and every change of its text, and the drop-down
// button of the current cell in a column that has one.
class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridCellDelegate(BoundGrid *grid);
    // The grid is being destroyed: its editor's last events go to the
    // default handling alone.
    void detach() { grid_ = nullptr; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void drawText(QPainter *painter, const QStyleOptionViewItem &cell, QStyle *style, const QString &text) const;
    // The text laid out once in the font: a grid shows the same figures
    // again and again as it is drawn, scrolled and written.
    const QStaticText &laidOut(const QString &text, const QFont &font) const;

    mutable QHash<QString, QStaticText> laidOut_;
    mutable QFont laidOutFont_;

    BoundGrid *grid_;
};
