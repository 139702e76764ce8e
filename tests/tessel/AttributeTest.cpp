#include "tessel/Attribute.h"
#include "tessel/ErrorNumbers.h"

#include "TesselTest.h"
#include "tests/support/ScopedLocale.h"

#include <cmath>
#include <optional>
#include <tuple>

namespace {

using namespace tessel;
using namespace tabulon::units;
using tabulon::UnitCode;
using tabulon::platform::Error;
using tabulon::platform::Variant;

struct Limits
{
    std::optional<double> minimum = {}, maximum = {};
    std::optional<std::int32_t> maxLength = {};
};

TEST(TesselAttribute, SetValueConvertsOrRejectsAndKeepsTheOldValue)
{
    // Data type, limits, candidate; what is stored, or the error number and the reason.
    struct Case
    {
        std::int32_t type;
        Limits limits;
        Variant candidate, stored;
        int number = 0;
        const char *reason = "";
    };
    const Case cases[] = {
        // clang-format off
        {1, {}, 12, "12"}, {1, {}, true, "True"}, {2, {}, "12", 12}, {2, {}, 2.5, 2}, {2, {}, 3.5, 4},
        {3, {}, "2.5", 2.5}, {4, {}, "false", false}, {4, {}, 0, false}, {2, {1, 10}, 10, 10},
        {3, {{}, 2.5}, "2.5", 2.5}, {1, {{}, {}, 3}, "abc", "abc"},
        {2, {}, "abc", {}, Error::TypeMismatch, "\"abc\" is not a valid integer"},
        {2, {}, 3e9, {}, Error::Overflow, "3000000000 is out of the range of an integer"},
        {3, {}, "x", {}, Error::TypeMismatch, "\"x\" is not a valid real number"},
        {3, {}, HUGE_VAL, {}, Error::TypeMismatch, "Infinity is not a valid real number"},
        {4, {}, "maybe", {}, Error::TypeMismatch, "\"maybe\" is not a valid boolean"},
        {1, {}, Variant::null(), {}, Error::InvalidUseOfNull, "a null value is not a valid text"},
        {2, {1, 10}, 11, {}, ValueRejected, "11 is above the maximum 10"},
        {2, {1, 10}, 0.4, {}, ValueRejected, "0 is below the minimum 1"},
        {3, {-0.5, {}}, -0.75, {}, ValueRejected, "-0.75 is below the minimum -0.5"},
        {1, {{}, {}, 3}, "abcd", {}, ValueRejected, "\"abcd\" is longer than 3 characters"},
        // clang-format on
    };
    for (const auto &[type, limits, candidate, stored, number, reason] : cases) {
        SCOPED_TRACE(candidate.debugText().toStdString());
        Attribute a(QStringLiteral("A"), type);
        a.setMinimum(limits.minimum);
        a.setMaximum(limits.maximum);
        a.setMaxLength(limits.maxLength);
        EXPECT_EQ(a.validate(candidate), number == 0);
        EXPECT_EQ(a.rejectionReason(candidate), QString::fromUtf8(reason));
        if (number == 0) {
            a.setValue(candidate);
            EXPECT_EQ(a.value(), stored);
        } else {
            test::expectError([&] { a.setValue(candidate); }, number,
                              QStringLiteral("Invalid value for attribute \"A\": %1.").arg(reason));
            EXPECT_EQ(a.value(), Attribute(QStringLiteral("A"), type).value()); // unchanged
        }
        EXPECT_EQ(a.isValueSet(), number == 0);
    }
}

TEST(TesselAttribute, ValueInUnits)
{
    // Data type, own unit, value, requested code; expected value and code used.
    const std::tuple<std::int32_t, const char *, Variant, UnitCode, Variant, UnitCode> cases[] = {
        // clang-format off
        {3, "mm", 25.4, kInch, 1.0, kInch}, {3, "C", 100.0, kFahrenheit, 212.0, kFahrenheit},
        {3, "mm", 25.4, kKilogram, 25.4, kMillimetre},
        {3, "mm", 25.4, kNoUnit, 25.4, kMillimetre}, {3, "mm", 25.4, 99, 25.4, kMillimetre},
        {3, "", 7.5, kMillimetre, 7.5, kNoUnit}, {2, "mm", 5, kInch, 5, kMillimetre},
        {1, "kg", "heavy", kGram, "heavy", kKilogram},
        // clang-format on
    };
    for (const auto &[type, units, value, requested, expected, expectedUsed] : cases) {
        Attribute a(QStringLiteral("A"), type);
        a.setUnitsText(QString::fromUtf8(units));
        a.setValue(value);
        UnitCode used = -1;
        EXPECT_EQ(a.valueInUnits(requested, used).debugText(), expected.debugText()); // type too
        EXPECT_EQ(used, expectedUsed) << units << " -> " << requested;
    }
}

// setValueInUnits() converts from the unit given. The unit last requested through valueInUnits()
// is the one value(), setValue() and validate() speak; storage and limits stay in the own unit.
TEST(TesselAttribute, UnitsOfValues)
{
    Attribute a(QStringLiteral("Len"), 3);
    a.setUnitsText(QStringLiteral("mm"));
    a.setMinimum(10);
    a.setMaximum(1000);
    a.setValueInUnits(kInch, 2);
    EXPECT_DOUBLE_EQ(a.value().toDouble(), 50.8);
    const std::tuple<UnitCode, double, int, const char *> refused[] = {
        {kKilogram, 1, UnitMismatch, "Cannot convert from \"kg\" to \"mm\" for attribute \"Len\"."},
        {kNoUnit, 1, UnitMismatch, "Cannot convert from no unit to \"mm\" for attribute \"Len\"."},
        {kMetre, 1.5, ValueRejected,
         "Invalid value for attribute \"Len\": 1.5 m (1500 mm) is above the maximum 1000 mm."},
        {kMetre, 1e306, Error::Overflow,
         "Invalid value for attribute \"Len\": 1E+306 m is out of "
         "the range of a real number in mm."},
    };
    for (const auto &[unit, value, number, description] : refused)
        test::expectError([&] { a.setValueInUnits(unit, value); }, number, description);

    a.setValue(100.0);
    UnitCode used = -1;
    EXPECT_EQ(a.valueInUnits(kMetre, used), Variant(0.1));
    EXPECT_EQ(QList<Variant>({a.value(), a.rawValue(), a.evaluatedValue()}),
              QList<Variant>(3, 0.1));

    EXPECT_EQ(a.rejectionReason(250.0), "250 m (250000 mm) is above the maximum 1000 mm");
    EXPECT_EQ(a.rejectionReason(0.005), "0.005 m (5 mm) is below the minimum 10 mm");
    // setValueInUnits converts from the unit given, whatever the current one.
    a.setValueInUnits(kMillimetre, 500);
    EXPECT_EQ(a.value(), Variant(0.5));
    a.setUnitsText(QStringLiteral("in")); // a new own unit is the current one again
    EXPECT_EQ(a.currentUnit(), kInch);

    // An expression stores a number given in another unit as its own-unit text; a number it
    // starts from is written the same in every locale.
    {
        const tabulon::test::ScopedLocale german(tabulon::test::deDE);
        a.setValueInUnits(kInch, 12.5);
        a.setExpression(true);
    }
    EXPECT_EQ(a.rawValue(), Variant("12.5"));
    a.setValueInUnits(kFoot, 1);
    EXPECT_EQ(a.rawValue(), Variant("12"));
}

TEST(TesselAttribute, Enumeration)
{
    Attribute a(QStringLiteral("Colour"));
    a.setEnumeration({{"r", "Red"}, {"g", "Green"}});
    EXPECT_EQ(a.enumerationValue(1), "g");
    EXPECT_EQ(a.enumerationDisplayText(0), "Red");
    EXPECT_EQ(a.displayText("g"), "Green");
    EXPECT_EQ(a.displayText("Green"), ""); // looked up by the stored value only
    const QString outOfRange = "Enumeration index %1 is out of range for attribute \"Colour\", "
                               "which has 2 entries.";
    for (int bad : {-1, 2})
        test::expectError([&] { a.enumerationDisplayText(bad); }, Error::InvalidProcedureCall,
                          outOfRange.arg(bad));
    EXPECT_EQ(Attribute(a).enumeration(), a.enumeration()); // a copy has them too
}

TEST(TesselAttribute, TypeAndExpressionSwitchesConvertTheValue)
{
    Attribute a(QStringLiteral("A"), 3);
    a.setValue(2.5);
    a.setDataType(1);
    EXPECT_EQ(a.value(), Variant("2.5"));
    a.setValue("pump");
    a.setDataType(2); // "pump" is no integer: the empty value
    EXPECT_EQ(a.value(), Variant(0));
    test::expectError([&] { a.setDataType(7); }, Error::InvalidProcedureCall,
                      "Data type 7 is not 1 (text), 2 (integer), 3 (real) or 4 (boolean).");

    a.setValue(42);
    a.setExpression(true);
    EXPECT_EQ(a.rawValue(), Variant("42"));
    a.setValueInUnits(kNoUnit, 1.5);
    EXPECT_EQ(a.rawValue(), Variant("1.5"));
    a.setExpression(false);
    EXPECT_EQ(a.value(), Variant(2));
}

} // namespace
