// What the window checks when a grid cell is left: lengths, dates, and the
// picked values of the picker columns.
#include "frm_quelvar.h"

#include "checks/grid_dates.h"
#include "grids/bound_grid.h"
#include "platform/message_box.h"

#include <QListWidget>

namespace {

// The pedimento number has exactly 15 digits.
const QString kPedimentoLength =
    QStringLiteral("La longitud del pedimento sólo puede ser de 15 números. ") + QStringLiteral(" Rectifica por favor");

} // namespace

void FrmQuelvar::connectGridEvents()
{
    for (const char *name : {"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"}) {
        BoundGrid *g = grid(QString::fromLatin1(name));
        connect(g, &BoundGrid::AfterColUpdate, this, [this, g](int column) { cellLeft(g, column); });
        connect(g, &BoundGrid::Change, this, [this, g] { followTyping(g); });
        connect(g, &BoundGrid::BeforeColEdit, this, [this, g](int column, int, bool *) { openPicker(g, column); });
        connect(g, &BoundGrid::ButtonClick, this, [this, g](int column) { openPicker(g, column); });
    }
    connect(grid(QStringLiteral("dbMI")), &BoundGrid::Click, this, &FrmQuelvar::hidePickers);
    connect(grid(QStringLiteral("dbMI")), &BoundGrid::BeforeUpdate, this, [this](bool *) { CompletaSelFraccion(); });
}

void FrmQuelvar::setToday(const QDate &today) { today_ = today; }

QDate FrmQuelvar::today() const { return today_.isValid() ? today_ : QDate::currentDate(); }

void FrmQuelvar::MensajeLongGrid(BoundGrid *qGrid, int qCol, int qLen, const QString &qMensaje)
{
    const QString complaint = GridDates::lengthComplaint(qGrid->Columns(qCol).Text(), qLen, qMensaje);
    if (!complaint.isEmpty())
        MessageBox::warning(this, complaint);
}

void FrmQuelvar::MensajeFechaIncorrecta(BoundGrid *qGrid, const QString &qMsj)
{
    MessageBox::warning(this, qMsj.isEmpty() ? GridDates::formatComplaint() : qMsj);
    qGrid->SetFocus();
}

void FrmQuelvar::VerificaFecha(BoundGrid *qGrid, int qFecha)
{
    const GridDates::DateCheck result = GridDates::check(qGrid->Columns(qFecha).Text(), today());
    if (result.rewritten)
        qGrid->Columns(qFecha).setText(result.text);
    for (const QString &complaint : result.complaints)
        MensajeFechaIncorrecta(qGrid, complaint);
}

void FrmQuelvar::checkDateCell(BoundGrid *qGrid, int column)
{
    MensajeLongGrid(qGrid, column, 10, msgLongGrid_.value(4));
    VerificaFecha(qGrid, column);
}

void FrmQuelvar::checkLengths(BoundGrid *qGrid, int column, std::initializer_list<LengthRule> rules)
{
    for (const LengthRule &r : rules)
        if (r.column == column)
            MensajeLongGrid(qGrid, column, r.limit, msgLongGrid_.value(r.message));
}

void FrmQuelvar::takePickedLine(BoundGrid *qGrid, int column, QListWidget *list)
{
    // The cell holds a line of the list: the one the typing led to. With no
    // line to take (an empty catalogue), what was typed stays.
    if (QListWidgetItem *item = list->currentItem())
        qGrid->Columns(column).setText(item->text());
    list->hide();
}

void FrmQuelvar::cellLeft(BoundGrid *qGrid, int column)
{
    const QString name = qGrid->objectName();
    if (name == QLatin1String("dbCU")) {
        if (column == 0 && qGrid->Columns(0).Text().size() != 8)
            MessageBox::warning(this, QStringLiteral("La fracción debe ser de 8 dígitos. Rectifica por favor"));
        if (column == 2 && qGrid->Columns(2).Text().size() > 12) {
            MessageBox::warning(
                this, QStringLiteral("El precio unitario no debe de exceder de 12 números. Rectifica por favor"));
            qGrid->Columns(2).setText(QString());
        }
        checkLengths(qGrid, column, {{1, 30, 1}, {3, 6, 2}});
    } else if (name == QLatin1String("dbMI")) {
        switch (column) {
        case 0:
            if (qGrid->Columns(0).Text() == QLatin1String("V1"))
                qGrid->Columns(0).setText(QString());
            else
                takePickedLine(qGrid, 0, lstClave);
            break;
        case 1:
            if (qGrid->Columns(1).Text().size() != 15)
                MessageBox::warning(this, kPedimentoLength);
            break;
        case 2:
            if (qGrid->Columns(2).Text().isEmpty())
                qGrid->Columns(2).setText(today().toString(QStringLiteral("dd/MM/yyyy")));
            else
                checkDateCell(qGrid, 2);
            break;
        case 3:
            // As if the line were confirmed in the list.
            if (lstFraccion->currentItem())
                confirmPicker(lstFraccion);
            else
                lstFraccion->hide();
            break;
        case 6:
            takePickedLine(qGrid, 6, countryPickerOfImports());
            break;
        case 9:
            // The value checked, then all that the returned quantity runs.
            MensajeLongGrid(qGrid, 9, 19, msgLongGrid_.value(7));
            MensajeLongGrid(qGrid, 8, 8, msgLongGrid_.value(6));
            break;
        default:
            checkLengths(qGrid, column, {{5, 12, 5}, {7, 8, 6}, {8, 8, 6}, {10, 19, 7}});
        }
    } else if (name == QLatin1String("dbED")) {
        if (column == 0 && qGrid->Columns(0).Text().size() != 15)
            MessageBox::warning(this, kPedimentoLength);
        else if (column == 1)
            checkDateCell(qGrid, 1);
        else if (column == 2)
            takePickedLine(qGrid, 2, lstPaisAux);
        checkLengths(qGrid, column, {{3, 8, 6}, {4, 8, 6}, {5, 12, 7}, {6, 12, 7}});
    } else if (name == QLatin1String("dbEI")) {
        if (column == 1)
            checkDateCell(qGrid, 1);
        checkLengths(qGrid, column,
                     {{0, 15, 8}, {2, 8, 6}, {3, 8, 6}, {4, 12, 7}, {5, 12, 7}, {6, 12, 7}, {7, 12, 7}, {8, 20, 9}});
    } else if (name == QLatin1String("dbITLC")) {
        if (column == 0)
            takePickedLine(qGrid, 0, lstPaisAux);
        else if (column == 2)
            checkDateCell(qGrid, 2);
        checkLengths(qGrid, column, {{1, 8, 0}, {3, 8, 6}, {4, 12, 5}, {5, 2, 2}, {7, 12, 10}});
    }
}
