#include "tessel/Units.h"
#include "tessel/ErrorNumbers.h"

#include "TesselTest.h"

namespace {

using namespace tessel;
using namespace tabulon::units;
using tabulon::unitName;

TEST(TesselUnits, CodeOfName)
{
    const struct
    {
        const char16_t *name;
        UnitCode code;
    } cases[] = {
        {u"mm", kMillimetre}, {u"m", kMetre},   {u"in", kInch},     {u"inch", kInch},
        {u"\"", kInch},       {u"ft", kFoot},   {u"'", kFoot},      {u"C", kCelsius},
        {u"F", kFahrenheit},  {u"K", kKelvin},  {u"hr", kHour},     {u"min", kMinute},
        {u"s", kSecond},      {u"g", kGram},    {u"kg", kKilogram}, {u"oz", kOunce},
        {u"lb", kPound},      {u"M", kNoUnit},  {u"c", kNoUnit},    {u" mm", kNoUnit},
        {u"Inch", kNoUnit},    {u"", kNoUnit},   {u"FILE", kNoUnit}, {u"FOLDER", kNoUnit},
        {u"BYF", kNoUnit},    {u"cm", kNoUnit},
    };
    for (const auto &c : cases)
        EXPECT_EQ(unitCode(QString::fromUtf16(c.name)), c.code)
            << QString::fromUtf16(c.name).toStdString();
    for (UnitCode code = 0; code <= kPound; ++code)
        EXPECT_EQ(unitCode(unitName(code).toString()), code);
}

TEST(TesselUnits, ConvertBothWays)
{
    const struct
    {
        double value;
        UnitCode from, to;
        double expected;
    } cases[] = {
        {1, kInch, kMillimetre, 25.4},
        {1, kFoot, kInch, 12},
        {1, kFoot, kMillimetre, 304.8},
        {2.5, kMetre, kMillimetre, 2500},
        {1, kMetre, kFoot, 1000 / 304.8},
        {1, kPound, kKilogram, 0.45359237},
        {1, kPound, kOunce, 16},
        {1, kKilogram, kGram, 1000},
        {16, kOunce, kPound, 1},
        {1, kHour, kSecond, 3600},
        {90, kMinute, kHour, 1.5},
        {100, kCelsius, kFahrenheit, 212},
        {-40, kFahrenheit, kCelsius, -40},
        {0, kKelvin, kCelsius, -273.15},
        {32, kFahrenheit, kKelvin, 273.15},
        {0.1, kMillimetre, kMillimetre, 0.1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " " << c.from << " -> " << c.to);
        EXPECT_DOUBLE_EQ(convert(c.value, c.from, c.to), c.expected);
        EXPECT_DOUBLE_EQ(convert(c.expected, c.to, c.from), c.value);
    }
}

TEST(TesselUnits, OtherQuantityDoesNotConvert)
{
    EXPECT_FALSE(isConvertible(kKilogram, kMillimetre));
    EXPECT_FALSE(isConvertible(kNoUnit, kNoUnit));
    EXPECT_FALSE(isConvertible(kCelsius, 14));
    test::expectError([] { convert(1, kKilogram, kMillimetre); }, UnitMismatch,
                      "Cannot convert from \"kg\" to \"mm\".");
    test::expectError([] { convert(1, kNoUnit, 99); }, UnitMismatch,
                      "Cannot convert from no unit to unit code 99.");
}

} // namespace
