// The control's pure rules, one table of cases each.

#include "control/EditMode.h"
#include "control/ListPlacement.h"
#include "control/NextRow.h"
#include "control/UnitConvert.h"
#include "control/ValueDisplay.h"

#include "tests/support/Printers.h"
#include "tests/support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <tuple>
#include <utility>

using namespace tabulon;
using platform::Error;
using platform::Variant;
using test::errorNumber;

TEST(GetEditMode, FirstMatchingTestDecides)
{
    const Variant null = Variant::null();
    // Editable, Expression, UnitsType, AllowableValues, DataType; the mode or the error's number.
    const std::tuple<const char *, EditModeFields, const char *> cases[] = {
        {"editable text row", {true, false, "mm", "", "1"}, "Edit"},
        {"editable null, expression true", {null, true, "", "", "1"}, "Locked"},
        {"editable false beats everything", {false, true, "FILE", "enumeration", "4"}, "Locked"},
        {"editable -1 is not the boolean true", {-1, false, "", "", "1"}, "Locked"},
        {"expression beats FILE", {true, true, "FILE", "", "1"}, "Expression"},
        {"expression null", {true, null, "", "", "1"}, "Edit"},
        {"file, lower case, padded", {true, false, "  file ", "", "1"}, "File"},
        {"only blanks are trimmed", {true, false, "\tFILE", "", "1"}, "Edit"},
        {"a longer word", {true, false, "FILES", "", "1"}, "Edit"},
        {"folder, lower case", {true, false, "folder", "", "1"}, "Folder"},
        {"byf, lower case, beats enumeration", {true, false, "byf", "enumeration", "4"}, "BYF"},
        {"units null", {true, false, null, "", "1"}, "Edit"},
        {"enumeration anywhere", {true, false, "", "an enumeration", "1"}, "List"},
        {"enumeration beats a bad data type", {true, false, "", "enumeration", "x"}, "List"},
        {"Enumeration capitalised, text type", {true, false, "", "Enumeration", "1"}, "Edit"},
        {"boolean type, empty allowable values", {true, false, "", "", " 4.0 "}, "List"},
        {"4.4 is not 4", {true, false, "", "", "4.4"}, "Edit"},
        {"data type null", {true, false, "", null, null}, "Edit"},
        {"data type no number", {true, false, "", "", "four"}, "13"},
        {"data type empty text", {true, false, "", "", ""}, "13"},
    };
    for (const auto &[name, fields, expected] : cases) {
        QString mode;
        if (const int error = errorNumber([&] { mode = GetEditMode(fields); }))
            mode = QString::number(error);
        EXPECT_EQ(mode, QString::fromUtf8(expected)) << name;
    }
}

TEST(ValueColumnSetupForMode, ButtonLockEditingAndSelection)
{
    // button, locked, editActive, refresh, selectWholeText; an empty mode, or one in another case,
    // is set up as "Edit".
    using F = std::array<bool, 5>;
    const F editor{true, true, false, true, false}, edit{false, false, true, false, true};
    const std::tuple<const char16_t *, bool, F> cases[] = {
        {u"List", true, editor},   {u"File", true, editor}, {u"Folder", true, editor},
        {u"Expression", true, editor}, {u"BYF", true, editor},
        {u"Locked", true, F{false, true, false, false, false}}, {u"Edit", true, edit},
        {u"Edit", false, F{false, false, true, false, false}}, {u"", true, edit},
        {u"locked", true, edit},   {u"list", true, edit},
    };
    for (const auto &[mode, selectText, flags] : cases) {
        const ValueColumnSetup s = ValueColumnSetupForMode(mode, selectText);
        EXPECT_EQ((F{s.button, s.locked, s.editActive, s.refresh, s.selectWholeText}), flags)
            << QStringView(mode).toString().toStdString() << selectText;
    }
}

TEST(PlaceDropDownList, DirectionHeightAndTop)
{
    constexpr double h = 240;
    constexpr auto down = ListDirection::DropsDown, up = ListDirection::PopsUp;
    // Row top and grid height (rows below: (gridHeight - rowTop) / h; above: rowTop / h + 1),
    // items; the direction, the list's height and top in row heights from the grid's top.
    const std::tuple<const char *, double, double, int, ListDirection, double, double> cases[] = {
        {"10 below, 3 items: items + 1 high", 0, 10 * h, 3, down, 4, 0},
        {"10 below, 10 items fit", 0, 10 * h, 10, down, 11, 0},
        {"10 below, 11 items: as high as the room", 0, 10 * h, 11, down, 10, 0},
        {"6 below: drops down", 20 * h, 26 * h, 30, down, 6, 20},
        {"5.5 below, 5 above: a part row does not count", 4 * h, 9.5 * h, 20, up, 5, 0},
        {"2 below, 8 above, 20 items: pops up", 7 * h, 9 * h, 20, up, 8, 0},
        {"2 below, 8 above, 3 items: bottom on the row's", 7 * h, 9 * h, 3, up, 4, 4},
        {"3 below, 3 above: pops up", 2 * h, 5 * h, 20, up, 3, 0},
        {"4 below, 3 above: drops down", 2 * h, 6 * h, 20, down, 4, 2},
        {"row top between rows: 2 below, 2 above", 1.5 * h, 3.5 * h, 9, up, 2, 0.5},
    };
    for (const auto &[name, rowTop, gridHeight, items, direction, rows, top] : cases) {
        const ListPlacement p = PlaceDropDownList({h, rowTop, 100, gridHeight, 7, 9}, items);
        EXPECT_EQ(std::tuple(p.direction, p.left, p.width, p.height, p.top),
                  std::tuple(direction, 7.0, 9.0, rows * h, 100 + top * h)) << name;
    }
    EXPECT_EQ(test::errorOf([] { PlaceDropDownList({0, 0, 0, 2400, 0, 0}, 3); }),
              "11: Division by zero");
}

