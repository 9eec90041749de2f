#pragma once

#include <QList>

// Which column of a grid the pointer is over, for the help shown as the
// grid's tool-tip. Columns are given in grid order with their left edge and
// width in the grid's coordinates.
struct ColumnSpan {
    int left = 0;
    int width = 0;
    bool visible = true;
};

namespace ColumnHelp {

// The unit-cost grid's rule: the last column by default; among the visible
// columns whose left edge lies left of the pointer, the last one, as long as
// the pointer is left of the last column's left edge.
int columnLeftOf(const QList<ColumnSpan> &columns, int x);

// The other grids' rule: the last column by default; otherwise the last
// visible column whose left edge is greater than 0 and whose span holds the
// pointer strictly inside.
int columnAround(const QList<ColumnSpan> &columns, int x);

} // namespace ColumnHelp
