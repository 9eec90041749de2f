#include "request_mode.h"

namespace RequestMode {

namespace {

// Columns of the unit costs and the imported goods, and locks of the
// imported goods.
const QString kAllUnitCosts = QStringLiteral("1111");
const QString kNoUnitCost = QStringLiteral("1101");
const QString kImportsTransformed = QStringLiteral("111110100110011");
const QString kImportsReturned = QStringLiteral("111111111101111");
const QString kLocksTransformed = QStringLiteral("000010000000011");
const QString kLocksReturned = QStringLiteral("000010000001111");

const QString kTotal = QStringLiteral("Total :                          $");
const QString kTotalOriginating = QStringLiteral("Total Originarios :                          $");
const QString kTotalOriginatingMixed = QStringLiteral("Total Originarios :             $");

// Heights of the export grids, in twips: shorter when the transfer boxes
// stand below them.
constexpr int kGridWithBoxes = 1815;
constexpr int kGridAlone = 2205;

void transfer(const Choices &c, Mode &m)
{
    m.originLabel = QStringLiteral("Comp. de Exportación : ");
    m.exportTypeTip = QStringLiteral("Indica el documento que avala la exportación");
    m.exportTypeEnabled = true;
    m.directTab = QStringLiteral("Exp. Virtual");
    m.directTitle = QStringLiteral("Exportación Virtual").toUpper();
    m.indirectTab = QStringLiteral("Transferencia con constancia");
    m.indirectTitle = m.indirectTab.toUpper();

    const bool certificate = c.exportType == 0;
    const bool transformed = c.refundType == 0;
    m.goods = goods(transformed);
    m.unitCostColumns = transformed ? kAllUnitCosts : kNoUnitCost;
    m.importColumns = transformed ? kImportsTransformed : kImportsReturned;
    // The locks of the last direct request stay.
    if (transformed) {
        m.totalLabel = kTotalOriginating;
        m.mDev = certificate ? 4 : 3;
        m.tabs = certificate ? QStringLiteral("111111010") : QStringLiteral("111111100");
        m.opcDT = 4;
    } else {
        m.totalLabel = kTotal;
        m.mDev = 0;
        m.tabs = certificate ? QStringLiteral("111011010") : QStringLiteral("111011100");
        m.opcDT = 5;
    }
    m.nonOriginatingShown = transformed;
    m.appendixShown = transformed;
    m.annexesShown = transformed;
    m.directGridHeight = transformed ? kGridWithBoxes : kGridAlone;
    m.indirectGridHeight = m.directGridHeight;
}

void direct(const Choices &c, Mode &m)
{
    m.originLabel = QStringLiteral("Orígen de los Bienes : ");
    m.directGridHeight = kGridAlone;
    m.directTitle = QStringLiteral("DATOS GENERALES DE EXPORTACIÓN");
    m.directTab = QStringLiteral("Exp. Directa");
    m.indirectTab = QStringLiteral("Exp. Indirecta");

    switch (c.refundType) {
    case 0: {
        m.goods = goods(true);
        m.unitCostColumns = kAllUnitCosts;
        m.importColumns = kImportsTransformed;
        m.importLocks = kLocksTransformed;
        m.exportTypeEnabled = true;
        // Only the mixture of originating and other goods brings the TLCAN
        // imports.
        const bool mixed = c.exportType == 1;
        m.tabs = mixed ? QStringLiteral("111111101") : QStringLiteral("111111100");
        m.totalLabel = mixed ? kTotalOriginatingMixed : kTotal;
        m.nonOriginatingShown = mixed;
        m.mDev = mixed ? 2 : 1;
        m.opcDT = mixed ? 2 : 1;
        m.exportTypeTip =
            mixed ? QStringLiteral("Indica si los bienes de la solicitud son mezcla de originarios y no originarios")
            : c.exportType == 0 ? QStringLiteral("Indica si los bienes de la solicitud son originarios")
                                : QStringLiteral("Indica si los bienes de la solicitud son de terceros países");
        break;
    }
    case 1:
    case 2:
        m.goods = goods(false);
        m.unitCostColumns = kNoUnitCost;
        m.importColumns = kImportsReturned;
        m.importLocks = kLocksReturned;
        m.tabs = QStringLiteral("111011100");
        m.exportTypeEnabled = false;
        m.exportTypeCleared = true;
        m.mDev = 1;
        m.totalLabel = kTotal;
        m.opcDT = 3;
        break;
    default:
        // No refund type yet: the rest stays as it is.
        m.exportTypeEnabled.reset();
        break;
    }
}

} // namespace

QString Goods::unitCostTitle() const { return (unitCostTab + QStringLiteral(" de Importación.")).toUpper(); }

Goods goods(bool transformed)
{
    if (transformed)
        return {true, QStringLiteral("Costos Unitarios"), QStringLiteral("DATOS GENERALES DE LA IMPORTACIÓN"),
                QStringLiteral("Valor total de insumos importados M.N."),
                QStringLiteral("Monto de aranceles pagados M.N.")};
    return {false, QStringLiteral("Fracciones"), QStringLiteral("DATOS GENERALES DE LA MERCANCÍA IMPORTADA"),
            QStringLiteral("Valor total de las mercancías importadas M.N."), QStringLiteral("Monto a devolver")};
}

Mode decide(const Choices &choices)
{
    Mode m;
    if (choices.direct)
        direct(choices, m);
    else
        transfer(choices, m);
    return m;
}

quint8 appendixMDev(bool appendixTicked) { return appendixTicked ? 2 : 3; }

quint8 annexMDev(bool annexB, bool annexC) { return annexC ? 3 : annexB ? 2 : 4; }

int tabsShown(const QString &mask) { return int(mask.count(u'1')); }

} // namespace RequestMode
