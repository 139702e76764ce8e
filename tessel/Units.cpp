#include "tessel/Units.h"

#include "tessel/ErrorNumbers.h"

#include <array>
#include <cstdint>
#include <numeric>

namespace tessel {

namespace {

struct UnitInfo
{
    const char16_t *name;
    Quantity quantity;
    // Size of the unit as a whole multiple of the quantity's smallest common step, so that the
    // ratio between two units is a ratio of integers: 0.1 mm for lengths, 1/1.6e9 kg for
    // masses (an ounce is 0.45359237/16 kg), 1 s for times. Temperatures convert by formula.
    std::int64_t steps;
};

constexpr std::array<UnitInfo, 14> units{{
    {u"mm", Quantity::Length, 10},
    {u"m", Quantity::Length, 10000},
    {u"in", Quantity::Length, 254},
    {u"ft", Quantity::Length, 3048},
    {u"C", Quantity::Temperature, 0},
    {u"F", Quantity::Temperature, 0},
    {u"K", Quantity::Temperature, 0},
    {u"hr", Quantity::Time, 3600},
    {u"min", Quantity::Time, 60},
    {u"s", Quantity::Time, 1},
    {u"g", Quantity::Mass, 1'600'000},
    {u"kg", Quantity::Mass, 1'600'000'000},
    {u"oz", Quantity::Mass, 45'359'237},
    {u"lb", Quantity::Mass, 725'747'792},
}};

bool isKnown(UnitCode code)
{
    return code >= 0 && code < UnitCode(units.size());
}

double toCelsius(double value, UnitCode from)
{
    switch (from) {
    case Fahrenheit:
        return (value - 32.0) * 5.0 / 9.0;
    case Kelvin:
        return value - 273.15;
    default:
        return value;
    }
}

double fromCelsius(double celsius, UnitCode to)
{
    switch (to) {
    case Fahrenheit:
        return celsius * 9.0 / 5.0 + 32.0;
    case Kelvin:
        return celsius + 273.15;
    default:
        return celsius;
    }
}

} // namespace

UnitCode unitCode(const QString &name)
{
    if (name == u"inch" || name == u"\"") return Inch;
    if (name == u"'") return Foot;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (name == units[i].name) return UnitCode(i);
    return NoUnit;
}

QString unitName(UnitCode code)
{
    return isKnown(code) ? QString::fromUtf16(units[std::size_t(code)].name) : QString();
}

Quantity quantity(UnitCode code)
{
    return isKnown(code) ? units[std::size_t(code)].quantity : Quantity::None;
}

QString unitDescription(UnitCode code)
{
    if (isKnown(code)) return QStringLiteral("\"%1\"").arg(unitName(code));
    if (code == NoUnit) return QStringLiteral("no unit");
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
