#pragma once

#include <QList>
#include <QString>

// One column of a document grid: its caption, the field of the grid's table
// it shows (matched in any case), the help text shown for it, the display
// format it starts with (see NumberFormat) and the widest text it shows
// legitimately, which sizes it (a longer text is shown in part, and whole in
// the cell's tool-tip).
struct GridColumn {
    QString caption;
    QString field;
    QString help;
    QString format;
    QString widest;
};

// One of the five document grids of the request window: its name, the data
// link it is bound to, and its columns in grid order (which is not always the
// field order of the table).
struct GridDefinition {
    QString name;     // dbCU, dbMI, dbED, dbEI, dbITLC
    QString linkName; // dtsInsunit, dtsInsupedi, dtsExporped, dtsFactura, dtsImpTLC
    QList<GridColumn> columns;
};

namespace GridColumns {

// The five grids, in the order of their tabs.
const QList<GridDefinition> &grids();
// The grid of that name (exact spelling), or nullptr.
const GridDefinition *grid(const QString &name);

} // namespace GridColumns
