#pragma once

#include "../core/Units.h"
#include "Export.h"

#include <QString>

namespace tessel {

using tabulon::UnitCode;

// What a unit measures. Two codes convert into each other exactly when they measure the same
// quantity and it is not Quantity::None.
enum class Quantity { None, Length, Temperature, Time, Mass };

// The code of a unit name, compared exactly (no trimming, no case folding): a name of
// tabulon::unitName(), "inch" or a double quote for the inch, an apostrophe for the foot.
// Anything else, the empty text and the row kinds "FILE", "FOLDER", "BYF" included, gives
// tabulon::kNoUnit.
TESSEL_EXPORT UnitCode unitCode(const QString &name);

// The quantity a code measures; Quantity::None for kNoUnit and unknown codes.
TESSEL_EXPORT Quantity quantity(UnitCode code);

// True when a value converts from one code to the other.
TESSEL_EXPORT bool isConvertible(UnitCode from, UnitCode to);

// How a message names a unit: the quoted name ("\"mm\""), "no unit" for kNoUnit, or "unit
// code 99" for a code that means nothing.
TESSEL_EXPORT QString unitDescription(UnitCode code);

// A value given in `from` expressed in `to`. Throws platform::Error (tessel::UnitMismatch) when
// the two do not measure the same quantity. Converting to the same code returns the value
// unchanged.
TESSEL_EXPORT double convert(double value, UnitCode from, UnitCode to);

} // namespace tessel
