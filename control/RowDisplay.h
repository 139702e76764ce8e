#pragma once

// What a row shows for its attribute, and how an edited text maps back to it: free functions
// over the attribute interface. Every attribute operation may throw; each function says what
// it does with a failure.

#include "core/AttributeSource.h"
#include "core/Export.h"
#include "core/Variant.h"

#include <QString>

namespace tabulon {

/// The title of every message the control shows.
TABULON_AUTOTEST_EXPORT const QString &messageTitle();

/// A number's text followed by one blank and the units: "12.5 mm".
TABULON_AUTOTEST_EXPORT QString textWithUnits(const QString &number, const QString &units);

/// The attribute's evaluated value, or the description of the error that reading it raised.
/// Never fails.
TABULON_AUTOTEST_EXPORT platform::Variant AttributeDisplayValue(const Attribute &attribute);

/// What the "Value" field shows for the attribute in `displayUnits`: "True"/"False" for a
/// boolean, the display text of an enumerated value (the value itself when it has none), a real
/// number followed by its display units when `showUnits` is on and it has a unit, else the
/// evaluated value. No rounding. Failures of the attribute pass to the caller.
TABULON_AUTOTEST_EXPORT platform::Variant DisplayValue(const Attribute &attribute, const QString &displayUnits,
                               bool showUnits);

/// The stored value of the enumeration entry whose display text is `text` (exact comparison);
/// entry 0's when none matches; "" when the attribute has no enumeration.
TABULON_AUTOTEST_EXPORT QString StoredEnumValue(const Attribute &attribute, const QString &text);

/// Whether the attribute accepts `value` as its data type takes it (text, 32-bit integer or
/// finite double); false for other data types, a value that does not convert, or a failure.
TABULON_AUTOTEST_EXPORT bool IsValueValid(const Attribute &attribute, const platform::Variant &value);

} // namespace tabulon
