#pragma once

#include <QString>

#include <optional>

// What the header's choices make of the request window: which tabs, grid
// columns, totals and boxes are shown, which imported-goods columns are
// locked, the captions that change with them, and the two mode values the
// rest of the program reads: the refund option (1 to 5) and the totalling
// mode of the imported goods (0 to 4).
//
// The window reacts to a selection by asking `decide` and applying what it
// returns; an empty optional leaves that part of the window as it is.
namespace RequestMode {

// The header's choices, as positions of their lists (-1: none chosen).
struct Choices {
    bool direct = false;  // "Directa" chosen; otherwise the window is a transfer's
    int refundType = -1;  // "Mercancias Transformadas", "Retorno en el mismo estado", "Reparación"
    int exportType = -1;  // "Originarios", "No Originarios / Mezcla", "Terceros Países";
                          // or "Const. Transf. Mercancia", "Pedimento Virtual"
};

// The items that change with transformed goods against goods returned or
// repaired.
struct Goods {
    bool transformed = false;
    QString unitCostTab;  // the caption of tab 4
    QString goodsTitle;   // lblMTRME(1)
    QString valueCaption; // the imported goods' total value column
    QString amountCaption; // the imported goods' amount column
    // lblMTRME(0): the tab's caption and " de Importación.", in capitals.
    QString unitCostTitle() const;
};

struct Mode {
    std::optional<quint8> opcDT;
    std::optional<quint8> mDev;

    // Masks of "1" (shown, or locked) and "0", character i for item i.
    std::optional<QString> tabs; // the tabs shown fill one row
    std::optional<QString> unitCostColumns;
    std::optional<QString> importColumns;
    std::optional<QString> importLocks;

    std::optional<Goods> goods;
    std::optional<bool> exportTypeEnabled;
    bool exportTypeCleared = false; // the export type loses its selection
    std::optional<QString> exportTypeTip;

    QString originLabel; // lblTE
    std::optional<QString> totalLabel; // lblTO
    bool nonOriginatingShown = false; // lblTNO, txtTNO
    // chkApendice8, chkReporte and the percentage; chkAnexoB, chkAnexoC.
    bool appendixShown = false;
    std::optional<bool> annexesShown;

    QString directTab;        // caption of tab 6
    QString indirectTab;      // caption of tab 7
    QString directTitle;      // lblED
    std::optional<QString> indirectTitle; // LblEI
    // Heights of the export grids, in twips.
    int directGridHeight = 0;
    std::optional<int> indirectGridHeight;
};

// What a selection of the request type, the refund type or the export type
// makes of the window.
Mode decide(const Choices &choices);

// The items of tab 4 and the imported goods for transformed goods (true) or
// goods returned or repaired (false).
Goods goods(bool transformed);

// The totalling mode a transfer of transformed goods takes from its boxes:
// with Appendix 8 ticked 2, clear 3; from the annexes, 2 with Annex B,
// 3 with Annex C (C decides when both are ticked), 4 with neither.
quint8 appendixMDev(bool appendixTicked);
quint8 annexMDev(bool annexB, bool annexC);

// Number of tabs a tab mask shows.
int tabsShown(const QString &mask);

} // namespace RequestMode
