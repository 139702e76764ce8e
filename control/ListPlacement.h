#pragma once

#include "core/Export.h"

namespace tabulon {

/// Where the drop-down list of a value cell may go, in twips in the control's coordinates.
struct ListRoom
{
    double rowHeight = 0;   // the grid's row height
    double rowTop = 0;      // top of the current row within the grid
    double gridTop = 0;     // top of the grid within the control
    double gridHeight = 0;  // height of the grid
    double columnLeft = 0;  // left edge of the value column
    double columnWidth = 0; // width of the value column
};

enum class ListDirection { DropsDown, PopsUp };

/// The drop-down list's place, in twips in the control's coordinates.
struct ListPlacement
{
    ListDirection direction = ListDirection::DropsDown;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

/// Places a list of `itemCount` items over the value column of the current row.
/// Rows below = floor((gridHeight - rowTop) / rowHeight), rows above =
/// floor((rowTop + rowHeight) / rowHeight). With 6 or more rows below the list drops down into
/// them; with fewer, it pops up into the rows above unless there are more rows below than
/// above. It is (itemCount + 1) row heights high when the items fit into the usable rows, else
/// as high as those rows. Dropping down, its top is the current row's top; popping up, its
/// bottom is the current row's bottom. It is as wide as the value column and starts at its left
/// edge. A row height of 0 raises "Division by zero" (number 11).
TABULON_AUTOTEST_EXPORT ListPlacement PlaceDropDownList(const ListRoom &room, int itemCount);

} // namespace tabulon
