#include "control/NextRow.h"

#include <algorithm>

namespace tabulon {

RowStep NextRowOnTabOrEnter(const GridRows &rows)
{
    // A grid may count blank room below the last row as visible; those rows cannot be current.
    const int shown = std::min(rows.visibleRows, rows.rowCount - rows.firstVisibleRow);
    RowStep step;
    if (shown <= 0) return step;
    // A current row outside the visible rows has no position among them, as when there is none.
    const int current = rows.currentRow >= 0 && rows.currentRow < shown ? rows.currentRow : -1;
    step.row = current < shown - 1 ? current + 1 : 0;
    step.tableRow = rows.firstVisibleRow + step.row;
    return step;
}

RowStep NextRowOnGotoNextRow(const GridRows &rows)
{
    RowStep step = NextRowOnTabOrEnter(rows);
    step.makeVisible = step.row >= 0;
    return step;
}

} // namespace tabulon
