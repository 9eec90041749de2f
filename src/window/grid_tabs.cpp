// The grid tabs of the request window: unit costs, imported goods, direct
// and indirect exports and the TLCAN imports, each with its totals.
#include "frm_quelvar.h"

#include "field_edit.h"
#include "rules/request_fields.h"
#include "layout_helpers.h"
#include "grids/bound_grid.h"
#include "grids/record_table_model.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Layout;

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
    column->addWidget(makeTotals(page, QStringLiteral("txtTED"),
                                 {QStringLiteral("lblTED(0)"), QStringLiteral("lblTED(1)"), QStringLiteral("lblTED(2)"),
                                  QStringLiteral("lblTED(3)")},
                                 {QStringLiteral("Cantidad Total"), QStringLiteral("Cantidad Exportada"),
                                  QStringLiteral("Valor Total Pedimento dls."), QStringLiteral("Valor Utilzado dls.")}));

    auto *options = new QHBoxLayout;
    options->addWidget(checkBox(QStringLiteral("chkApendice8"), page));
    QLabel *pctCaption = captionOf(QStringLiteral("txtPorcentaje"), page);
    FieldEdit *pct = makeField(QStringLiteral("txtPorcentaje"), page);
    pctCaption->setBuddy(pct);
    options->addWidget(pctCaption);
    options->addWidget(pct);
    options->addWidget(checkBox(QStringLiteral("chkReporte"), page));
    options->addStretch();
    column->addLayout(options);
    return page;
}

QWidget *FrmQuelvar::buildIndirectExportTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column = gridPage(page, title(QStringLiteral("LblEI"), QStringLiteral("EXPORTACIÓN INDIRECTA"), page));
    column->addWidget(makeGrid(QStringLiteral("dbEI"), page), 1);
    column->addWidget(makeTotals(page, QStringLiteral("txtTEI"),
                                 {QStringLiteral("lblTEI(0)"), QStringLiteral("lblTEI(1)"), QStringLiteral("LblTD"),
                                  QStringLiteral("LblUD")},
                                 {QStringLiteral("Cantidad Total"), QStringLiteral("Cantidad Utilizada"),
                                  QStringLiteral("Valor Total Documento"), QStringLiteral("Valor Utilzado Documento")}));
    auto *options = new QHBoxLayout;
    for (const QString &name : {QStringLiteral("chkAnexoB"), QStringLiteral("chkAnexoC")})
        options->addWidget(checkBox(name, page));
    options->addStretch();
    column->addLayout(options);
    return page;
}

QWidget *FrmQuelvar::buildTlcanTab()
{
    auto *page = new QWidget;
    QVBoxLayout *column = gridPage(page, title(QStringLiteral("lblTLCAN"), QStringLiteral("IMPORTACIONES TLCAN"), page));
    column->addWidget(makeGrid(QStringLiteral("dbITLC"), page), 1);
    auto *row = new QHBoxLayout;
    row->addWidget(makeTotals(page, QStringLiteral("txtTLCAN"),
                              {QStringLiteral("lblTLCAN(0)"), QStringLiteral("lblTLCAN(1)")},
                              {QStringLiteral("Valor Total Mercancía"), QStringLiteral("Monto a devolver")}));
    row->addStretch();
    column->addLayout(row);
    return page;
}

QWidget *FrmQuelvar::makeTotals(QWidget *page, const QString &array, const QStringList &labels,
                                const QStringList &captions)
{
    QList<QPair<QLabel *, QWidget *>> items;
    for (int i = 0; i < labels.size(); ++i)
        items.append({label(labels[i], captions[i], page), makeTotal(QStringLiteral("%1(%2)").arg(array).arg(i), page)});
    return totalsRow(page, items);
}
