#pragma once

#include "../core/AttributeSource.h"
#include "Export.h"

#include <QString>

namespace tessel {

using tabulon::UnitCode;

// The unit codes shared with the control. 14 and 15 are never used; 16 means no unit.
enum : UnitCode {
    Millimetre = 0,
    Metre = 1,
    Inch = 2,
    Foot = 3,
    Celsius = 4,
    Fahrenheit = 5,
    Kelvin = 6,
    Hour = 7,
    Minute = 8,
    Second = 9,
    Gram = 10,
    Kilogram = 11,
    Ounce = 12,
    Pound = 13,
    NoUnit = 16,
};

// What a unit measures. Two codes convert into each other exactly when they measure the same
// quantity and it is not Quantity::None.
enum class Quantity { None, Length, Temperature, Time, Mass };

// The code of a unit name, compared exactly (no trimming, no case folding): "mm", "m", "in",
// "inch" or a double quote, "ft" or an apostrophe, "C", "F", "K", "hr", "min", "s", "g", "kg",
// "oz", "lb". Anything else, the empty text and the row kinds "FILE", "FOLDER", "BYF"
// included, gives NoUnit.
TESSEL_EXPORT UnitCode unitCode(const QString &name);

// The usual name of a unit ("mm", "in", "ft", ...); empty for NoUnit and unknown codes.
TESSEL_EXPORT QString unitName(UnitCode code);

// The quantity a code measures; Quantity::None for NoUnit and unknown codes.
TESSEL_EXPORT Quantity quantity(UnitCode code);

// True when a value converts from one code to the other.
TESSEL_EXPORT bool isConvertible(UnitCode from, UnitCode to);

// How a message names a unit: the quoted name ("\"mm\""), "no unit" for NoUnit, or "unit
// code 99" for a code that means nothing.
TESSEL_EXPORT QString unitDescription(UnitCode code);

// A value given in `from` expressed in `to`. Throws platform::Error (tessel::UnitMismatch) when
// the two do not measure the same quantity. Converting to the same code returns the value
// unchanged.
TESSEL_EXPORT double convert(double value, UnitCode from, UnitCode to);

} // namespace tessel
