#pragma once

#include "grid_controller.h"

#include <QString>

// The grids with cells of their own rules. The indirect exports (dbEI) and
// the TLCAN imports (dbITLC) follow their table alone (GridController).

// dbCU: the tariff item has exactly 8 characters; a unit cost over 12 is
// refused and emptied.
class UnitCostGrid : public GridController {
    Q_OBJECT
public:
    using GridController::GridController;

protected:
    bool leaveSpecialCell(int column) override;
};

// dbMI: the document key "V1" is emptied; the pedimento has 15 digits; an
// empty payment date becomes today; the tariff item is confirmed as in its
// list; the total value rechecks the returned quantity beside it. The
// tariff item picked is remembered, and its cost goes into the row that
// carries it when the row is written.
class ImportGrid : public GridController {
    Q_OBJECT
public:
    using GridController::GridController;

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
    QString rememberedFraction_;
};

// dbED: the pedimento has 15 digits.
class DirectExportGrid : public GridController {
    Q_OBJECT
public:
    using GridController::GridController;

protected:
    bool leaveSpecialCell(int column) override;
};