TEST(NextRow, StepsWithinTheVisibleRowsAndWrapsToTheTopOne)
{
    // Current row (from the first visible), visible rows, first visible, row count; the step.
    const std::tuple<const char *, GridRows, int, int> cases[] = {
        {"Tab on row 0 of 5 visible", {0, 5, 0, 20}, 1, 1},
        {"last visible row wraps", {4, 5, 0, 20}, 0, 0},
        {"scrolled: next to last goes to the last", {3, 5, 10, 20}, 4, 14},
        {"scrolled: wraps to the top visible row", {4, 5, 10, 20}, 0, 10},
        {"no current row", {-1, 5, 10, 20}, 0, 10},
        {"current row above the view", {-3, 5, 10, 20}, 0, 10},
        {"current row below the view", {7, 5, 10, 20}, 0, 10},
        {"last table row with room below wraps", {1, 10, 18, 20}, 0, 18},
        {"empty table: no step", {-1, 5, 0, 0}, -1, -1},
    };
    for (const auto &[name, grid, row, tableRow] : cases) {
        // Only GotoNextRow brings the new current cell into view.
        const RowStep key = NextRowOnTabOrEnter(grid), call = NextRowOnGotoNextRow(grid);
        EXPECT_EQ(std::tuple(key.row, key.tableRow, key.makeVisible, call.row, call.tableRow,
                             call.makeVisible),
                  std::tuple(row, tableRow, false, row, tableRow, row >= 0)) << name;
    }
}

TEST(UnitCodeFromName, ExactNamesOnly)
{
    // The codes are numbers shared with the attribute objects, so they are spelled out here.
    const std::pair<const char *, UnitCode> cases[] = {
        {"mm", 0}, {"m", 1}, {"inch", 2}, {"in", 2}, {"\"", 2}, {"ft", 3}, {"'", 3}, {"C", 4},
        {"F", 5}, {"K", 6}, {"hr", 7}, {"min", 8}, {"s", 9}, {"g", 10}, {"kg", 11}, {"oz", 12},
        {"lb", 13},
        // Other case, padding, longer or shorter spellings and look-alike marks name no unit.
        {"", 16}, {"MM", 16}, {"c", 16}, {"Ft", 16}, {" m", 16}, {"mm ", 16}, {"inches", 16},
        {"lbs", 16}, {"\u201d", 16},
    };
    for (const auto &[name, code] : cases)
        EXPECT_EQ(UnitCodeFromName(QString::fromUtf8(name)), code) << '"' << name << '"';
}

TEST(RoundForDisplay, BandsHalfEvenScientificAndUnitDecimals)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double max = std::numeric_limits<double>::max();
    const std::tuple<const char *, Variant, int, Variant> cases[] = {
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
    const test::ScopedLocale german(test::deDE); // scientific text in the locale's decimal sign
    EXPECT_EQ(RoundForDisplay(-0.005, 1), Variant("-5,00E-03"));
}

TEST(ParseEnteredValue, ByDataType)
{
    const Variant null = Variant::null();
    const std::tuple<const char *, Variant, std::int32_t, Variant, Variant, const char16_t *>
        cases[] = {
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
            };
    for (const auto &[name, text, dataType, displayUnits, value, units] : cases) {
        const ParsedValue parsed = ParseEnteredValue(text, dataType, displayUnits);
        EXPECT_EQ(parsed.value, value) << name;
        EXPECT_EQ(parsed.units, QString::fromUtf16(units)) << name;
    }
    EXPECT_EQ(errorNumber([&] { ParseEnteredValue("1", adtText, null); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorNumber([] { ParseEnteredValue("3e10", adtInteger, ""); }), Error::Overflow);
    EXPECT_EQ(errorNumber([] { ParseEnteredValue("yes", adtBoolean, ""); }), Error::TypeMismatch);
    // "." still separates decimals in a decimal-comma locale; a number is not read from "12,5".
    const test::ScopedLocale german(test::deDE);
    EXPECT_EQ(ParseEnteredValue("12.5 ft", adtReal, "mm").units, u"ft");
    EXPECT_EQ(ParseEnteredValue("12,5", adtReal, "mm").value, Variant(12.0));
    EXPECT_EQ(ParseEnteredValue(12.5, adtReal, "mm").value, Variant(12.5));
    EXPECT_EQ(ParseEnteredValue(13.5, adtInteger, "").value, Variant(14));
}
