#include "tessel/Units.h"

#include "tessel/ErrorNumbers.h"

#include <array>
#include <cstdint>
#include <numeric>

namespace tessel {

using namespace tabulon::units;
using tabulon::unitName;

namespace {

struct UnitInfo
{
    UnitCode code;
    Quantity quantity;
    // Size of the unit as a whole multiple of the quantity's smallest common step, so that the
    // ratio between two units is a ratio of integers: 0.1 mm for lengths, 1/1.6e9 kg for
    // masses (an ounce is 0.45359237/16 kg), 1 s for times. Temperatures convert by formula.
    std::int64_t steps;
};

// Indexed by code.
constexpr std::array<UnitInfo, 14> units{{
    {kMillimetre, Quantity::Length, 10},
    {kMetre, Quantity::Length, 10000},
    {kInch, Quantity::Length, 254},
    {kFoot, Quantity::Length, 3048},
    {kCelsius, Quantity::Temperature, 0},
    {kFahrenheit, Quantity::Temperature, 0},
    {kKelvin, Quantity::Temperature, 0},
    {kHour, Quantity::Time, 3600},
    {kMinute, Quantity::Time, 60},
    {kSecond, Quantity::Time, 1},
    {kGram, Quantity::Mass, 1'600'000},
    {kKilogram, Quantity::Mass, 1'600'000'000},
    {kOunce, Quantity::Mass, 45'359'237},
    {kPound, Quantity::Mass, 725'747'792},
}};

// Every code that has a unit name has its row, at its own index, and no other code does.
constexpr bool coversEveryNamedUnit()
{
    for (UnitCode code = 0; code <= kNoUnit; ++code) {
        const bool inTable = code < UnitCode(units.size());
        if (inTable != !unitName(code).isEmpty()) return false;
        if (inTable && units[std::size_t(code)].code != code) return false;
    }
    return true;
}
static_assert(coversEveryNamedUnit());

bool isKnown(UnitCode code)
{
    return code >= 0 && code < UnitCode(units.size());
}

double toCelsius(double value, UnitCode from)
{
    switch (from) {
    case kFahrenheit:
        return (value - 32.0) * 5.0 / 9.0;
    case kKelvin:
        return value - 273.15;
    default:
        return value;
    }
}

double fromCelsius(double celsius, UnitCode to)
{
    switch (to) {
    case kFahrenheit:
        return celsius * 9.0 / 5.0 + 32.0;
    case kKelvin:
        return celsius + 273.15;
    default:
        return celsius;
    }
}

} // namespace

UnitCode unitCode(const QString &name)
{
    if (name == u"inch" || name == u"\"") return kInch;
    if (name == u"'") return kFoot;
    for (const UnitInfo &unit : units)
        if (name == unitName(unit.code)) return unit.code;
    return kNoUnit;
}

Quantity quantity(UnitCode code)
{
    return isKnown(code) ? units[std::size_t(code)].quantity : Quantity::None;
}

QString unitDescription(UnitCode code)
{
    if (isKnown(code)) return QStringLiteral("\"%1\"").arg(unitName(code));
    if (code == kNoUnit) return QStringLiteral("no unit");
    return QStringLiteral("unit code %1").arg(code);
}

bool isConvertible(UnitCode from, UnitCode to)
{
    return quantity(from) != Quantity::None && quantity(from) == quantity(to);
}

double convert(double value, UnitCode from, UnitCode to)
{
    if (!isConvertible(from, to))
        throw tabulon::platform::Error(UnitMismatch, QStringLiteral("tessel"),
                                       QStringLiteral("Cannot convert from %1 to %2.")
                                           .arg(unitDescription(from), unitDescription(to)));
    if (from == to) return value;
    if (quantity(from) == Quantity::Temperature) return fromCelsius(toCelsius(value, from), to);

    // Reduce the ratio first so that whole-number ratios (m to mm, ft to in) cost one exact
    // multiplication.
    std::int64_t num = units[std::size_t(from)].steps;
    std::int64_t den = units[std::size_t(to)].steps;
    const std::int64_t common = std::gcd(num, den);
    num /= common;
    den /= common;
    if (den == 1) return value * double(num);
    if (num == 1) return value / double(den);
    return value * double(num) / double(den);
}

} // namespace tessel
