#pragma once

#include "core/AttributeSource.h"
#include "core/Export.h"
#include "core/Variant.h"

#include <QString>

#include <cstdint>

namespace tabulon {

/// The units recognised after a typed real number, in the order they are tried: "m", "mm",
/// "ft", "in", the apostrophe, the double-quote mark, "kg" and "lb", joined by ";".
TABULON_AUTOTEST_EXPORT extern const QString kRecognisedUnits;

/// The number of decimals a real value is shown with in the unit of this code; 0 for codes
/// that name no unit (kNoUnit included).
TABULON_AUTOTEST_EXPORT int DecimalsForUnit(UnitCode code);

/// The value rounded for display: above 1 to `decimals` decimals, above 0.1 to one more, above
/// 0.01 to two more, all as a double; 0.01 and below (zero and negatives too) as a "Scientific"
/// text such as "5.00E-03" with the user's decimal separator. Rounding is half to even on the
/// value's 15-significant-digit decimal text, so 2.675 rounds as written, not as stored. NaN and
/// infinities come back unchanged as doubles. Raises the conversion errors of
/// Variant::toDouble() (null, non-numeric text).
TABULON_AUTOTEST_EXPORT platform::Variant RoundForDisplay(const platform::Variant &value, int decimals);

/// RoundForDisplay() with the decimals of the unit `code`.
TABULON_AUTOTEST_EXPORT platform::Variant FormatUnitValue(const platform::Variant &value, UnitCode code);

/// A value entered in the value cell, converted to its row's data type, and the unit it is in.
struct ParsedValue
{
    platform::Variant value;
    QString units;
};

/// The text typed into a value cell as a value of `dataType` and, for real rows, the unit named
/// after the number when it is one of kRecognisedUnits (spelled as listed), else
/// `displayUnits`. Null text is read as empty; a number for a real or integer row is taken as
/// it is, not read back from its text. Raises InvalidUseOfNull for a null
/// `displayUnits`, Overflow for an integer out of range and TypeMismatch for a boolean text
/// that is not one.
TABULON_AUTOTEST_EXPORT ParsedValue ParseEnteredValue(const platform::Variant &text, std::int32_t dataType,
                                             const platform::Variant &displayUnits);

} // namespace tabulon
