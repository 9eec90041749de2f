#include "picker_lists.h"

#include "grids/bound_grid.h"
#include "rules/fraction_line.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_links.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <algorithm>

using GridCellRules::Picker;

PickerLists::PickerLists(const Lists &lists, RequestLinks *links, QWidget *tabStrip, std::function<quint8()> opcDT,
                         QObject *parent)
    : QObject(parent), lists_(lists), links_(links), tabStrip_(tabStrip), opcDT_(std::move(opcDT))
{
    for (QListWidget *list : all()) {
        list->installEventFilter(this);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list] { emit confirmRequested(list); });
    }
}

QList<QListWidget *> PickerLists::all() const
{
    return {lists_.clave, lists_.fraccion, lists_.paisAux, lists_.pais};
}

QListWidget *PickerLists::listFor(Picker kind) const
{
    switch (kind) {
    case Picker::DocumentKey:
        return lists_.clave;
    case Picker::TariffItem:
        return lists_.fraccion;
    case Picker::Country:
        return lists_.paisAux;
    case Picker::ImportCountry:
        return opcDT_() == 2 ? lists_.pais : lists_.paisAux;
    case Picker::None:
        break;
    }
    return nullptr;
}

QList<QListWidget *> PickerLists::listsOf(Picker kind) const
{
    if (kind == Picker::ImportCountry)
        return {lists_.paisAux, lists_.pais};
    QListWidget *list = listFor(kind);
    return list ? QList<QListWidget *>{list} : QList<QListWidget *>{};
}

Picker PickerLists::kindOf(const QListWidget *list) const
{
    if (list == lists_.clave)
        return Picker::DocumentKey;
    if (list == lists_.fraccion)
        return Picker::TariffItem;
    if (list == lists_.pais || list == lists_.paisAux)
        return Picker::Country;
    return Picker::None;
}

void PickerLists::fill()
{
    // The records are read where they stand: the unit-cost grid keeps its
    // current row and any row being typed.
    lists_.fraccion->clear();
    if (Recordset *insunit = links_->dtsInsunit->recordset()) {
        const int rows = insunit->rowCount();
        for (int row = 0; row < rows; ++row)
            lists_.fraccion->addItem(FractionLine::build(insunit->valueAt(row, 0), insunit->valueAt(row, 1),
                                                         insunit->valueAt(row, 2)));
    }
    lists_.clave->clear();
    if (Recordset *claves = links_->dtsPedimentos->recordset()) {
        const int rows = claves->rowCount();
        for (int row = 0; row < rows; ++row)
            lists_.clave->addItem(claves->valueAt(row, 0).toString());
    }
}

void PickerLists::place(BoundGrid *grid, int column, QListWidget *list)
{
    // Just under the current cell: the grid's place in the tab strip, the
    // column's and the row's place in the grid.
    QWidget *area = list->parentWidget();
    const QPoint strip = tabStrip_->mapTo(area, QPoint(0, 0));
    const int left = strip.x() + grid->Left() + grid->Columns(column).Left();
    const int top = strip.y() + grid->Top() + grid->RowTop(grid->Row()) + grid->RowHeight();
    fill();
    // Never narrower than its longest line, which would hide a line's rate
    // behind a scroll bar.
    int width = list == lists_.fraccion ? 2 * grid->Columns(column).Width() : grid->Columns(column).Width() + 15;
    width = std::max(width, list->sizeHintForColumn(0) + 2 * list->frameWidth()
                                + list->verticalScrollBar()->sizeHint().width());
    // Eight lines tall, or what the window has room for below the cell.
    const int lineHeight = list->fontMetrics().height() + 4;
    const int wanted = 8 * lineHeight + 2 * list->frameWidth();
    const int room = area->height() - top;
    const int height = std::max(std::min(wanted, room), 3 * lineHeight);
    list->setGeometry(std::max(0, std::min(left, area->width() - width)), top, width, height);

    if (list->count() > 0)
        list->setCurrentRow(0);
    list->show();
    list->raise();
}

void PickerLists::seek(QListWidget *list, const QString &typed)
{
    if (list == lists_.clave)
        seekLine(list, links_->dtsPedimentos, QStringLiteral("clave"), typed);
    else if (list == lists_.fraccion)
        seekLine(list, links_->dtsInsunit, QStringLiteral("fraccion"), typed);
    else
        seekCountry(list, typed);
}

void PickerLists::hideAll()
{
    for (QListWidget *list : all())
        if (!list->isHidden())
            list->hide();
}

void PickerLists::seekCountry(QListWidget *list, const QString &typed)
{
    Recordset *paises = links_->dtsPaises->recordset();
    if (!paises)
        return;
    const int row = paises->findFirstRow(QStringLiteral("descripcio"), typed);
    const QList<QListWidgetItem *> found =
        row < 0 ? QList<QListWidgetItem *>() : list->findItems(paises->valueAt(row, 1).toString(), Qt::MatchExactly);
    if (found.isEmpty())
        unselect(list);
    else
        list->setCurrentItem(found.first());
}

void PickerLists::seekLine(QListWidget *list, DataLink *catalogue, const QString &field, const QString &typed)
{
    Recordset *rs = catalogue->recordset();
    if (!rs)
        return;
    const int row = rs->findFirstRow(field, typed);
    if (row >= 0 && row < list->count())
        list->setCurrentRow(row);
    else
        unselect(list);
}

void PickerLists::unselect(QListWidget *list)
{
    // Nothing in the list begins with what is typed: no line is taken, and
    // leaving the cell keeps the typed text.
    list->setCurrentRow(-1);
    list->clearSelection();
}

bool PickerLists::eventFilter(QObject *watched, QEvent *event)
{
    auto *list = qobject_cast<QListWidget *>(watched);
    if (!list || !all().contains(list))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit confirmRequested(list);
            return true;
        }
        if (key == Qt::Key_Escape) {
            list->hide();
            emit dismissed(list);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            list->hide();
    }
    return QObject::eventFilter(watched, event);
}
