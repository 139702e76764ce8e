#pragma once

#include "core/Export.h"
#include "core/Units.h"

#include <QString>
#include <QStringView>

namespace tabulon {

// Spellings that name a unit besides its unit name: the inch written out or as a double-quote
// mark, the foot as an apostrophe.
inline constexpr QStringView kInchWord = u"inch";
inline constexpr QStringView kInchMark = u"\"";
inline constexpr QStringView kFootMark = u"'";

/// The unit code for a unit name, by exact, case-sensitive comparison of the whole text with
/// the unit names of unitName() and the spellings above; kNoUnit for anything else. Codes 14
/// and 15 never come back.
TABULON_AUTOTEST_EXPORT UnitCode UnitCodeFromName(const QString &name);

} // namespace tabulon
