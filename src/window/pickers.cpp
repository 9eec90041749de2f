// The window's side of its document grids: one controller per grid (see
// grids/grid_controllers.h) and the picker lists they share, with the
// window's procedures handed on to them.
#include "frm_quelvar.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "window/grids/grid_controllers.h"
#include "window/grids/picker_lists.h"

#include "window/grids/row_transfer.h"

#include <QListWidget>
#include <QTabWidget>

void FrmQuelvar::connectPickers()
{
    pickerLists_ = new PickerLists({lstClave, lstFraccion, lstPais, lstPaisAux}, links_, SSTabDatos,
                                   [this] { return opcDT(); }, this);
    connect(pickerLists_, &PickerLists::confirmRequested, this, &FrmQuelvar::confirmPicker);
    connect(pickerLists_, &PickerLists::dismissed, this, [this] {
        if (GridController *onTab = controllerOnTab())
            onTab->returnFocus();
    });
}

void FrmQuelvar::connectGridEvents()
{
    GridContext context;
    context.window = this;
    context.pickers = pickerLists_;
    context.lengthMessages = [this]() -> const QStringList & { return msgLongGrid_; };
    context.today = [this] { return today(); };
    context.opcDT = [this] { return opcDT(); };
    unitCosts_ = new UnitCostGrid(grid(QStringLiteral("dbCU")), context, this);
    imports_ = new ImportGrid(grid(QStringLiteral("dbMI")), context, this);
    gridControllers_ = {unitCosts_, imports_,
                        new DirectExportGrid(grid(QStringLiteral("dbED")), context, this),
                        new DocumentGrid(grid(QStringLiteral("dbEI")), context, this),
                        new DocumentGrid(grid(QStringLiteral("dbITLC")), context, this)};
    for (GridController *controller : std::as_const(gridControllers_)) {
        BoundGrid *g = controller->grid();
        rowTransfers_.append(new RowTransfer(
            controller, [this] { return folder_; }, [this, g] { return incomingContext(g); }, this));
    }
    // A click in the imported goods closes the lists opened under them.
    connect(imports_->grid(), &BoundGrid::Click, pickerLists_, &PickerLists::hideAll);
}

GridController *FrmQuelvar::controllerOf(const BoundGrid *g) const
{
    for (GridController *c : gridControllers_)
        if (c->grid() == g)
            return c;
    Q_ASSERT_X(false, "controllerOf", g ? qPrintable(g->objectName()) : "no grid");
    return nullptr;
}

GridController *FrmQuelvar::controllerOnTab() const
{
    const QWidget *page = SSTabDatos->currentWidget();
    for (GridController *c : gridControllers_)
        if (page && page->isAncestorOf(c->grid()))
            return c;
    return nullptr;
}

void FrmQuelvar::setToday(const QDate &today) { today_ = today; }

QDate FrmQuelvar::today() const { return today_.isValid() ? today_ : QDate::currentDate(); }

void FrmQuelvar::MensajeLongGrid(BoundGrid *qGrid, int qCol, int qLen, const QString &qMensaje)
{
    controllerOf(qGrid)->checkLength(qCol, qLen, qMensaje);
}

void FrmQuelvar::MensajeFechaIncorrecta(BoundGrid *qGrid, const QString &qMsj)
{
    controllerOf(qGrid)->reportDate(qMsj);
}

void FrmQuelvar::VerificaFecha(BoundGrid *qGrid, int qFecha) { controllerOf(qGrid)->checkDate(qFecha); }

void FrmQuelvar::LlenaListas() { pickerLists_->fill(); }

void FrmQuelvar::ColocaListaGrid(BoundGrid *qGrid, int qCol, QListWidget *qList)
{
    pickerLists_->place(qGrid, qCol, qList);
}

void FrmQuelvar::confirmPicker(QListWidget *list)
{
    // The document key and the tariff item go to the imported goods; a
    // country to the grid on the tab shown, when it has a country column.
    GridController *target = nullptr;
    if (QListWidgetItem *item = list->currentItem()) {
        const GridCellRules::Picker kind = pickerLists_->kindOf(list);
        target = kind == GridCellRules::Picker::Country ? controllerOnTab() : imports_;
        if (target && !target->takePick(kind, item->text()))
            target = nullptr;
    }
    list->hide();
    if (target)
        target->returnFocus();
}

void FrmQuelvar::CompletaSelFraccion() { imports_->completeFraction(); }

const QString &FrmQuelvar::fraccionRecordada() const { return imports_->rememberedFraction(); }

void FrmQuelvar::EstableceFormatosGrid()
{
    for (GridController *c : std::as_const(gridControllers_))
        c->applyStartLook();
}

IncomingRows::Context FrmQuelvar::incomingContext(BoundGrid *grid)
{
    IncomingRows::Context context;
    context.grid = grid->objectName();
    context.opcDT = opcDT();
    context.today = today();
    context.lengthMessages = msgLongGrid_;
    for (int c = 0; c < grid->ColumnsCount(); ++c) {
        context.shown.append(grid->isColumnHidden(c) ? u'0' : u'1');
        context.locked.append(grid->recordModel()->isLocked(c) ? u'1' : u'0');
    }
    pickerLists_->fill();
    const auto lines = [](const QListWidget *list) {
        QStringList lines;
        lines.reserve(list->count());
        for (int i = 0; i < list->count(); ++i)
            lines.append(list->item(i)->text());
        return lines;
    };
    context.documentKeys = lines(lstClave);
    context.fractionLines = lines(lstFraccion);
    context.countryCatalogue = lines(lstPais);
    context.countries = lines(lstPaisAux);
    return context;
}
