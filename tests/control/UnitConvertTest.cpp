#include "control/UnitConvert.h"

#include <gtest/gtest.h>

#include <utility>

namespace tabulon {
namespace {

TEST(UnitCodeFromName, ExactNamesOnly)
{
    // The codes are numbers shared with the attribute objects, so they are spelled out here.
    const std::pair<const char *, UnitCode> cases[] = {
        // clang-format off
        {"mm", 0}, {"m", 1}, {"inch", 2}, {"in", 2}, {"\"", 2}, {"ft", 3}, {"'", 3}, {"C", 4},
        {"F", 5}, {"K", 6}, {"hr", 7}, {"min", 8}, {"s", 9}, {"g", 10}, {"kg", 11}, {"oz", 12},
        {"lb", 13},
        // Other case, padding, longer or shorter spellings and look-alike marks name no unit.
        {"", 16}, {"MM", 16}, {"c", 16}, {"Ft", 16}, {" m", 16}, {"mm ", 16}, {"inches", 16},
        {"lbs", 16}, {"\u201d", 16},
        // clang-format on
    };
    for (const auto &[name, code] : cases)
        EXPECT_EQ(UnitCodeFromName(QString::fromUtf8(name)), code) << '"' << name << '"';
}

} // namespace
} // namespace tabulon
