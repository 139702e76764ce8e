#include "control/ValueDisplay.h"

#include "core/Error.h"
#include "tests/support/Printers.h"
#include "tests/support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tabulon {
namespace {

using platform::Error;
using platform::Variant;

/// The number of the platform::Error that f raises, 0 when it raises none.
template <typename F> int errorNumber(F f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.number();
    }
    return 0;
}

TEST(DecimalsForUnit, PrecisionTable)
{
    const int expected[] = {4, 1, 3, 2, 1, 1, 1, 3, 2, 1, 1, 3, 2, 2, 0, 0, 0, 0};
    for (UnitCode code = 0; code < 18; ++code)
        EXPECT_EQ(DecimalsForUnit(code), expected[code]) << "code " << code;
    EXPECT_EQ(DecimalsForUnit(-1), 0);
}

TEST(RoundForDisplay, BandsHalfEvenAndScientific)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double max = std::numeric_limits<double>::max();
    const struct
    {
        const char *name;
        Variant value;
        int decimals;
        Variant expected;
    } cases[] = {
        {"above 1 to d", 1234.56789, 4, 1234.5679},
        {"above 0.1 to d+1", 0.123456, 4, 0.12346},
        {"above 0.01 to d+2", 0.0123456, 4, 0.012346},
        {"half even up", 2.35, 1, 2.4},
        {"half even down, 2.45 stored above half", 2.45, 1, 2.4},
        {"2.675 stored below half", 2.675, 2, 2.68},
        {"99.995 carries", 99.995, 2, 100.0},
        {"beyond 15 digits", 123456789012.34567, 4, 123456789012.346},
        {"largest double", max, 0, max},
        {"decimals -2", 1250.0, -2, 1200.0},
        {"huge decimals", 0.5, 2147483647, 0.5},
        {"numeric text", "2.25", 1, 2.2},
        {"0.01 scientific", 0.01, 1, "1.00E-02"},
        {"zero", 0.0, 1, "0.00E+00"},
        {"-3", -3.0, 1, "-3.00E+00"},
        {"mantissa half even", -1225.0, 1, "-1.22E+03"},
        {"mantissa carries", 0.009995, 1, "1.00E-02"},
        {"exponent 3 digits", 1e-120, 1, "1.00E-120"},
        {"infinity unchanged", inf, 1, inf},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RoundForDisplay(c.value, c.decimals), c.expected) << c.name;
    EXPECT_TRUE(std::isnan(RoundForDisplay(std::nan(""), 1).doubleValue()));
    EXPECT_EQ(errorNumber([] { RoundForDisplay(Variant::null(), 1); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorNumber([] { RoundForDisplay("abc", 1); }), Error::TypeMismatch);

    EXPECT_EQ(FormatUnitValue(2.66666, 2), Variant(2.667));
    EXPECT_EQ(FormatUnitValue(7.6, 16), Variant(8.0));
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

TEST(ParseEnteredValue, ByDataType)
{
    const Variant null = Variant::null();
    const struct
    {
        Variant text;
        std::int32_t dataType;
        Variant displayUnits;
        Variant value;
        const char16_t *units;
    } cases[] = {
        {"12.5 ft", adtReal, "mm", 12.5, u"ft"},
        {"12.5FT", adtReal, "mm", 12.5, u"ft"},    // spelled as listed
        {"12.50 ft", adtReal, "mm", 12.5, u"mm"},  // looked for after the number's own text
        {"12.5 inch", adtReal, "mm", 12.5, u"mm"}, // only the listed names
        {"3\"", adtReal, "mm", 3.0, u"\""},
        {"12.5  ft ", adtReal, "mm", 12.5, u"ft"}, // blanks trimmed
        {"12.5\tft", adtReal, "mm", 12.5, u"mm"},  // tabs are not
        {"12.5 ft", adtReal, "", 12.5, u""},       // no display unit: none looked for
        {"abc", adtReal, "mm", 0.0, u"mm"},
        {null, adtReal, "mm", 0.0, u"mm"},
        {"2.5", adtInteger, "mm", 2, u"mm"},
        {"3.5", adtInteger, "", 4, u""},
        {"True", adtBoolean, "", true, u""},
        {" fALSE ", adtBoolean, "", false, u""},
        {"12.5 ft", adtText, "mm", "12.5 ft", u"mm"},
        {null, adtText, "", "", u""},
    };
    for (const auto &c : cases) {
        const ParsedValue parsed = ParseEnteredValue(c.text, c.dataType, c.displayUnits);
        EXPECT_EQ(parsed.value, c.value) << c.text.debugText().toStdString();
        EXPECT_EQ(parsed.units, QString::fromUtf16(c.units)) << c.text.debugText().toStdString();
    }
    // Conversion errors pass to the caller.
    const auto error = [](Variant text, std::int32_t type, Variant units) {
        return errorNumber([&] { ParseEnteredValue(text, type, units); });
    };
    EXPECT_EQ(error("1", adtText, null), Error::InvalidUseOfNull);
    EXPECT_EQ(error("3e10", adtInteger, ""), Error::Overflow);
    EXPECT_EQ(error("yes", adtBoolean, ""), Error::TypeMismatch);
}

} // namespace
} // namespace tabulon
