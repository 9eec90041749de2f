// The form tabs of the request window: address, general data, exported
// goods and the cost structure.
#include "frm_quelvar.h"

#include "field_edit.h"
#include "rules/request_fields.h"
#include "layout_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Layout;

QWidget *FrmQuelvar::buildAddressTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    int row = 0;
    for (const RequestFields::Control &s : RequestFields::textFieldsOfTab(0)) {
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
    for (const RequestFields::Control &s : RequestFields::textFieldsOfTab(1)) {
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
    for (const RequestFields::Control &s : RequestFields::textFieldsOfTab(2)) {
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
    // The three columns of figures line up, one width for every box.
    const int width = widthFor(page, 18);
    for (int row = 2; row <= r; ++row)
        for (int c = 1; c < 4; ++c)
            if (QWidget *box = grid->itemAtPosition(row, c) ? grid->itemAtPosition(row, c)->widget() : nullptr)
                box->setFixedWidth(width);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(r + 1, 1);
    return page;
}
