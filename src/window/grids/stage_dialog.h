#pragma once

#include "incoming/data_stage.h"
#include "incoming/folder_context.h"

#include <QSet>
#include <QStringList>

class BoundGrid;

// The small dialogs of rows that come in: the grid column each unknown name
// of a file's first line goes to, and the pedimentos of a customs package
// to bring. Both start from what the program proposes; under a scripted
// test they take it as it is, without showing.
namespace StageDialog {

// False when cancelled.
bool chooseColumns(BoundGrid *grid, const QStringList &names, IncomingRows::Mapping *mapping);

struct Choice {
    QSet<QString> pedimentos; // by number
    bool tariffUnit = true;   // quantities in the tariff's unit, or the commercial one
};
// The pedimentos found, those of *choice ticked, each with how many of its
// items the grid holds already (by number). False when cancelled.
bool choose(BoundGrid *grid, const QList<DataStage::Pedimento> &found, const QHash<QString, int> &held,
            Choice *choice);

} // namespace StageDialog
