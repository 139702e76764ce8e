#include "tessel/Units.h"
#include "tessel/ErrorNumbers.h"

#include "TesselTest.h"

#include <tuple>

namespace {

using namespace tessel;
using namespace tabulon::units;

TEST(TesselUnits, CodeOfName)
{
    for (UnitCode code = kMillimetre; code <= kPound; ++code)
        EXPECT_EQ(unitCode(tabulon::unitName(code).toString()), code);
    const std::pair<const char *, UnitCode> cases[] = {
        // clang-format off
        {"inch", kInch}, {"\"", kInch}, {"'", kFoot}, {"M", kNoUnit}, {"c", kNoUnit},
        {" mm", kNoUnit}, {"Inch", kNoUnit}, {"", kNoUnit}, {"FILE", kNoUnit}, {"cm", kNoUnit},
        // clang-format on
    };
    for (const auto &[name, code] : cases)
        EXPECT_EQ(unitCode(QString::fromUtf8(name)), code) << name;
}

TEST(TesselUnits, Convert)
{
    const std::tuple<double, UnitCode, UnitCode, double> cases[] = {
        // clang-format off
        {1, kInch, kMillimetre, 25.4}, {1, kFoot, kInch, 12}, {2.5, kMetre, kMillimetre, 2500},
        {1, kMetre, kFoot, 1000 / 304.8}, {1, kPound, kKilogram, 0.45359237},
        {1, kPound, kOunce, 16}, {1, kKilogram, kGram, 1000}, {90, kMinute, kHour, 1.5},
        {1, kHour, kSecond, 3600}, {100, kCelsius, kFahrenheit, 212},
        {0, kKelvin, kCelsius, -273.15}, {32, kFahrenheit, kKelvin, 273.15},
        {0.1, kMillimetre, kMillimetre, 0.1},
        // clang-format on
    };
    for (const auto &[value, from, to, expected] : cases) {
        SCOPED_TRACE(testing::Message() << value << " " << from << " -> " << to);
        EXPECT_DOUBLE_EQ(convert(value, from, to), expected);
        EXPECT_DOUBLE_EQ(convert(expected, to, from), value);
    }
    // Only units of one quantity convert.
    EXPECT_FALSE(isConvertible(kNoUnit, kNoUnit));
    EXPECT_FALSE(isConvertible(kCelsius, 14));
    test::expectError([] { convert(1, kKilogram, kMillimetre); }, UnitMismatch,
                      "Cannot convert from \"kg\" to \"mm\".");
    test::expectError([] { convert(1, kNoUnit, 99); }, UnitMismatch,
                      "Cannot convert from no unit to unit code 99.");
}

} // namespace
