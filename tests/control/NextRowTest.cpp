#include "control/NextRow.h"

#include <gtest/gtest.h>

#include <utility>

namespace tabulon {
namespace {

TEST(NextRow, StepsWithinTheVisibleRowsAndWrapsToTheTopOne)
{
    const struct
    {
        const char *name;
        GridRows rows; // current (from the first visible), visible, first visible, row count
        int row, tableRow;
    } cases[] = {
        {"Tab on row 0 of 5 visible", {0, 5, 0, 20}, 1, 1},
        {"last visible row wraps", {4, 5, 0, 20}, 0, 0},
        {"scrolled: next to last goes to the last", {3, 5, 10, 20}, 4, 14},
        {"scrolled: wraps to the top visible row", {4, 5, 10, 20}, 0, 10},
        {"no current row", {-1, 5, 10, 20}, 0, 10},
        {"current row above the view", {-3, 5, 10, 20}, 0, 10},
        {"current row below the view", {7, 5, 10, 20}, 0, 10},
        {"last table row with room below wraps", {1, 10, 18, 20}, 0, 18},
        {"empty table: no step", {-1, 5, 0, 0}, -1, -1},
    };
    for (const auto &c : cases) {
        const RowStep key = NextRowOnTabOrEnter(c.rows), call = NextRowOnGotoNextRow(c.rows);
        EXPECT_EQ(std::pair(key.row, key.tableRow), std::pair(c.row, c.tableRow)) << c.name;
        EXPECT_EQ(std::pair(call.row, call.tableRow), std::pair(c.row, c.tableRow)) << c.name;
        // Only GotoNextRow brings the new current cell into view.
        EXPECT_FALSE(key.makeVisible) << c.name;
        EXPECT_EQ(call.makeVisible, c.row >= 0) << c.name;
    }
}

} // namespace
} // namespace tabulon
