#include "control/ListPlacement.h"

#include "core/Error.h"

#include <QString>

#include <cmath>

namespace tabulon {

namespace {

constexpr int kDivisionByZero = 11;
// Fewer rows than this below the current row, and the list may pop up instead.
constexpr double kRowsToDropDown = 6;

} // namespace

ListPlacement PlaceDropDownList(const ListRoom &room, int itemCount)
{
    if (room.rowHeight == 0)
        throw platform::Error(kDivisionByZero, QStringLiteral("ctlAttributes"),
                              QStringLiteral("Division by zero"));
    const double rowsBelow = std::floor((room.gridHeight - room.rowTop) / room.rowHeight);
    const double rowsAbove = std::floor((room.rowTop + room.rowHeight) / room.rowHeight);

    ListPlacement place;
    place.left = room.columnLeft;
    place.width = room.columnWidth;
    place.direction = rowsBelow < kRowsToDropDown && rowsBelow <= rowsAbove
                          ? ListDirection::PopsUp
                          : ListDirection::DropsDown;
    const double usableRows = place.direction == ListDirection::PopsUp ? rowsAbove : rowsBelow;
    // The count plus one in double: no overflow for the largest count.
    const double items = itemCount;
    place.height = (items <= usableRows ? items + 1 : usableRows) * room.rowHeight;
    // Both edges in the control's coordinates: the grid's top plus the row's place in it.
    place.top = place.direction == ListDirection::DropsDown
                    ? room.gridTop + room.rowTop
                    : room.gridTop + room.rowTop + room.rowHeight - place.height;
    return place;
}

} // namespace tabulon
