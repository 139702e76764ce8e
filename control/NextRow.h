#pragma once

#include "core/Export.h"

namespace tabulon {

/// The grid's rows as the row stepping sees them.
struct GridRows
{
    int currentRow = -1;     // counted from the first visible row; -1: none
    int visibleRows = 0;     // rows shown at once, a partly shown one included
    int firstVisibleRow = 0; // table row shown at the top
    int rowCount = 0;        // rows of the table
};

/// Where a step to the next row goes.
struct RowStep
{
    int row = -1;             // the new current row, counted from the first visible row; -1: none
    int tableRow = -1;        // the same row in the table; -1: none
    bool makeVisible = false; // the grid then scrolls the current cell into view if needed
};

/// Tab or Enter in the grid: the row below the current one among the visible rows, or the top
/// visible row after the last one. A current row outside the visible rows (none, above or
/// below them) also goes to the top visible row, never to a row outside the view. Only rows of
/// the table count as visible. With no visible row there is no step. The column stays and
/// nothing is scrolled.
TABULON_AUTOTEST_EXPORT RowStep NextRowOnTabOrEnter(const GridRows &rows);

/// GotoNextRow: the same row as NextRowOnTabOrEnter(); then the current cell is made visible,
/// which scrolls only when the new row is a partly shown one at the bottom.
TABULON_AUTOTEST_EXPORT RowStep NextRowOnGotoNextRow(const GridRows &rows);

} // namespace tabulon
