#include "control/ListPlacement.h"

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

#include <utility>

namespace tabulon {
namespace {

TEST(PlaceDropDownList, DirectionHeightAndTop)
{
    constexpr double h = 240;
    constexpr auto down = ListDirection::DropsDown, up = ListDirection::PopsUp;
    const struct
    {
        const char *name;
        double rowTop, gridHeight; // rows below: (gridHeight - rowTop) / h; above: rowTop / h + 1
        int items;
        ListDirection direction;
        double rows, top; // height in row heights; top in row heights below the grid's top
    } cases[] = {
        {"10 below, 3 items: items + 1 high", 0, 10 * h, 3, down, 4, 0},
        {"10 below, 10 items fit", 0, 10 * h, 10, down, 11, 0},
        {"10 below, 11 items: as high as the room", 0, 10 * h, 11, down, 10, 0},
        {"6 below: drops down", 20 * h, 26 * h, 30, down, 6, 20},
        {"5.5 below, 5 above: a part row does not count", 4 * h, 9.5 * h, 20, up, 5, 0},
        {"2 below, 8 above, 20 items: pops up", 7 * h, 9 * h, 20, up, 8, 0},
        {"2 below, 8 above, 3 items: bottom on the row's", 7 * h, 9 * h, 3, up, 4, 4},
        {"3 below, 3 above: pops up", 2 * h, 5 * h, 20, up, 3, 0},
        {"4 below, 3 above: drops down", 2 * h, 6 * h, 20, down, 4, 2},
        {"row top between rows: 2 below, 2 above", 1.5 * h, 3.5 * h, 9, up, 2, 0.5},
    };
    for (const auto &c : cases) {
        const ListPlacement p = PlaceDropDownList({h, c.rowTop, 100, c.gridHeight, 7, 9}, c.items);
        EXPECT_EQ(p.direction, c.direction) << c.name;
        EXPECT_DOUBLE_EQ(p.height, c.rows * h) << c.name;
        EXPECT_DOUBLE_EQ(p.top, 100 + c.top * h) << c.name;
        EXPECT_EQ(std::pair(p.left, p.width), std::pair(7.0, 9.0)) << c.name;
    }
    const auto rowHeightZero = [] { PlaceDropDownList({0, 0, 0, 2400, 0, 0}, 3); };
    EXPECT_EQ(test::errorOf(rowHeightZero), "11: Division by zero");
}

} // namespace
} // namespace tabulon
