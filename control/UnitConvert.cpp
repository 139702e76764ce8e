#include "control/UnitConvert.h"

#include <array>
#include <utility>

namespace tabulon {

UnitCode UnitCodeFromName(const QString &name)
{
    // Checked in this order, whole text against whole text; no trimming, no case folding.
    static constexpr std::array<std::pair<const char16_t *, UnitCode>, 17> names{{
        {u"mm", 0},
        {u"m", 1},
        {u"inch", 2},
        {u"in", 2},
        {u"\"", 2},
        {u"ft", 3},
        {u"'", 3},
        {u"kg", 11},
        {u"g", 10},
        {u"lb", 13},
        {u"oz", 12},
        {u"hr", 7},
        {u"min", 8},
        {u"s", 9},
        {u"C", 4},
        {u"F", 5},
        {u"K", 6},
    }};
    for (const auto &[text, code] : names)
        if (name == QStringView(text)) return code;
    return kNoUnit;
}

} // namespace tabulon
