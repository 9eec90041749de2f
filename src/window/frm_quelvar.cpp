#include "frm_quelvar.h"

#include "bound_controls.h"
#include "field_edit.h"
#include "rules/grid_totals.h"
#include "rules/request_fields.h"
#include "grids/bound_grid.h"
#include "platform/message_box.h"
#include "store/data_link.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "rules/window_texts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <algorithm>

FrmQuelvar::FrmQuelvar(const QString &folder, QWidget *parent)
    : QMainWindow(parent), folder_(folder), links_(new RequestLinks(this))
{
    // The totals' sums are taken as the rows are first counted, in the
    // same reading of each table.
    for (DataLink *link : {links_->dtsInsunit, links_->dtsInsupedi, links_->dtsExporped, links_->dtsFactura,
                           links_->dtsImpTLC})
        link->setOpening(&GridTotals::follow);
    buildWindow();
    bindFields();
    connect(SSTabDatos, &QTabWidget::currentChanged, this, &FrmQuelvar::onTabChanged);
    connectEvents();
    connectFieldRules();
    connectPickers();
    connectGridEvents();
    connectTotals();
    watchTables();
    Form_Load();
}

FrmQuelvar::~FrmQuelvar()
{
    // The totals' sums of the tables as they stand, so that the next start
    // need not work them out again.
    GridTotals::keepForNextStart(folder_, {links_->dtsInsunit->recordset(), links_->dtsInsupedi->recordset(),
                                           links_->dtsExporped->recordset(), links_->dtsFactura->recordset(),
                                           links_->dtsImpTLC->recordset()});
}

FieldEdit *FrmQuelvar::txt(const QString &name) const
{
    FieldEdit *f = ctl<FieldEdit>(name);
    Q_ASSERT_X(f, "txt", qPrintable(name));
    return f;
}

BoundGrid *FrmQuelvar::grid(const QString &name) const { return ctl<BoundGrid>(name); }

void FrmQuelvar::bindFields()
{
    for (const RequestFields::Control &s : RequestFields::textFields())
        if (!s.link.isEmpty())
            boundFields_.append(new BoundField(txt(s.name), links_->link(s.link), s.field));
    for (const RequestFields::Control &s : RequestFields::checkFields()) {
        auto *box = ctl<QCheckBox>(s.name);
        box->setText(s.caption);
        boundFields_.append(new BoundField(box, links_->dtsSolicitu, s.field));
    }

    // The keyboard order follows the order in which the request is filled in.
    QWidget *previous = nullptr;
    for (const RequestFields::Control &control : RequestFields::controls()) {
        QWidget *w = ctl<QWidget>(control.name);
        Q_ASSERT_X(w, "keyboard order", qPrintable(control.name));
        if (previous && w)
            setTabOrder(previous, w);
        previous = w;
    }
}

void FrmQuelvar::Form_Load()
{
    try {
        LimpiaPantalla();
        EstableceLigas();
        LlenaArregloMsg();
    } catch (const StoreError &) {
        // One more try at opening the tables; a second failure reaches the caller.
        EstableceLigas();
    }
}

void FrmQuelvar::LimpiaPantalla()
{
    for (FieldEdit *f : findChildren<FieldEdit *>())
        f->setText(QString());
    for (QComboBox *c : findChildren<QComboBox *>())
        c->setCurrentIndex(-1);
    // Emptying the boxes is no edit of the stored fields: the boxes show
    // those again once the links are open.
    for (BoundField *b : std::as_const(boundFields_))
        b->discardPendingEdit();
}

void FrmQuelvar::centreOnScreen()
{
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        // A window larger than the screen keeps its title bar on it.
        move(area.x() + std::max(0, (area.width() - width()) / 2),
             area.y() + std::max(0, (area.height() - height()) / 2));
    }
}

void FrmQuelvar::EstableceLigas()
{
    // The window is centred once, when first shown (showEvent): links are
    // re-established at every save, and the place, size and maximised state
    // the user gives the window afterwards are the user's.
    links_->setFolder(folder_);
    links_->refreshRequestLinks();
}

void FrmQuelvar::LlenaArregloMsg()
{
    msgLongGrid_ = WindowTexts::gridLengthMessages();
    cmbTDevolucion->addItems(WindowTexts::refundTypes());
    cmbTSolicitud->addItems(WindowTexts::requestKinds());
    // Adding items to an empty combo selects the first; the refund type stays
    // unchosen until the stored request or the user picks. A request is an
    // initial one until the user says it replies to another: the kind starts
    // at "Solicitud Inicial", its folio boxes closed.
    cmbTDevolucion->setCurrentIndex(-1);
    selectEntry(cmbTSolicitud, 0);
}

void FrmQuelvar::showEvent(QShowEvent *event)
{
    if (!shownOnce_ && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        centreOnScreen(); // before the window reaches the screen
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    try {
        links_->refreshCatalogues();
    } catch (const StoreError &e) {
        showStoreFailure(QStringLiteral("No se pudieron abrir los catálogos de la solicitud."), e.message());
    }
    Form_Activate();
}

void FrmQuelvar::closeEvent(QCloseEvent *event)
{
    if (MessageBox::question(this, QStringLiteral("Desea guardar la información antes de salir del progama. "))) {
        // What is being typed is saved as leaving it would save it.
        if (!finishEditing() || !GuardaInformacion()) {
            // What could not be written is still on screen: staying open
            // lets the user correct it instead of losing it.
            event->ignore();
            return;
        }
    }
    event->accept();
}

void FrmQuelvar::showStoreFailure(const QString &what, const QString &why)
{
    MessageBox::warning(this, what + QStringLiteral("\n\n") + why);
}
