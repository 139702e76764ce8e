#include "control/ValueDisplay.h"

#include "control/UnitConvert.h"
#include "core/NumberText.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tabulon {

using platform::Variant;

namespace {

QString joinRecognisedUnits()
{
    // Tried in this order after a typed number.
    const QStringView units[] = {
        unitName(kMetre), unitName(kMillimetre), unitName(kFoot),  unitName(kInch), kFootMark,
        kInchMark,        unitName(kKilogram),   unitName(kPound),
    };
    QStringList list;
    for (QStringView unit : units)
        list.append(unit.toString());
    return list.join(u';');
}

// Values are rounded as the user reads them: by the digits the standard number-to-text
// conversion shows, not by the binary value behind them.
constexpr int kReadDigits = 15;

/// The first `keep` digits, rounded half to even on the digits dropped; one digit longer when
/// the rounding carries ("999" → "1000"), "0" when nothing is kept and nothing rounds up.
std::string roundDigits(std::string_view digits, long long keep)
{
    if (keep < 0) return "0"; // the value lies below a tenth of the last kept place
    if (keep >= qsizetype(digits.size())) return std::string(digits);
    std::string kept(digits.substr(0, std::size_t(keep)));
    const char first = digits[std::size_t(keep)];
    const bool beyondHalf =
        digits.find_first_not_of('0', std::size_t(keep) + 1) != std::string_view::npos;
    const bool keptOdd = !kept.empty() && (kept.back() - '0') % 2 != 0;
    if (first > '5' || (first == '5' && (beyondHalf || keptOdd))) {
        auto it = kept.rbegin();
        for (; it != kept.rend() && *it == '9'; ++it)
            *it = '0';
        if (it == kept.rend())
            kept.insert(kept.begin(), '1');
        else
            ++*it;
    }
    return kept.empty() ? "0" : kept;
}

/// A finite value rounded half to even at `decimals` decimals of its decimal reading.
double roundHalfEven(double value, int decimals)
{
    const platform::DecimalDigits reading = platform::decimalDigits(value, kReadDigits);
    // Digits kept: those whose place is 10^-decimals or above, at most the 15 read.
    const long long keep =
        std::min<long long>(kReadDigits, (long long)reading.exponent + decimals + 1);
    // The kept digits form an integer whose last digit stands at 10^(exponent - keep + 1).
    const std::string mantissa = roundDigits(reading.text(), keep);
    const std::string text =
        mantissa + 'e' + std::to_string((long long)reading.exponent - std::max(keep, 0LL) + 1);
    double rounded = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), rounded);
    if (ec != std::errc()) return value; // beyond the range of a double once read with 15 digits
    return reading.negative ? -rounded : rounded;
}

/// A finite value in "Scientific" format: "d.ddE±xx", rounded half to even like the numbers.
QString scientificText(double value)
{
    const platform::DecimalDigits reading = platform::decimalDigits(value, kReadDigits);
    std::string mantissa = roundDigits(reading.text(), 3);
    int exponent = reading.exponent;
    if (mantissa.size() > 3) { // "9.995" carried into "10.0"
        mantissa.pop_back();
        ++exponent;
    }
    QString text;
    if (reading.negative) text += u'-';
    text += QLatin1Char(mantissa[0]);
    text += QLocale().decimalPoint();
    text += QLatin1StringView(mantissa.data() + 1, 2);
    text += exponent < 0 ? u"E-" : u"E+";
    text += QString::number(std::abs(exponent)).rightJustified(2, u'0');
    return text;
}

/// The recognised unit that `rest` names, compared in upper case, as spelled in the list; an
/// empty text when it names none.
QString recognisedUnit(const QString &rest)
{
    const QString upper = rest.toUpper();
    for (const QString &unit : kRecognisedUnits.split(u';'))
        if (unit.toUpper() == upper) return unit;
    return QString();
}

/// The text without leading and trailing blanks (spaces only; tabs and line feeds stay).
QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

/// A typed real number and the unit named after it, else `units`.
ParsedValue parseReal(const QString &text, const QString &units)
{
    const double value = platform::readNumber(text);
    if (units.isEmpty()) return {value, units};
    // The unit is looked for after as many characters as the number's standard text has. Under
    // a decimal-comma locale that text differs from the typed one ("12,5" for "12.5") in the
    // separator only, so the count still lands after the number as typed.
    const qsizetype n = platform::numberToText(value).size();
    const QString unit = recognisedUnit(trimBlanks(text.mid(n)));
    return {value, unit.isEmpty() ? units : unit};
}

} // namespace

const QString kRecognisedUnits = joinRecognisedUnits();

int DecimalsForUnit(UnitCode code)
{
    switch (code) {
    case kMillimetre:
        return 4;
    case kInch:
    case kHour:
    case kKilogram:
        return 3;
    case kFoot:
    case kMinute:
    case kOunce:
    case kPound:
        return 2;
    case kMetre:
    case kCelsius:
    case kFahrenheit:
    case kKelvin:
    case kSecond:
    case kGram:
        return 1;
    default:
        return 0;
    }
}

Variant RoundForDisplay(const Variant &value, int decimals)
{
    // No double has digits beyond 400 places either side of the point; clamping keeps the
    // band arithmetic below from overflowing.
    decimals = std::clamp(decimals, -400, 400);
    const double d = value.toDouble();
    if (!std::isfinite(d)) return d;
    if (d > 1) return roundHalfEven(d, decimals);
    if (d > 0.1) return roundHalfEven(d, decimals + 1);
    if (d > 0.01) return roundHalfEven(d, decimals + 2);
    return scientificText(d);
}

Variant FormatUnitValue(const Variant &value, UnitCode code)
{
    return RoundForDisplay(value, DecimalsForUnit(code));
}

ParsedValue ParseEnteredValue(const Variant &text, std::int32_t dataType,
                              const Variant &displayUnits)
{
    const QString units = displayUnits.toString();
    // A number needs no reading. Its text would carry the user's decimal separator, which the
    // number-reading rule does not read: under a decimal comma 12.5 would come back as 12. The
    // control writes numbers into the value cell itself when it shows a value without units.
    if (text.isNumber()) {
        if (dataType == adtReal) return {text.toDouble(), units};
        if (dataType == adtInteger) return {text.toInt(), units};
    }
    const QString typed = text.toText();
    switch (dataType) {
    case adtReal:
        return parseReal(typed, units);
    case adtInteger:
        return {platform::roundToInt32(platform::readNumber(typed)), units};
    case adtBoolean:
        return {Variant(typed).toBool(), units};
    default:
        return {typed, units};
    }
}

} // namespace tabulon
