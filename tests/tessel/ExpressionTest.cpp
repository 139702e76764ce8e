#include "tessel/Expression.h"

#include "TesselTest.h"
#include "tests/support/ScopedLocale.h"

#include <QHash>

#include <utility>

namespace {

using tabulon::platform::Error;
using tabulon::platform::Variant;
using tessel::Environment;
using tessel::Expression;

Variant lookup(const QString &name)
{
    static const QHash<QString, Variant> values = {{"L", 10.0},          {"N", 3},
                                                   {"Flag", true},       {"Name", "pump"},
                                                   {"Odd name!", 1.5},   {"Nil", Variant::null()},
                                                   {"Blank", Variant()}, {"Day", "2024-02-29"}};
    if (!values.contains(name)) throw Error(Error::ItemNotFound, "test", "no " + name);
    return values.value(name);
}

// The result as Variant::debugText() shows it (Int(7), Double(0.5), String("a"), Bool(true)),
// or the error as "number: description"; the clock stands at Tuesday 11 June 2024, 14:30:05.
QString result(const QString &text)
{
    Environment e;
    e.setClock([] { return QDateTime(QDate(2024, 6, 11), QTime(14, 30, 5)); });
    try {
        return Expression(text).evaluate(lookup, e).debugText();
    } catch (const Error &error) {
        return QString::number(error.number()) + QStringLiteral(": ") + error.description();
    }
}

void expectResults(std::initializer_list<std::pair<const char *, const char *>> cases)
{
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(result(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
}

TEST(TesselExpression, OperatorsAndPrecedence)
{
    expectResults({
        // clang-format off
        {"1 + 2 * 3", "Int(7)"}, {"10 - 4 - 3", "Int(3)"}, {"8 / 2 / 2", "Double(2)"},
        {"-2^2", "Double(-4)"}, {"2^-1", "Double(0.5)"}, {"2^3^2", "Double(64)"},
        {".5 + 1e1", "Double(10.5)"}, {"-7 \\ 2", "Int(-3)"}, {"7.6 Mod 3", "Int(2)"},
        {"2 + 3 Mod 2 * 2", "Int(5)"}, {"1 + 2 & 3", "String(\"33\")"}, {"Not 1 = 2", "Bool(true)"},
        {"1 + 1 = 2 And 2 < 1", "Bool(false)"}, {"True Or False And False", "Bool(true)"},
        {"(True Xor True) & (False Eqv False) & (True Imp False)", "String(\"FalseTrueFalse\")"},
        {"(6 And 3) & (6 Or 3) & (Not 0)", "String(\"27-1\")"},
        {"(2 <> 2) & (3 >= 3) & (3 <= 2)", "String(\"FalseTrueFalse\")"},
        {"(\"a\" < \"b\") & (\"B\" = \"b\") & (\"10\" > 9) & (\"x\" > 9)",
         "String(\"TrueFalseTrueTrue\")"},
        {"\"a\" + \"b\"", "String(\"ab\")"}, {"\"2\" + 3", "Double(5)"},
        {"32767 + 1", "Int(32768)"}, {"2147483647 + 1", "Double(2147483648)"},
        {"&HFF + &O17", "Int(270)"}, {"&HFFFFFFFF", "Int(-1)"}, {"1e300 * 1e-300", "Double(1)"},
        {"#2024-06-11# + 1", "String(\"2024-06-12\")"},
        {"#2024-06-11# - #2024-06-01#", "Double(10)"}, {"$L$ / 4 + [N]", "Double(5.5)"},
        {"[Flag] + 1", "Int(0)"}, {"[Odd name!] * 2", "Double(3)"},
        {"[Name] & \"-\" & [N]", "String(\"pump-3\")"},
        {"\"say \"\"hi\"\"\"", "String(\"say \"hi\"\")"}, {"[Nil] + 1", "Null"},
        {"[Nil] & \"x\"", "String(\"x\")"}, {"[Nil] And False", "Bool(false)"},
        {"[Nil] Or True", "Bool(true)"}, {"[Blank] + 1", "Int(1)"},
        {"[Blank] & \"x\"", "String(\"x\")"}, {"Empty", "Empty"}, {"null", "Null"},
        {"true", "Bool(true)"},
        // clang-format on
    });
}

TEST(TesselExpression, Functions)
{
    expectResults({
        // clang-format off
        // Dates, with the clock at Tuesday 11 June 2024, 14:30:05.
        {"Date & \" \" & Time", "String(\"2024-06-11 14:30:05\")"}, {"Timer", "Double(52205)"},
        {"Day(Now()) + Month(Now) + Year(Now) & Hour(Now) & Minute(Now) & Second(Now)",
         "String(\"204114305\")"},
        {"DateAdd(\"m\", 1, #2024-01-31#)", "String(\"2024-02-29\")"},
        {"DateAdd(\"yyyy\", -1, [Day])", "String(\"2023-02-28\")"},
        {"DateAdd(\"h\", 30, #2024-06-11 12:00#)", "String(\"2024-06-12 18:00:00\")"},
        {"DateDiff(\"m\", #2023-12-31#, #2024-01-01#)", "Int(1)"},
        {"DateDiff(\"yyyy\", #2024-12-31#, #2024-01-01#)", "Int(0)"},
        {"DateDiff(\"ww\", #2024-06-08#, #2024-06-09#)", "Int(1)"},
        {"DateDiff(\"n\", #2024-06-11 10:59:59#, #2024-06-11 11:00:00#)", "Int(1)"},
        {"DateDiff(\"s\", #10:00#, #10:01:30#)", "Int(90)"},
        {"DatePart(\"q\", #2024-06-11#) & DatePart(\"y\", #2024-12-31#) & "
         "DatePart(\"w\", #2024-06-11#, 2)", "String(\"23662\")"},
        {"DatePart(\"ww\", #2024-01-01#) & DatePart(\"ww\", #2021-01-01#, 2, 2)",
         "String(\"153\")"},
        {"DateSerial(2024, 14, 0)", "String(\"2025-01-31\")"},
        {"DateSerial(24, 2, 29)", "String(\"2024-02-29\")"},
        {"DateValue(\"2024-06-11 14:30\") & \" \" & TimeValue(\"2024-06-11 14:30\")",
         "String(\"2024-06-11 14:30:00\")"},
        {"TimeSerial(25, -1, 30)", "String(\"1899-12-31 00:59:30\")"},
        {"IsDate(\"2024-02-30\") & IsDate([Day]) & IsDate(45000)", "String(\"FalseTrueFalse\")"},
        {"MonthName(2) & MonthName(12, True)", "String(\"FebruaryDec\")"},
        {"Weekday(#2024-06-11#) & Weekday(#2024-06-11#, 3)", "String(\"31\")"},
        {"WeekdayName(1) & WeekdayName(1, True, 2)", "String(\"SundayMon\")"},
        // Conversions.
        {"Asc(\"A\") + Asc(\"\u00e9\")", "Int(298)"},
        {"CBool(\"false\") Or CBool(2)", "Bool(true)"},
        {"CByte(254.5) & TypeName(CByte(1))", "String(\"254Byte\")"},
        {"CCur(1.23456)", "Double(1.2346)"}, {"TypeName(CCur(1) + 1)", "String(\"Currency\")"},
        {"CDate(\"2024-06-11\") + 0.5", "String(\"2024-06-11 12:00:00\")"},
        {"Chr(65) & Chr(8364)", "String(\"A\u20ac\")"},
        {"CInt(2.5) + CInt(3.5)", "Int(6)"}, {"CLng(-2.5)", "Int(-2)"},
        {"CSng(0.1) = 0.1", "Bool(false)"}, {"CStr(1.5) & CStr(True)", "String(\"1.5True\")"},
        {"Hex(255) & \" \" & Hex(-1) & \" \" & Hex(-70000)", "String(\"FF FFFF FFFEEE90\")"},
        {"Oct(8) & Oct(-1)", "String(\"10177777\")"},
        // Formats, in the pinned en_US locale.
        {"FormatNumber(1234.567) & \" \" & FormatNumber(-0.5, 1, 0, -1, 0) & \" \" & "
         "FormatNumber(-0.001, 2)", "String(\"1,234.57 (.5) 0.00\")"},
        {"FormatCurrency(-1234.5) & \" \" & FormatPercent(0.256, 1)",
         "String(\"-$1,234.50 25.6%\")"},
        {"FormatDateTime(#2024-06-11#, 1)", "String(\"Tuesday, June 11, 2024\")"},
        {"FormatDateTime(#2024-06-11 14:30#, 4)", "String(\"14:30\")"},
        // Maths.
        {"Abs(-3) + Sgn(-2)", "Int(2)"}, {"Int(-1.5) + Fix(-1.5)", "Double(-3)"},
        {"Round(2.5) & Round(3.5) & Round(-2.5)", "String(\"24-2\")"},
        {"round(3.14159, 2)", "Double(3.14)"}, {"Round(1e300, 15)", "Double(1E+300)"},
        {"(Rnd(-1) = Rnd(-1)) & (Rnd(0) = Rnd(0))", "String(\"TrueTrue\")"},
        {"Rnd() < 1 And Rnd() >= 0", "Bool(true)"},
        // Texts.
        {"InStr(\"pump\", \"m\") & InStr(3, \"papa\", \"p\") & InStr(1, \"AB\", \"b\", 1)",
         "String(\"332\")"},
        {"InStr(\"abc\", \"\") & InStr(\"abc\", \"x\")", "String(\"10\")"},
        {"InStrRev(\"papa\", \"p\") & InStrRev(\"papa\", \"p\", 2) & InStrRev(\"papa\", \"x\")",
         "String(\"310\")"},
        {"Left(\"pump\", 2) & Right(\"pump\", 3) & Left(\"ab\", 9)", "String(\"puumpab\")"},
        {"Len(\"abc\") + Len(12.5)", "Int(7)"}, {"Len([Nil])", "Null"},
        {"Mid(\"pump\", 2, 2) & Mid(\"pump\", 3)", "String(\"ummp\")"},
        {"\"[\" & LTrim(\"  a \") & RTrim(\" a  \") & Trim(\"  x \") & Space(2) & \"]\"",
         "String(\"[a  ax  ]\")"},
        {"Replace(\"a-b-c\", \"-\", \"+\") & Replace(\"a-b-c\", \"-\", \"\", 3, 1) & "
         "Replace(\"aAa\", \"a\", \"x\", 1, -1, 1)", "String(\"a+b+cbcxxx\")"},
        {"StrComp(\"a\", \"b\") & StrComp(\"B\", \"b\", 1) & StrComp(\"b\", \"a\")",
         "String(\"-101\")"},
        {"String(3, \"xy\") & String(2, 65)", "String(\"xxxAA\")"},
        // Miscellaneous.
        {"IsNumeric(\"1e3\") & IsNumeric(\"x\") & IsNumeric(Date)", "String(\"TrueFalseFalse\")"},
        {"TypeName(1) & TypeName(70000) & TypeName(1.0) & TypeName(\"\") & TypeName(Date) & "
         "TypeName(True) & TypeName(Null) & TypeName(Empty) & TypeName(CSng(1))",
         "String(\"IntegerLongDoubleStringDateBooleanNullEmptySingle\")"},
        // clang-format on
    });
}

TEST(TesselExpression, ReportsErrors)
{
    const QString years = "overflow: the date lies outside the years 100 to 9999";
    const std::pair<QString, QString> cases[] = {
        // clang-format off
        // Syntax.
        {"", "expected a value at column 1"},
        {"(1", "expected \")\" instead of the end at column 3"},
        {"1 # 2", "unexpected \"#\" at column 3"}, {"1 Not 2", "unexpected \"Not\" at column 3"},
        {"#2024", "the date has no closing \"#\" at column 1"},
        {"#soon#", "#soon# is not a date at column 1"}, {"\"open", "unterminated text at column 1"},
        {"[L", "the reference has no closing \"]\" at column 1"},
        {"2 * []", "the reference names no attribute at column 5"},
        {"1e+", "the number has no exponent digits at column 4"},
        {"1e999", "the number is too large at column 1"},
        {"&HFFFFFFFFF", "&HFFFFFFFFF is not a 32-bit hexadecimal number at column 1"},
        {"Length * 2",
         "unknown name \"Length\"; write a reference to an attribute as [Length] at column 1"},
        {"Frobnicate(1)", "unknown function \"Frobnicate\" at column 1"},
        {"Abs()", "Abs takes 1 argument, not 0 at column 1"},
        {"Mid(\"a\")", "Mid takes 2 or 3 arguments, not 1 at column 1"},
        {"Abs(1, 2", "expected \",\" or \")\" instead of the end at column 9"},
        {QString(150, u'(') + u'1' + QString(150, u')'),
         "the expression nests more than 100 levels deep at column 101"},
        {QString(Expression::maxTextLength + 1, u'1'),
         "the expression is 8193 characters long; the limit is 8192"},
        // Evaluation.
        {"1 / (2 - 2)", "division by zero: 1 / 0"}, {"5 Mod 0", "division by zero: 5 Mod 0"},
        {"0 ^ -1", "division by zero: 0 ^ -1"},
        {"[Name] * 2", "type mismatch: \"pump\" is not a number"},
        {"CBool([Name])", "CBool: type mismatch: \"pump\" is not True or False"},
        {"1e300 * 1e300", "overflow: 1E+300 * 1E+300 is too large"},
        {"10 ^ 400", "overflow: 10 ^ 400 is too large"},
        {"(-8) ^ (1 / 3)", "-8 ^ 0.333333333333333 is not a real number"},
        {"Exp(1000)", "Exp: overflow: the result is too large"},
        {"Sqr(-1)", "Sqr: the square root needs a number of 0 or more, not -1"},
        {"Log(0)", "Log: the logarithm needs a number above 0, not 0"},
        {"CInt(40000)",
         "CInt: overflow: 40000 is outside the range of a Integer (-32768 to 32767)"},
        {"CDate(\"soon\")", "CDate: type mismatch: \"soon\" is not a date"},
        {"CDbl([Nil])", "CDbl: invalid use of Null: a number is needed"},
        {"DateAdd(\"x\", 1, Date)", "DateAdd: \"x\" is not an interval; use \"yyyy\", \"q\", "
         "\"m\", \"y\", \"d\", \"w\", \"ww\", \"h\", \"n\" or \"s\""},
        {"DateAdd(\"yyyy\", 9000, Date)", "DateAdd: " + years}, {"#9999-12-31# + 1", years},
        {"Mid(\"ab\", 0)", "Mid: the second argument must be from 1 to 2147483647, not 0"},
        {"Asc(\"\")", "Asc: the text is empty"},
        {"Chr(55296)", "Chr: 55296 is half of a surrogate pair, not a character"},
        {"Round(1, 16)", "Round: the second argument must be from 0 to 15, not 16"},
        {"InStrRev(\"a\", \"a\", 0)", "InStrRev: the start must be 1 or more, or -1 for the end"},
        {"SetLocale(1031)", "SetLocale: expressions cannot change the application's locale"},
        {"Space(70000)",
         "Space: the text result would be 70000 characters long; the limit is 65536"},
        {"String(40000, \"a\") & String(40000, \"b\")",
         "the text result would be 80000 characters long; the limit is 65536"},
        {"Replace(String(300, \"a\"), \"a\", String(300, \"b\"))",
         "Replace: the text result would be 90000 characters long; the limit is 65536"},
        // clang-format on
    };
    const QString notAvailable = QString::number(Error::NotAvailable) + QStringLiteral(": ");
    for (const auto &[text, what] : cases)
        EXPECT_EQ(result(text), notAvailable + Expression::errorText(text, what));

    // A long flat expression is no deep one; a text may reach the limit; long texts are cut in
    // messages; the resolver's own errors pass through unchanged.
    EXPECT_EQ(result(u'1' + QStringLiteral("+1").repeated(2000)), "Int(2001)");
    EXPECT_EQ(result("Len(Space(65535) & \"x\")"), "Int(65536)");
    EXPECT_EQ(Expression::errorText(QString(300, u'x'), "bad"),
              "Cannot evaluate \"" + QString(200, u'x') + "...\": bad");
    EXPECT_EQ(result("[Nope]"), QString::number(Error::ItemNotFound) + QStringLiteral(": no Nope"));
}

TEST(TesselExpression, ReferencesVolatilityAndTheSeed)
{
    const Expression e("[A] + $B$ * Abs([A]) & [C]");
    EXPECT_EQ(e.references(), QStringList({"A", "B", "C"}));
    EXPECT_FALSE(e.isVolatile());
    EXPECT_TRUE(Expression("1 + Rnd").isVolatile() && Expression("Year(Now())").isVolatile());

    // The same seed gives the same sequence.
    Environment a, b;
    const Expression rnd("Rnd()");
    const Variant first = rnd.evaluate(lookup, a);
    EXPECT_EQ(rnd.evaluate(lookup, b), first);
    EXPECT_NE(rnd.evaluate(lookup, a), first);
    b.seed(Environment::defaultSeed);
    EXPECT_EQ(rnd.evaluate(lookup, b), first);
}

TEST(TesselExpression, OtherLocaleReadsAndWritesItsOwnWay)
{
    const tabulon::test::ScopedLocale german(tabulon::test::deDE);
    expectResults({{"1.5 & \"\"", "String(\"1,5\")"}, {"\"1,5\" * 2", "Double(3)"},
                   {"FormatNumber(1234.5)", "String(\"1.234,50\")"},
                   {"MonthName(3)", "String(\"M\u00e4rz\")"}});
}

} // namespace
