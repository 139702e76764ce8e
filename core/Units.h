#pragma once

#include <QStringView>

#include <cstdint>

namespace tabulon {

// A unit of measure as the control and the attribute objects exchange it. The same code means
// the same unit on both sides; codes 14 and 15 are never used.
using UnitCode = std::int32_t;

// The codes, also in a namespace of their own for `using namespace tabulon::units`.
inline namespace units {
inline constexpr UnitCode kMillimetre = 0;
inline constexpr UnitCode kMetre = 1;
inline constexpr UnitCode kInch = 2;
inline constexpr UnitCode kFoot = 3;
inline constexpr UnitCode kCelsius = 4;
inline constexpr UnitCode kFahrenheit = 5;
inline constexpr UnitCode kKelvin = 6;
inline constexpr UnitCode kHour = 7;
inline constexpr UnitCode kMinute = 8;
inline constexpr UnitCode kSecond = 9;
inline constexpr UnitCode kGram = 10;
inline constexpr UnitCode kKilogram = 11;
inline constexpr UnitCode kOunce = 12;
inline constexpr UnitCode kPound = 13;
// No unit: what an unknown unit name stands for and what an attribute without a unit reports
// as its units code.
inline constexpr UnitCode kNoUnit = 16;
} // namespace units

/// The name of the unit of a code ("mm", "m", "in", "ft", "C", "F", "K", "hr", "min", "s",
/// "g", "kg", "oz", "lb"); empty for kNoUnit and every code that names no unit.
constexpr QStringView unitName(UnitCode code) noexcept
{
    switch (code) {
    case kMillimetre:
        return u"mm";
    case kMetre:
        return u"m";
    case kInch:
        return u"in";
    case kFoot:
        return u"ft";
    case kCelsius:
        return u"C";
    case kFahrenheit:
        return u"F";
    case kKelvin:
        return u"K";
    case kHour:
        return u"hr";
    case kMinute:
        return u"min";
    case kSecond:
        return u"s";
    case kGram:
        return u"g";
    case kKilogram:
        return u"kg";
    case kOunce:
        return u"oz";
    case kPound:
        return u"lb";
    default:
        return {};
    }
}

} // namespace tabulon
