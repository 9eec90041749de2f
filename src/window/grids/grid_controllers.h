#pragma once

#include "grid_controller.h"

#include <QString>

// The grids with cells of their own rules. The indirect exports (dbEI) and
// the TLCAN imports (dbITLC) follow their table alone (GridController).

// dbCU: the tariff item has exactly 8 characters; a unit cost over 12 is
// refused and emptied, a valid one announced (the total shows 0 until the
// row is written).
class UnitCostGrid : public GridController {
    Q_OBJECT
public:
    using GridController::GridController;

signals:
    void unitCostAccepted();

protected:
    bool leaveSpecialCell(int column) override;
};

// dbMI: the document key "V1" is emptied; the pedimento has 15 digits; an
// empty payment date becomes today; the tariff item is confirmed as in its
// list; the returned quantity, the total value and the incorporated value
// derive the row's balances and amount (see rules/imported_goods.h), an
// incorporated value above the total value being refused. Only the keys of
// document numbers, dates and codes are typed. The tariff item picked is
// remembered, and its cost goes into the row that carries it when the row is
// written.
class ImportGrid : public GridController {
    Q_OBJECT
public:
    ImportGrid(BoundGrid *grid, const GridContext &context, QObject *parent = nullptr);

    bool takePick(GridCellRules::Picker kind, const QString &line) override;
    // Copies the cost of the tariff item last picked into the row being
    // written when it carries that item (and, with a payment date in a direct
    // request of transformed goods, into its unit cost as well).
    void completeFraction();
    const QString &rememberedFraction() const { return rememberedFraction_; }

protected:
    bool leaveSpecialCell(int column) override;
    void seekPickers() override;
    void beforeRowWrite(bool *cancel) override;

private:
    void deriveFromReturned();
    void checkIncorporated();

    QString rememberedFraction_;
};

// dbED, dbEI and dbITLC: after its checks, a used figure above its total is
// refused and emptied, a direct export's balance follows its used value, an
// indirect export's figure in one currency zeroes and locks the other's, a
// TLCAN import's total value follows its rate (rules/export_documents.h).
class DocumentGrid : public GridController {
    Q_OBJECT
public:
    using GridController::GridController;

signals:
    // The duties of a TLCAN import committed: its totals follow at once.
    void dutiesCommitted();

protected:
    void afterCellRules(int column) override;
};

// dbED: besides, the pedimento has 15 digits.
class DirectExportGrid : public DocumentGrid {
    Q_OBJECT
public:
    using DocumentGrid::DocumentGrid;

protected:
    bool leaveSpecialCell(int column) override;
};
