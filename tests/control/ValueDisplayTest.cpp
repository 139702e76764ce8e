#include "control/ValueDisplay.h"

#include "tests/support/Printers.h"
#include "tests/support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace tabulon {
namespace {

using platform::Error;
using platform::Variant;

using test::errorNumber;

TEST(RoundForDisplay, BandsHalfEvenScientificAndUnitDecimals)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double max = std::numeric_limits<double>::max();
    const std::tuple<const char *, Variant, int, Variant> cases[] = {
        // clang-format off
        {"above 1 to d", 1234.56789, 4, 1234.5679}, {"above 0.1 to d+1", 0.123456, 4, 0.12346},
        {"above 0.01 to d+2", 0.0123456, 4, 0.012346},
        {"half even, 2.45 stored above half", 2.45, 1, 2.4},
        {"2.675 stored below half", 2.675, 2, 2.68}, {"99.995 carries", 99.995, 2, 100.0},
        {"beyond 15 digits", 123456789012.34567, 4, 123456789012.346},
        {"largest double", max, 0, max}, {"decimals -2", 1250.0, -2, 1200.0},
        {"huge decimals", 0.5, 2147483647, 0.5}, {"infinity unchanged", inf, 1, inf},
        {"0.01 scientific", 0.01, 1, "1.00E-02"}, {"zero", 0.0, 1, "0.00E+00"},
        {"-3", -3.0, 1, "-3.00E+00"}, {"mantissa half even", -1225.0, 1, "-1.22E+03"},
        {"mantissa carries", 0.009995, 1, "1.00E-02"},
        {"exponent 3 digits", 1e-120, 1, "1.00E-120"},
        // clang-format on
    };
    for (const auto &[name, value, decimals, expected] : cases)
        EXPECT_EQ(RoundForDisplay(value, decimals), expected) << name;
    EXPECT_EQ(errorNumber([] { RoundForDisplay(Variant::null(), 1); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorNumber([] { RoundForDisplay("abc", 1); }), Error::TypeMismatch);
    // FormatUnitValue: the unit's decimals, 4 for mm, 1 for m, none for no unit or code 14.
    EXPECT_EQ(FormatUnitValue(1234.56789, kMillimetre), Variant(1234.5679));
    EXPECT_EQ(FormatUnitValue(2.75, kMetre), Variant(2.8));
    EXPECT_EQ(FormatUnitValue(7.6, kNoUnit), Variant(8.0));
    EXPECT_EQ(FormatUnitValue(7.6, 14), Variant(8.0));
}

TEST(ParseEnteredValue, ByDataType)
{
    const Variant null = Variant::null();
    const std::tuple<const char *, Variant, std::int32_t, Variant, Variant, const char16_t *>
        cases[] = {
            // clang-format off
            {"unit in any case, spelled as listed", "12.5FT", adtReal, "mm", 12.5, u"ft"},
            {"looked for after the number's text", "12.50 ft", adtReal, "mm", 12.5, u"mm"},
            {"only listed names", "12.5 inch", adtReal, "mm", 12.5, u"mm"},
            {"a mark", "3\"", adtReal, "mm", 3.0, u"\""},
            {"blanks trimmed", "12.5  ft ", adtReal, "mm", 12.5, u"ft"},
            {"tabs are not", "12.5\tft", adtReal, "mm", 12.5, u"mm"},
            {"no display unit, none looked for", "12.5 ft", adtReal, "", 12.5, u""},
            {"no number", "abc", adtReal, "mm", 0.0, u"mm"},
            {"integer half even down", "2.5", adtInteger, "mm", 2, u"mm"},
            {"integer half even up", "3.5", adtInteger, "", 4, u""},
            {"boolean", "True", adtBoolean, "", true, u""},
            {"text as typed", "12.5 ft", adtText, "mm", "12.5 ft", u"mm"},
            {"null text is empty", null, adtText, "", "", u""},
            // clang-format on
        };
    for (const auto &[name, text, dataType, displayUnits, value, units] : cases) {
        const ParsedValue parsed = ParseEnteredValue(text, dataType, displayUnits);
        EXPECT_EQ(parsed.value, value) << name;
        EXPECT_EQ(parsed.units, QString::fromUtf16(units)) << name;
    }
    EXPECT_EQ(errorNumber([&] { ParseEnteredValue("1", adtText, null); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorNumber([] { ParseEnteredValue("3e10", adtInteger, ""); }), Error::Overflow);
    EXPECT_EQ(errorNumber([] { ParseEnteredValue("yes", adtBoolean, ""); }), Error::TypeMismatch);
}

TEST(ValueDisplay, DecimalCommaLocale)
{
    const test::ScopedLocale german(test::deDE);
    EXPECT_EQ(RoundForDisplay(-0.005, 1), Variant("-5,00E-03"));
    EXPECT_EQ(ParseEnteredValue("12.5 ft", adtReal, "mm").units, u"ft");
    EXPECT_EQ(ParseEnteredValue("12,5", adtReal, "mm").value, Variant(12.0));
    // A number is taken as it is, not read back from its "12,5".
    EXPECT_EQ(ParseEnteredValue(12.5, adtReal, "mm").value, Variant(12.5));
    EXPECT_EQ(ParseEnteredValue(13.5, adtInteger, "").value, Variant(14));
}

} // namespace
} // namespace tabulon
