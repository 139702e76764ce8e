#include "tessel/Units.h"
#include "tessel/ErrorNumbers.h"

#include "TesselTest.h"

namespace {

using namespace tessel;

TEST(TesselUnits, CodeOfName)
{
    const struct
    {
        const char16_t *name;
        UnitCode code;
    } cases[] = {
        {u"mm", Millimetre}, {u"m", Metre},   {u"in", Inch},     {u"inch", Inch},
        {u"\"", Inch},       {u"ft", Foot},   {u"'", Foot},      {u"C", Celsius},
        {u"F", Fahrenheit},  {u"K", Kelvin},  {u"hr", Hour},     {u"min", Minute},
        {u"s", Second},      {u"g", Gram},    {u"kg", Kilogram}, {u"oz", Ounce},
        {u"lb", Pound},      {u"M", NoUnit},  {u"c", NoUnit},    {u" mm", NoUnit},
        {u"Inch", NoUnit},   {u"", NoUnit},   {u"FILE", NoUnit}, {u"FOLDER", NoUnit},
        {u"BYF", NoUnit},    {u"cm", NoUnit},
    };
    for (const auto &c : cases)
        EXPECT_EQ(unitCode(QString::fromUtf16(c.name)), c.code)
            << QString::fromUtf16(c.name).toStdString();
    for (UnitCode code = 0; code <= Pound; ++code)
        EXPECT_EQ(unitCode(unitName(code)), code);
}

TEST(TesselUnits, ConvertBothWays)
{
    const struct
    {
        double value;
        UnitCode from, to;
        double expected;
    } cases[] = {
        {1, Inch, Millimetre, 25.4},
        {1, Foot, Inch, 12},
        {1, Foot, Millimetre, 304.8},
        {2.5, Metre, Millimetre, 2500},
        {1, Metre, Foot, 1000 / 304.8},
        {1, Pound, Kilogram, 0.45359237},
        {1, Pound, Ounce, 16},
        {1, Kilogram, Gram, 1000},
        {16, Ounce, Pound, 1},
        {1, Hour, Second, 3600},
        {90, Minute, Hour, 1.5},
        {100, Celsius, Fahrenheit, 212},
        {-40, Fahrenheit, Celsius, -40},
        {0, Kelvin, Celsius, -273.15},
        {32, Fahrenheit, Kelvin, 273.15},
        {0.1, Millimetre, Millimetre, 0.1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " " << c.from << " -> " << c.to);
        EXPECT_DOUBLE_EQ(convert(c.value, c.from, c.to), c.expected);
        EXPECT_DOUBLE_EQ(convert(c.expected, c.to, c.from), c.value);
    }
}

TEST(TesselUnits, OtherQuantityDoesNotConvert)
{
    EXPECT_FALSE(isConvertible(Kilogram, Millimetre));
    EXPECT_FALSE(isConvertible(NoUnit, NoUnit));
    EXPECT_FALSE(isConvertible(Celsius, 14));
    test::expectError([] { convert(1, Kilogram, Millimetre); }, UnitMismatch,
                      "Cannot convert from \"kg\" to \"mm\".");
    test::expectError([] { convert(1, NoUnit, 99); }, UnitMismatch,
                      "Cannot convert from no unit to unit code 99.");
}

} // namespace
