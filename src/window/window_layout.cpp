// Builds the request window: the header, the nine tabs, the command bar and
// the picker lists, with every control named as the rest of the program
// finds it.
#include "frm_quelvar.h"

#include "exchange/command_bar.h"
#include "field_edit.h"
#include "rules/request_fields.h"
#include "layout_helpers.h"
#include "grids/bound_grid.h"
#include "rules/grid_columns.h"
#include "grids/record_table_model.h"
#include "store/request_links.h"
#include "rules/window_texts.h"

#include <QDir>
#include <QStatusBar>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Layout;

FieldEdit *FrmQuelvar::makeField(const QString &name, QWidget *parent)
{
    for (const RequestFields::Control &s : RequestFields::textFields()) {
        if (s.name != name)
            continue;
        auto *f = new FieldEdit(name, parent);
        f->setTypingLimit(s.limit);
        f->setAlignment(s.align);
        if (!s.hint.isEmpty())
            f->setToolTip(s.hint);
        f->setMinimumWidth(widthFor(f, s.limit));
        if (s.limit >= 40)
            f->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        else
            f->setMaximumWidth(widthFor(f, s.limit));
        return f;
    }
    Q_ASSERT_X(false, "makeField", qPrintable(name));
    return new FieldEdit(name, parent);
}

FieldEdit *FrmQuelvar::makeTotal(const QString &name, QWidget *parent)
{
    auto *f = new FieldEdit(name, parent);
    f->setReadOnly(true);
    f->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f->setMinimumWidth(widthFor(f, 16));
    f->setMaximumWidth(widthFor(f, 24));
    return f;
}

void FrmQuelvar::buildWindow()
{
    setObjectName(QStringLiteral("frmQuelvar"));
    setWindowTitle(WindowTexts::withFolder(WindowTexts::caption(), QDir(folder_).dirName()));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->addWidget(buildHeader());

    SSTabDatos = new QTabWidget(central);
    SSTabDatos->setObjectName(QStringLiteral("SSTabDatos"));
    SSTabDatos->tabBar()->setExpanding(true);
    SSTabDatos->setUsesScrollButtons(false);
    SSTabDatos->setElideMode(Qt::ElideNone);
    const QStringList captions = WindowTexts::tabCaptions();
    QWidget *pages[] = {buildAddressTab(),   buildGeneralTab(),       buildGoodsTab(),
                        buildCostTab(),      buildUnitCostTab(),      buildImportsTab(),
                        buildDirectExportTab(), buildIndirectExportTab(), buildTlcanTab()};
    for (int i = 0; i < 9; ++i)
        SSTabDatos->addTab(pages[i], captions[i]);
    column->addWidget(SSTabDatos, 1);
    column->addWidget(buildCommandBar());
    buildPickerLists(central);
    setCentralWidget(central);
    // The status line keeps its height, so that a hint shown there does not
    // move the window's controls.
    statusBar()->setMinimumHeight(statusBar()->fontMetrics().height() + 8);
    resize(1180, 700);
}

QWidget *FrmQuelvar::buildHeader()
{
    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("fraEncabezado"));
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(4, 2, 4, 2);

    QLabel *heading = title(QStringLiteral("Label43"), QStringLiteral("QUELVAR TLCAN TERCEROS PAISES"), box);
    grid->addWidget(heading, 0, 0, 1, 8);

    auto *types = new QWidget(box);
    auto *typesRow = new QHBoxLayout(types);
    typesRow->setContentsMargins(0, 0, 0, 0);
    const QStringList typeCaptions{QStringLiteral("Directa"), QStringLiteral("Transferencia")};
    for (int i = 0; i < 2; ++i) {
        auto *opc = new QRadioButton(typeCaptions[i], types);
        opc->setObjectName(QStringLiteral("opcTSolicitud(%1)").arg(i));
        opcTSolicitud.append(opc);
        typesRow->addWidget(opc);
    }
    grid->addWidget(types, 1, 0, 1, 2);

    cmbTDevolucion = combo(QStringLiteral("cmbTDevolucion"), box);
    cmbTDevolucion->setMinimumContentsLength(24);
    addRow(grid, 1, label(QStringLiteral("lblTDevolucion"), QStringLiteral("Tipo de operación de exportación :"), box),
           cmbTDevolucion, 2);
    cmbTExportacion = combo(QStringLiteral("cmbTExportacion"), box);
    cmbTExportacion->setMinimumContentsLength(22);
    addRow(grid, 1, label(QStringLiteral("lblTE"), QStringLiteral("Origen de los Bienes :"), box), cmbTExportacion, 4);

    cmbTSolicitud = combo(QStringLiteral("cmbTSolicitud"), box);
    cmbTSolicitud->setMinimumContentsLength(20);
    grid->addWidget(cmbTSolicitud, 2, 0, 1, 2, Qt::AlignLeft);
    auto *folio = new QWidget(box);
    auto *folioRow = new QHBoxLayout(folio);
    folioRow->setContentsMargins(0, 0, 0, 0);
    for (const QString &name : {QStringLiteral("txtFolio"), QStringLiteral("txtFolioA")}) {
        QLabel *cap = captionOf(name, folio);
        FieldEdit *f = makeField(name, folio);
        cap->setBuddy(f);
        folioRow->addWidget(cap);
        folioRow->addWidget(f);
    }
    folioRow->addStretch();
    grid->addWidget(folio, 2, 2, 1, 2);

    addRow(grid, 3, captionOf(QStringLiteral("txtRFC"), box), makeField(QStringLiteral("txtRFC"), box), 0);
    QLabel *nameCaption = captionOf(QStringLiteral("txtRSocial"), box);
    FieldEdit *name = makeField(QStringLiteral("txtRSocial"), box);
    nameCaption->setBuddy(name);
    grid->addWidget(nameCaption, 3, 2, Qt::AlignRight);
    grid->addWidget(name, 3, 3, 1, 5);
    grid->setColumnStretch(7, 1);
    return box;
}

QWidget *FrmQuelvar::buildCommandBar()
{
    auto *bar = new CommandBar(this);
    connect(bar, &CommandBar::command, this, &FrmQuelvar::cmdAccion_Click);
    return bar;
}

void FrmQuelvar::buildPickerLists(QWidget *parent)
{
    for (QListWidget **list : {&lstClave, &lstFraccion, &lstPais, &lstPaisAux}) {
        *list = new QListWidget(parent);
        (*list)->hide();
    }
    lstClave->setObjectName(QStringLiteral("lstClave"));
    lstFraccion->setObjectName(QStringLiteral("lstFraccion"));
    lstPais->setObjectName(QStringLiteral("lstPais"));
    lstPaisAux->setObjectName(QStringLiteral("lstPaisAux"));
}

BoundGrid *FrmQuelvar::makeGrid(const QString &name, QWidget *parent)
{
    const GridDefinition *def = GridColumns::grid(name);
    Q_ASSERT_X(def, "makeGrid", qPrintable(name));
    auto *grid = new BoundGrid(def->columns, links_->link(def->linkName), parent);
    grid->setObjectName(name);
    return grid;
}
