#include "tessel/Expression.h"

#include "TesselTest.h"

#include <QHash>

#include <utility>

namespace {

using tabulon::platform::Error;
using tabulon::platform::Variant;
using tessel::Expression;

Variant lookup(const QString &name)
{
    static const QHash<QString, Variant> values = {
        {"L", 10.0}, {"N", 3}, {"Flag", true}, {"Name", "pump"}, {"Odd name!", 1.5}};
    if (!values.contains(name)) throw Error(Error::ItemNotFound, "test", "no " + name);
    return values.value(name);
}

TEST(TesselExpression, Evaluates)
{
    const std::pair<const char *, Variant> cases[] = {
        // clang-format off
        {"1 + 2 * 3", 7.0}, {"(1 + 2) * 3", 9.0}, {"-2^2", -4.0}, {"2^-1", 0.5}, {"2^3^2", 64.0},
        {"10 - 4 - 3", 3.0}, {"8 / 2 / 2", 2.0}, {".5 + 1e1", 10.5}, {"[L] * 2", 20.0},
        {"$L$ / 4 + [N]", 5.5}, {"[Flag]", -1.0}, {"[Odd name!] * 2", 3.0},
        {"True + False + 1", 0.0}, {"\"a\" & 1.5", "a1.5"},
        {"[Name] & \"-\" & [N]", "pump-3"}, {"\"say \"\"hi\"\"\"", "say \"hi\""},
        {"\"2\" * 3", 6.0}, {"Round(2.5)", 2.0}, {"round(3.14159, 2)", 3.14},
        {"Abs(-3) + Sgn(-2)", 2.0}, {"Int(-1.5) + Fix(-1.5)", -3.0}, {"Sqr(16)", 4.0},
        {"Len(\"abc\")", 3.0}, {"Mid(\"pump\", 2, 2)", "um"},
        {"UCase(Left([Name], 2))", "PU"}, {"Trim(\"  x \")", "x"},
        {"CInt(2.5) + CDbl(\"1\")", 3.0},
        // clang-format on
    };
    for (const auto &[text, result] : cases)
        EXPECT_EQ(Expression::evaluate(QString::fromUtf8(text), lookup), result) << text;
}

TEST(TesselExpression, ReportsErrors)
{
    const QString deep = QString(300, u'(') + u'1' + QString(300, u')');
    QString longSum = QStringLiteral("1");
    for (int i = 0; i < 1500; ++i)
        longSum += QStringLiteral("+1");
    const std::pair<QString, const char *> cases[] = {
        {"", "expected a value at column 1"},
        {"1 +", "expected a value at column 4"},
        {"(1", "expected \")\" at column 3"},
        {"1 2", "unexpected \"2\" at column 3"},
        {"1 # 2", "unexpected \"#\" at column 3"},
        {"[L", "the reference has no closing \"]\" at column 1"},
        {"2 * []", "the reference names no attribute at column 5"},
        {"\"open", "unterminated text at column 1"},
        {"1e+", "the number has no exponent digits at column 4"},
        {"Length * 2",
         "unknown name \"Length\"; write a reference to an attribute as [Length] at column 1"},
        {"Abs()", "Abs takes 1 argument, not 0 at column 1"},
        {"Mid(\"a\")", "Mid takes 2 or 3 arguments, not 1 at column 1"},
        {"1 / (2 - 2)", "division by zero"},
        {"\"steel\" * 2", "\"steel\" is not a number"},
        {"Sqr(-1)", "the result is not a finite number"},
        {"10 ^ 400", "the result is not a finite number"},
        {"Left(\"ab\", -1)", "a length cannot be negative"},
        {deep, "the expression is nested too deeply at column 201"},
        {longSum, "the expression is too long at column 2002"},
    };
    for (const auto &[text, what] : cases)
        tessel::test::expectError([&] { Expression::evaluate(text, lookup); }, Error::NotAvailable,
                                  QStringLiteral("Cannot evaluate \"%1\": %2").arg(text, what));

    tessel::test::expectError([] { Expression::evaluate("Now() + 1", lookup); },
                              Error::NotAvailable,
                              "Expression evaluation is not available for \"Now() + 1\": the "
                              "function Now is not supported");
    // The resolver's own errors pass through unchanged.
    tessel::test::expectError([] { Expression::evaluate("[Nope]", lookup); }, Error::ItemNotFound,
                              "no Nope");
}

TEST(TesselExpression, ReferencesInOrderOfFirstUse)
{
    EXPECT_EQ(Expression("[A] + $B$ * Abs([A]) & [C]").references(), QStringList({"A", "B", "C"}));
}

} // namespace
