#pragma once

#include "Export.h"

#include <QString>
#include <QStringView>

#include <array>
#include <string_view>

namespace tabulon::platform {

// A finite double in decimal: ±d0.d1d2...dn × 10^exponent, the significant digits d0 to dn as
// ASCII characters.
struct DecimalDigits
{
    bool negative = false; // below zero; negative zero is not
    int exponent = 0;
    int count = 0;
    std::array<char, 17> digits{};

    std::string_view text() const { return {digits.data(), std::size_t(count)}; }
};

// The decimal digits of a finite value rounded to `significant` significant digits (1 to 17),
// correctly rounded from the exact binary value, trailing zeros kept. Zero gives zeros and the
// exponent 0. NaN and infinities give no meaningful result.
TABULON_CORE_EXPORT DecimalDigits decimalDigits(double value, int significant);

// The number-reading rule: blanks, tabs and line feeds anywhere in the text are ignored; an
// optional sign, digits, "." as the only decimal separator whatever the locale, and an optional
// exponent introduced by E or e are read; reading stops at the first character that cannot
// continue the number; no number at all gives 0. Also reports how many characters of the text
// were consumed (whitespace included) when consumed is not null.
TABULON_CORE_EXPORT double readNumber(QStringView text, qsizetype *consumed = nullptr);

// The standard number-to-text conversion: at most 15 significant digits, the user's decimal
// separator (from QLocale()), no trailing zeros, and exponent notation ("1.5E+20", "1E-07") for
// magnitudes of 1E15 and above or below 1E-4. NaN gives "NaN", infinities "Infinity" and
// "-Infinity".
TABULON_CORE_EXPORT QString numberToText(double value);

// The same with an explicit decimal separator, for callers that must not depend on the locale.
TABULON_CORE_EXPORT QString numberToText(double value, QChar decimalSeparator);

} // namespace tabulon::platform
