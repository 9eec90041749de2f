#include "column_help.h"

namespace ColumnHelp {

int columnLeftOf(const QList<ColumnSpan> &columns, int x)
{
    if (columns.isEmpty())
        return -1;
    const int last = int(columns.size()) - 1;
    int found = last;
    for (int i = 0; i <= last; ++i)
        if (columns[i].visible && columns[i].left < x && x < columns[last].left)
            found = i;
    return found;
}

int columnAround(const QList<ColumnSpan> &columns, int x)
{
    if (columns.isEmpty())
        return -1;
    int found = int(columns.size()) - 1;
    for (int i = 0; i < columns.size(); ++i) {
        const ColumnSpan &c = columns[i];
        if (c.visible && c.left > 0 && c.left < x && x < c.left + c.width)
            found = i;
    }
    return found;
}

} // namespace ColumnHelp
