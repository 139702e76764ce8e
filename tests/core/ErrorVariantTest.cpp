#include "core/Error.h"
#include "core/Variant.h"

#include <gtest/gtest.h>

#include "tests/support/ScopedLocale.h"

#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

namespace {

using tabulon::platform::Error;
using tabulon::platform::Variant;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// What f returns as text, or "E<number>" for the Error it raises.
template <typename F> std::string attempt(F f)
{
    try {
        return Variant(f()).toText().toStdString();
    } catch (const Error &e) {
        return "E" + std::to_string(e.number());
    }
}

// Standard texts by number (a sample: they are one table), the source kept, and any
// exception's text.
TEST(Error, StandardDescriptionsAndAnyExceptionDescribed)
{
    const std::pair<int, const char *> cases[] = {
        {13, "Type mismatch"},
        {3021, "Either BOF or EOF is True, or the current record has been deleted. "
               "Requested operation requires a current record."},
        {-1, "Application-defined or object-defined error"},
    };
    for (const auto &[number, text] : cases) {
        const Error e = Error::standard(number, QStringLiteral("Src"));
        EXPECT_EQ(std::tuple(e.number(), e.source(), e.description()),
                  std::tuple(number, QStringLiteral("Src"), QString::fromUtf8(text)));
    }
    const Error error(7, QString(), QStringLiteral("Größe"));
    EXPECT_STREQ(error.what(), "Größe");
    EXPECT_EQ(tabulon::platform::describe(error), u"Größe");
    EXPECT_EQ(tabulon::platform::describe(std::runtime_error(error.what())), u"Größe");
}

TEST(Variant, RoundToInt32)
{
    const std::pair<double, const char *> cases[] = {
        // clang-format off
        {2.5, "2"}, {3.5, "4"}, {-2.5, "-2"}, {-3.5, "-4"}, {0.5, "0"}, {2.4999, "2"},
        {2.5001, "3"}, {-0.6, "-1"}, {2147483647.4, "2147483647"}, {2147483647.5, "E6"},
        {2147483648.0, "E6"}, {-2147483647.5, "-2147483648"}, {-2147483648.5, "-2147483648"},
        {-2147483648.6, "E6"}, {-2147483649.5, "E6"}, {nan, "E6"}, {inf, "E6"},
        // clang-format on
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(attempt([&] { return tabulon::platform::roundToInt32(in); }), out) << in;
}

TEST(Variant, Conversions)
{
    const struct
    {
        Variant in;
        const char *toBool, *toInt, *toDouble, *toString;
    } cases[] = {
        // clang-format off
        {Variant(),       "False", "0",   "0",   ""},
        {Variant::null(), "E94",   "E94", "E94", "E94"},
        {true,            "True",  "-1",  "-1",  "True"},
        {false,           "False", "0",   "0",   "False"},
        {-7,              "True",  "-7",  "-7",  "-7"},
        {2.5,             "True",  "2",   "2.5", "2.5"},
        {-3.5,            "True",  "-4",  "-3.5", "-3.5"},
        {0.1 + 0.2,       "True",  "0",   "0.3", "0.3"},
        {1e20,            "True",  "E6",  "1E+20", "1E+20"},
        {nan,             "True",  "E6",  "NaN", "NaN"},
        {" tRUE ",        "True",  "E13", "E13", " tRUE "},
        {"FALSE\t",       "False", "E13", "E13", "FALSE\t"},
        {" 3.5 ",         "True",  "4",   "3.5", " 3.5 "},
        {"0",             "False", "0",   "0",   "0"},
        {"-1e2",          "True",  "-100", "-100", "-1e2"},
        {"1,000",         "True",  "1000", "1000", "1,000"},
        {"2147483648",    "True",  "E6",  "2147483648", "2147483648"},
        {"1e400",         "E6",    "E6",  "E6",  "1e400"},
        {"12 ft",         "E13",   "E13", "E13", "12 ft"},
        {"",              "E13",   "E13", "E13", ""},
        {"inf",           "E13",   "E13", "E13", "inf"},
        {"Truex",         "E13",   "E13", "E13", "Truex"},
        // clang-format on
    };
    for (const auto &c : cases) {
        const std::string name = c.in.debugText().toStdString();
        EXPECT_EQ(attempt([&] { return c.in.toBool(); }), c.toBool) << name;
        EXPECT_EQ(attempt([&] { return c.in.toInt(); }), c.toInt) << name;
        EXPECT_EQ(attempt([&] { return c.in.toDouble(); }), c.toDouble) << name;
        EXPECT_EQ(attempt([&] { return c.in.toString(); }), c.toString) << name;
    }
    EXPECT_EQ(Variant::null().toText(), u"");
}

// A value tells a text by its header's address: texts of every origin, null and literal ones
// (which have no header) included, stay texts through copies, moves and reassignment.
TEST(Variant, TextsOfEveryOriginStayTexts)
{
    static const char16_t raw[] = u"raw";
    for (const QString &text : {QString(), QStringLiteral("literal"), QString::fromUtf8("heap"),
                                QString::fromRawData(reinterpret_cast<const QChar *>(raw), 3)}) {
        Variant v(text);
        const Variant copy = v;
        Variant taken = std::move(v);
        taken = 2.5;
        EXPECT_EQ(taken.debugText(), u"Double(2.5)");
        taken = copy;
        EXPECT_EQ(taken, Variant(text));
        EXPECT_TRUE(taken.isString() && taken.stringValue().isNull() == text.isNull());
    }
}

TEST(Variant, TextsInAnotherLocale)
{
    const tabulon::test::ScopedLocale german(tabulon::test::deDE);
    EXPECT_EQ(Variant("1,5").toDouble(), 1.5);
    EXPECT_EQ(Variant("2,5").toInt(), 2);
    EXPECT_EQ(Variant("1.5").toDouble(), 1.5);   // the C form is read first
    EXPECT_EQ(Variant("1,500").toDouble(), 1.5); // not 1500: no group separators in the C form
    EXPECT_EQ(Variant("1.500").toDouble(), 1.5); // not 1500: "." is no group separator here
    EXPECT_TRUE(Variant("0,1").toBool());
    EXPECT_EQ(Variant(2.5).toString(), u"2,5");
    EXPECT_EQ(Variant(2.5).debugText(), u"Double(2.5)");
}

} // namespace
