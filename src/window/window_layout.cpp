// Builds the request window: the header, the nine tabs, the command bar and
// the picker lists, with every control named as the rest of the program
// finds it.
#include "frm_quelvar.h"

#include "field_edit.h"
#include "field_specs.h"
#include "grids/bound_grid.h"
#include "grids/grid_columns.h"
#include "grids/record_table_model.h"
#include "store/request_links.h"
#include "window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel *label(const QString &name, const QString &caption, QWidget *parent)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QLabel *title(const QString &name, const QString &caption, QWidget *parent)
{
    QLabel *l = label(name, caption, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QComboBox *combo(const QString &name, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(12);
    return c;
}

// Width of a text box for a typing limit, in average characters.
int widthFor(const QWidget *w, int limit)
{
    const int chars = std::clamp(limit, 4, 40);
    return w->fontMetrics().averageCharWidth() * (chars + 3);
}

// A caption in front of its field, both in a row of a grid layout.
void addRow(QGridLayout *grid, int row, QLabel *caption, QWidget *field, int column = 0)
{
    caption->setBuddy(field);
    grid->addWidget(caption, row, column, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, column + 1, Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

FieldEdit *FrmQuelvar::makeField(const QString &name, QWidget *parent)
{
    for (const TextFieldSpec &s : textFieldSpecs()) {
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

// A text field with its caption from the field table.
static QLabel *captionOf(const QString &field, QWidget *parent)
{
    for (const TextFieldSpec &s : textFieldSpecs())
        if (s.name == field)
            return label(s.label, s.caption, parent);
    return label(QStringLiteral("lbl") + field, field, parent);
}

void FrmQuelvar::buildWindow()
{
    setObjectName(QStringLiteral("frmQuelvar"));
    setWindowTitle(WindowTexts::caption());

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

QWidget *FrmQuelvar::buildAddressTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    int row = 0;
    for (const TextFieldSpec &s : textFieldsOfTab(0)) {
        if (s.name == QLatin1String("txtDelegacion")) {
            cmbEdo = combo(QStringLiteral("cmbEdo"), page);
            cmbEdo->setMinimumContentsLength(24);
            addRow(grid, row++, label(QStringLiteral("lblEdo"), QStringLiteral("Estado :"), page), cmbEdo);
        }
        addRow(grid, row++, captionOf(s.name, page), makeField(s.name, page));
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget *FrmQuelvar::buildGeneralTab()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);

    auto *activity = new QHBoxLayout;
    cmbActFiscal = combo(QStringLiteral("cmbActFiscal"), page);
    cmbActFiscal->setMinimumContentsLength(40);
    QLabel *activityCaption = label(QStringLiteral("lblActFiscal"), QStringLiteral("Actividad principal :"), page);
    activityCaption->setBuddy(cmbActFiscal);
    activity->addWidget(activityCaption);
    activity->addWidget(cmbActFiscal, 1);
    column->addLayout(activity);

    auto *representative = new QGroupBox(QStringLiteral("REPRESENTANTE LEGAL"), page);
    representative->setObjectName(QStringLiteral("fraRepLegal"));
    auto *repGrid = new QGridLayout(representative);
    auto *bank = new QGroupBox(QStringLiteral("CUENTA BANCARIA"), page);
    bank->setObjectName(QStringLiteral("fraCuenta"));
    auto *bankGrid = new QGridLayout(bank);
    cmbBanco = combo(QStringLiteral("cmbBanco"), bank);
    cmbBanco->setMinimumContentsLength(30);
    int repRow = 0;
    int bankRow = 0;
    addRow(bankGrid, bankRow++, label(QStringLiteral("lblBanco"), QStringLiteral("Banco"), bank), cmbBanco);
    for (const TextFieldSpec &s : textFieldsOfTab(1)) {
        const bool isBank = s.field == QLatin1String("CUENTA") || s.field == QLatin1String("SUCURSAL")
                            || s.field == QLatin1String("PLAZA");
        if (isBank)
            addRow(bankGrid, bankRow++, captionOf(s.name, bank), makeField(s.name, bank));
        else
            addRow(repGrid, repRow++, captionOf(s.name, representative), makeField(s.name, representative));
    }
    repGrid->setColumnStretch(1, 1);
    bankGrid->setColumnStretch(1, 1);
    auto *frames = new QHBoxLayout;
    frames->addWidget(representative, 3);
    frames->addWidget(bank, 2, Qt::AlignTop);
    column->addLayout(frames);
    column->addStretch();
    return page;
}

QWidget *FrmQuelvar::buildGoodsTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    int row = 0;
    for (const TextFieldSpec &s : textFieldsOfTab(2)) {
        if (s.name == QLatin1String("txtDevS")) {
            cmbUM = combo(QStringLiteral("cmbUM"), page);
            addRow(grid, row++, label(QStringLiteral("lblUM"), QStringLiteral("Unidad de medida : "), page), cmbUM);
        }
        FieldEdit *f = makeField(s.name, page);
        if (s.name == QLatin1String("txtDevS"))
            f->setReadOnly(true);
        addRow(grid, row++, captionOf(s.name, page), f);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget *FrmQuelvar::buildCostTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->addWidget(title(QStringLiteral("lblEstCostos"),
                          QStringLiteral("ESTRUCTURA DE COSTOS DE LA MERCANCÍA DE EXPORTACIÓN"), page),
                    0, 0, 1, 4);
    const QStringList headings{QStringLiteral("Conceptos"), QStringLiteral("Nacional"), QStringLiteral("Importado"),
                               QStringLiteral("Total")};
    const QStringList headingNames{QStringLiteral("lblConceptos"), QStringLiteral("lblNacional"),
                                   QStringLiteral("lblImportado"), QStringLiteral("lblTotal")};
    for (int c = 0; c < 4; ++c) {
        QLabel *h = title(headingNames[c], headings[c], page);
        if (c == 2)
            h->setToolTip(QStringLiteral("Calcular tomando como base el valor de las últimas facturas a 5 decimales"));
        grid->addWidget(h, 1, c);
    }

    struct CostRow {
        const char *caption;
        const char *national;
        const char *imported; // a bound field, or the name of an empty box
        const char *total;
        bool importedBound;
    };
    const CostRow rows[] = {
        {"Materias primas, partes y componentes, empaques y envases FOB", "txtMPN", "txtMPE", "txtMPT", true},
        {"Combustibles, lubricantes y otros materiales incorporados al producto exportado", "txtCIN", "txtCIE",
         "txtCIT", true},
        {"Combustibles y otros materiales auxiliares no incorporados (FOB)", "txtCNIN", "Text4", "txtCNIT", false},
        {"Energía directamente utilizada", "txtEN", "Text5", "txtET", false},
        {"Salarios y demás prestaciones de los obreros", "txtSN", "Text6", "txtST", false},
        {"Dep. de maq. y eq., asi como amortización de construcciones e instalaciones", "txtDN", "Text7", "txtDT",
         false},
    };
    int r = 2;
    int n = 0;
    for (const CostRow &row : rows) {
        QLabel *cap = label(QStringLiteral("lblCosto(%1)").arg(n++), QString::fromUtf8(row.caption), page);
        cap->setWordWrap(true);
        grid->addWidget(cap, r, 0);
        grid->addWidget(makeField(QString::fromUtf8(row.national), page), r, 1);
        if (row.importedBound) {
            grid->addWidget(makeField(QString::fromUtf8(row.imported), page), r, 2);
        } else {
            FieldEdit *empty = makeTotal(QString::fromUtf8(row.imported), page);
            empty->setEnabled(false);
            grid->addWidget(empty, r, 2);
        }
        grid->addWidget(makeTotal(QString::fromUtf8(row.total), page), r, 3);
        ++r;
    }
    QLabel *totalCaption = label(QStringLiteral("lblCosto(6)"), QStringLiteral("Costo Total directo de producción"), page);
    QFont bold = totalCaption->font();
    bold.setBold(true);
    totalCaption->setFont(bold);
    grid->addWidget(totalCaption, r, 0);
    grid->addWidget(makeTotal(QStringLiteral("txtTN"), page), r, 1);
    grid->addWidget(makeTotal(QStringLiteral("txtTE"), page), r, 2);
    grid->addWidget(makeTotal(QStringLiteral("txtTT"), page), r, 3);
    grid->setColumnStretch(0, 3);
    for (int c = 1; c < 4; ++c)
        grid->setColumnStretch(c, 1);
    grid->setRowStretch(r + 1, 1);
    return page;
}

// A grid tab: its title, the grid, and below it whatever the tab adds.
static QVBoxLayout *gridPage(QWidget *page, QLabel *heading)
{
    auto *column = new QVBoxLayout(page);
    column->addWidget(heading);
    return column;
}

// Totals in a row, each under its caption.
static QWidget *totalsRow(QWidget *parent, const QList<QPair<QLabel *, QWidget *>> &items)
{
    auto *row = new QWidget(parent);
    auto *grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    int c = 0;
    for (const auto &[caption, field] : items) {
        caption->setBuddy(field);
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, 0, c);
        grid->addWidget(field, 1, c);
        ++c;
    }
    return row;
}

QWidget *FrmQuelvar::buildUnitCostTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column =
        gridPage(page, title(QStringLiteral("lblMTRME(0)"), QStringLiteral("COSTOS UNITARIOS DE INSUMOS DE IMPORTACIÓN"), page));
    column->addWidget(makeGrid(QStringLiteral("dbCU"), page), 1);

    auto *total = new QHBoxLayout;
    total->addStretch();
    total->addWidget(label(QStringLiteral("Label41"), QStringLiteral("TOTAL : "), page));
    QLabel *totalCaption = label(QStringLiteral("LblTCU"), QStringLiteral("Total Costos Unitarios"), page);
    total->addWidget(totalCaption);
    FieldEdit *tcu = makeTotal(QStringLiteral("txtTCU"), page);
    totalCaption->setBuddy(tcu);
    total->addWidget(tcu);
    column->addLayout(total);

    // The legend of the grid's row marks.
    auto *legend = new QGridLayout;
    legend->addWidget(label(QStringLiteral("lblMarcaEdicion"), RecordTableModel::editingMark(), page), 0, 0);
    legend->addWidget(label(QStringLiteral("Label2(2)"),
                            QStringLiteral("Indica que el renglón se está editando pero se actualizará hasta moverse "
                                           "con flecha abajo o arriba"),
                            page),
                      0, 1);
    legend->addWidget(label(QStringLiteral("lblMarcaNuevo"), RecordTableModel::newRecordMark(), page), 1, 0);
    legend->addWidget(label(QStringLiteral("Label44"), QStringLiteral("Indica el último registro"), page), 1, 1);
    legend->setColumnStretch(1, 1);
    column->addLayout(legend);
    return page;
}

QWidget *FrmQuelvar::buildImportsTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column =
        gridPage(page, title(QStringLiteral("lblMTRME(1)"), QStringLiteral("DATOS GENERALES DE LA IMPORTACIÓN"), page));
    column->addWidget(makeGrid(QStringLiteral("dbMI"), page), 1);
    auto *totals = new QGridLayout;
    QLabel *to = label(QStringLiteral("lblTO"), QStringLiteral("Total Originarios :             $"), page);
    QLabel *tno = label(QStringLiteral("lblTNO"), QStringLiteral("Total No Originarios :    $"), page);
    addRow(totals, 0, to, makeTotal(QStringLiteral("txtTO"), page));
    addRow(totals, 1, tno, makeTotal(QStringLiteral("txtTNO"), page));
    totals->setColumnStretch(2, 1);
    column->addLayout(totals);
    return page;
}

QWidget *FrmQuelvar::buildDirectExportTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column =
        gridPage(page, title(QStringLiteral("lblED"), QStringLiteral("DATOS GENERALES DE EXPORTACIÓN"), page));
    column->addWidget(makeGrid(QStringLiteral("dbED"), page), 1);
    const QStringList captions{QStringLiteral("Cantidad Total"), QStringLiteral("Cantidad Exportada"),
                               QStringLiteral("Valor Total Pedimento dls."), QStringLiteral("Valor Utilzado dls.")};
    QList<QPair<QLabel *, QWidget *>> items;
    for (int i = 0; i < 4; ++i)
        items.append({label(QStringLiteral("lblTED(%1)").arg(i), captions[i], page),
                      makeTotal(QStringLiteral("txtTED(%1)").arg(i), page)});
    column->addWidget(totalsRow(page, items));

    auto *options = new QHBoxLayout;
    for (const QString &name : {QStringLiteral("chkApendice8")}) {
        auto *chk = new QCheckBox(page);
        chk->setObjectName(name);
        options->addWidget(chk);
    }
    QLabel *pctCaption = captionOf(QStringLiteral("txtPorcentaje"), page);
    FieldEdit *pct = makeField(QStringLiteral("txtPorcentaje"), page);
    pctCaption->setBuddy(pct);
    options->addWidget(pctCaption);
    options->addWidget(pct);
    auto *report = new QCheckBox(page);
    report->setObjectName(QStringLiteral("chkReporte"));
    options->addWidget(report);
    options->addStretch();
    column->addLayout(options);
    return page;
}

QWidget *FrmQuelvar::buildIndirectExportTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column = gridPage(page, title(QStringLiteral("LblEI"), QStringLiteral("EXPORTACIÓN INDIRECTA"), page));
    column->addWidget(makeGrid(QStringLiteral("dbEI"), page), 1);
    const QStringList names{QStringLiteral("lblTEI(0)"), QStringLiteral("lblTEI(1)"), QStringLiteral("LblTD"),
                            QStringLiteral("LblUD")};
    const QStringList captions{QStringLiteral("Cantidad Total"), QStringLiteral("Cantidad Utilizada"),
                               QStringLiteral("Valor Total Documento"), QStringLiteral("Valor Utilzado Documento")};
    QList<QPair<QLabel *, QWidget *>> items;
    for (int i = 0; i < 4; ++i)
        items.append({label(names[i], captions[i], page), makeTotal(QStringLiteral("txtTEI(%1)").arg(i), page)});
    column->addWidget(totalsRow(page, items));
    auto *options = new QHBoxLayout;
    for (const QString &name : {QStringLiteral("chkAnexoB"), QStringLiteral("chkAnexoC")}) {
        auto *chk = new QCheckBox(page);
        chk->setObjectName(name);
        options->addWidget(chk);
    }
    options->addStretch();
    column->addLayout(options);
    return page;
}

QWidget *FrmQuelvar::buildTlcanTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column = gridPage(page, title(QStringLiteral("lblTLCAN"), QStringLiteral("IMPORTACIONES TLCAN"), page));
    column->addWidget(makeGrid(QStringLiteral("dbITLC"), page), 1);
    const QStringList captions{QStringLiteral("Valor Total Mercancía"), QStringLiteral("Monto a devolver")};
    QList<QPair<QLabel *, QWidget *>> items;
    for (int i = 0; i < 2; ++i)
        items.append({label(QStringLiteral("lblTLCAN(%1)").arg(i), captions[i], page),
                      makeTotal(QStringLiteral("txtTLCAN(%1)").arg(i), page)});
    auto *row = new QHBoxLayout;
    row->addWidget(totalsRow(page, items));
    row->addStretch();
    column->addLayout(row);
    return page;
}

QWidget *FrmQuelvar::buildCommandBar()
{
    auto *bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("fraComandos"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    const QStringList tips = WindowTexts::commandTips();
    const QStringList icons = WindowTexts::commandIcons();
    row->addStretch();
    for (int i = 1; i <= 8; ++i) {
        auto *button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("cmdAccion(%1)").arg(i));
        button->setToolTip(tips[i - 1]);
        button->setAccessibleName(tips[i - 1]);
        button->setIcon(QIcon(icons[i - 1]));
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { cmdAccion_Click(i); });
        row->addWidget(button);
    }
    row->addStretch();
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
