// The four picker lists: filled from their catalogues, opened under the
// grid cell being typed, kept on the line that begins with what is typed,
// and confirmed into the cell.
#include "frm_quelvar.h"

#include "rules/fraction_line.h"
#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "store/data_link.h"
#include "store/field_codec.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

void FrmQuelvar::connectPickers()
{
    for (QListWidget *list : pickers()) {
        list->installEventFilter(this);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list] { confirmPicker(list); });
    }
    for (const char *name : {"dbMI", "dbED", "dbITLC"})
        for (QListWidget *list : pickers())
            grid(QString::fromLatin1(name))->addCompanion(list);
}

QList<QListWidget *> FrmQuelvar::pickers() const { return {lstClave, lstFraccion, lstPaisAux, lstPais}; }

void FrmQuelvar::LlenaListas()
{
    // The records are read where they stand: the unit-cost grid keeps its
    // current row and any row being typed.
    lstFraccion->clear();
    if (Recordset *insunit = links_->dtsInsunit->recordset()) {
        const int rows = insunit->rowCount();
        for (int row = 0; row < rows; ++row)
            lstFraccion->addItem(FractionLine::build(insunit->valueAt(row, 0), insunit->valueAt(row, 1),
                                                     insunit->valueAt(row, 2)));
    }
    lstClave->clear();
    if (Recordset *claves = links_->dtsPedimentos->recordset()) {
        const int rows = claves->rowCount();
        for (int row = 0; row < rows; ++row)
            lstClave->addItem(claves->valueAt(row, 0).toString());
    }
}

QListWidget *FrmQuelvar::countryPickerOfImports() const
{
    const bool directTransformed = opcTSolicitud[0]->isChecked() && cmbTExportacion->currentIndex() == 1
                                   && cmbTDevolucion->currentIndex() == 0;
    return directTransformed ? lstPais : lstPaisAux;
}

void FrmQuelvar::ColocaListaGrid(BoundGrid *qGrid, int qCol, QListWidget *qList)
{
    // Just under the current cell: the grid's place in the tab strip, the
    // column's and the row's place in the grid.
    QWidget *area = qList->parentWidget();
    const QPoint strip = SSTabDatos->mapTo(area, QPoint(0, 0));
    const int left = strip.x() + qGrid->Left() + qGrid->Columns(qCol).Left();
    const int top = strip.y() + qGrid->Top() + qGrid->RowTop(qGrid->Row()) + qGrid->RowHeight();
    LlenaListas();
    // Never narrower than its longest line, which would hide a line's rate
    // behind a scroll bar.
    int width = qList == lstFraccion ? 2 * qGrid->Columns(qCol).Width() : qGrid->Columns(qCol).Width() + 15;
    width = std::max(width, qList->sizeHintForColumn(0) + 2 * qList->frameWidth()
                                + qList->verticalScrollBar()->sizeHint().width());
    // Eight lines tall, or what the window has room for below the cell.
    const int lineHeight = qList->fontMetrics().height() + 4;
    const int wanted = 8 * lineHeight + 2 * qList->frameWidth();
    const int room = area->height() - top;
    const int height = std::max(std::min(wanted, room), 3 * lineHeight);
    qList->setGeometry(std::max(0, std::min(left, area->width() - width)), top, width, height);

    if (qList->count() > 0)
        qList->setCurrentRow(0);
    qList->show();
    qList->raise();
}

void FrmQuelvar::openPicker(BoundGrid *qGrid, int column)
{
    QListWidget *list = nullptr;
    if (qGrid->objectName() == QLatin1String("dbMI"))
        list = column == 0 ? lstClave : column == 3 ? lstFraccion : column == 6 ? countryPickerOfImports() : nullptr;
    else if (qGrid->objectName() == QLatin1String("dbED"))
        list = column == 2 ? lstPaisAux : nullptr;
    else if (qGrid->objectName() == QLatin1String("dbITLC"))
        list = column == 0 ? lstPaisAux : nullptr;
    if (list)
        ColocaListaGrid(qGrid, column, list);
}

void FrmQuelvar::hidePickers()
{
    for (QListWidget *list : pickers())
        if (!list->isHidden())
            list->hide();
}

void FrmQuelvar::seekCountry(QListWidget *list, const QString &typed)
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

void FrmQuelvar::unselect(QListWidget *list)
{
    // Nothing in the list begins with what is typed: no line is taken, and
    // leaving the cell keeps the typed text.
    list->setCurrentRow(-1);
    list->clearSelection();
}

void FrmQuelvar::seekLine(QListWidget *list, DataLink *catalogue, const QString &field, const QString &typed)
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

