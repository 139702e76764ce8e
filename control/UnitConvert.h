#pragma once

#include "core/AttributeSource.h"
#include "core/Export.h"

#include <QString>

namespace tabulon {

/// The code of "no unit": what an unknown name maps to and what an attribute without a unit
/// reports as its units code.
constexpr UnitCode kNoUnit = 16;

/// The unit code for a unit name, by exact, case-sensitive comparison of the whole text
/// ("mm" 0, "m" 1, "inch"/"in"/`"` 2, "ft"/`'` 3, "C" 4, "F" 5, "K" 6, "hr" 7, "min" 8, "s" 9,
/// "g" 10, "kg" 11, "oz" 12, "lb" 13); kNoUnit for anything else. Codes 14 and 15 never come
/// back.
TABULON_EXPORT UnitCode UnitCodeFromName(const QString &name);

} // namespace tabulon