void FrmQuelvar::followTyping(BoundGrid *qGrid)
{
    try {
        const QString name = qGrid->objectName();
        if (name == QLatin1String("dbMI")) {
            for (int column : {0, 6})
                upperCaseCell(qGrid, column);
            for (QListWidget *country : {lstPaisAux, lstPais})
                if (!country->isHidden())
                    seekCountry(country, qGrid->Columns(6).Text());
            if (!lstClave->isHidden())
                seekLine(lstClave, links_->dtsPedimentos, QStringLiteral("clave"), qGrid->Columns(0).Text());
            if (!lstFraccion->isHidden())
                seekLine(lstFraccion, links_->dtsInsunit, QStringLiteral("fraccion"), qGrid->Columns(3).Text());
        } else if (name == QLatin1String("dbED")) {
            upperCaseCell(qGrid, 2);
            seekCountry(lstPaisAux, qGrid->Columns(2).Text());
        } else if (name == QLatin1String("dbITLC")) {
            upperCaseCell(qGrid, 0);
            seekCountry(lstPaisAux, qGrid->Columns(0).Text());
        } else if (name == QLatin1String("dbCU")) {
            upperCaseCell(qGrid, 1);
        } else if (name == QLatin1String("dbEI")) {
            upperCaseCell(qGrid, 8);
        }
    } catch (const StoreError &) {
        // A catalogue that cannot be searched leaves the list where it was.
    }
}

void FrmQuelvar::upperCaseCell(BoundGrid *qGrid, int column)
{
    GridColumnRef cell = qGrid->Columns(column);
    const QString text = cell.Text();
    const QString upper = text.toUpper();
    if (upper != text)
        cell.setText(upper); // caret at the end
}

void FrmQuelvar::confirmPicker(QListWidget *list)
{
    QListWidgetItem *item = list->currentItem();
    BoundGrid *target = nullptr;
    if (item && list == lstClave) {
        target = grid(QStringLiteral("dbMI"));
        target->Columns(0).setText(item->text());
    } else if (item && list == lstFraccion) {
        target = grid(QStringLiteral("dbMI"));
        const FractionLine::Parts parts = FractionLine::read(item->text());
        target->Columns(3).setText(parts.item);
        target->Columns(4).setText(FieldCodec::plainNumber(parts.rate));
        rememberedFraction_ = item->text();
    } else if (item) {
        const int tab = SSTabDatos->currentIndex();
        const QString gridName = tab == 5 ? QStringLiteral("dbMI") : tab == 6 ? QStringLiteral("dbED")
                                 : tab == 8                       ? QStringLiteral("dbITLC")
                                                                  : QString();
        const int column = tab == 5 ? 6 : tab == 6 ? 2 : 0;
        if (!gridName.isEmpty()) {
            target = grid(gridName);
            target->Columns(column).setText(item->text());
        }
    }
    list->hide();
    returnToGrid(target);
}

void FrmQuelvar::returnToGrid(BoundGrid *target)
{
    if (!target)
        return;
    if (QLineEdit *editor = target->cellEditor())
        editor->setFocus(Qt::OtherFocusReason);
    else
        target->SetFocus();
}

bool FrmQuelvar::pickerEvent(QObject *watched, QEvent *event)
{
    auto *list = qobject_cast<QListWidget *>(watched);
    if (!list || !pickers().contains(list))
        return false;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirmPicker(list);
            return true;
        }
        if (key == Qt::Key_Escape) {
            list->hide();
            returnToGrid(gridOnTab());
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            list->hide();
    }
    return false;
}

BoundGrid *FrmQuelvar::gridOnTab() const
{
    static const char *const names[] = {nullptr, nullptr, nullptr, nullptr, "dbCU", "dbMI", "dbED", "dbEI", "dbITLC"};
    const int tab = SSTabDatos->currentIndex();
    return tab >= 0 && tab < 9 && names[tab] ? grid(QString::fromLatin1(names[tab])) : nullptr;
}

void FrmQuelvar::CompletaSelFraccion()
{
    if (rememberedFraction_.isEmpty())
        return;
    BoundGrid *imports = grid(QStringLiteral("dbMI"));
    const FractionLine::Parts parts = FractionLine::read(rememberedFraction_);
    // The figures belong to the row whose tariff item was picked.
    if (imports->Columns(3).Value() != parts.item)
        return;
    imports->Columns(5).setText(FieldCodec::plainNumber(parts.cost));
    if (opcTSolicitud[0]->isChecked() && cmbTDevolucion->currentIndex() == 0 && !imports->Columns(2).Value().isEmpty())
        imports->recordModel()->setPendingField(QStringLiteral("COSTO_UNIT"), parts.cost);
}
