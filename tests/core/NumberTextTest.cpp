#include "core/NumberText.h"

#include <gtest/gtest.h>

#include "tests/support/ScopedLocale.h"

#include <limits>
#include <tuple>
#include <utility>

namespace {

using tabulon::platform::numberToText;
using tabulon::platform::readNumber;

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(NumberText, ReadNumber)
{
    // The text, the number read from it, how many characters belong to the number.
    const std::tuple<const char16_t *, double, qsizetype> cases[] = {
        // clang-format off
        {u"", 0, 0}, {u"abc", 0, 0}, {u"  42", 42, 4}, {u"12.5 ft", 12.5, 4},
        {u"12.50 ft", 12.5, 5}, {u"12.5FT", 12.5, 4}, {u"1 2 3", 123, 5},
        {u" -\t1\n2.\r5", -12.5, 9}, {u"+7", 7, 2}, {u"-", 0, 0}, {u"+-1", 0, 0}, {u".", 0, 0},
        {u"-.5x", -0.5, 3}, {u"1.", 1, 2}, {u"1.2.3", 1.2, 3}, {u"1,5", 1, 1}, {u"1E-2", 0.01, 4},
        {u"2.5e+2mm", 250, 6}, {u"1 e 3", 1000, 5}, {u"1D2", 100, 3}, {u"1e", 1, 1},
        {u"1e+", 1, 1}, {u"1e3e4", 1000, 3}, {u"007", 7, 3}, {u"-1e400", -inf, 6},
        {u"1e-400", 0, 6}, {u"1e99999999999999999999", inf, 22}, {u"0e99999999999999999999", 0, 22},
        // clang-format on
    };
    for (const auto &[text, value, length] : cases) {
        const QString s = QString::fromUtf16(text);
        qsizetype consumed = -1;
        EXPECT_EQ(readNumber(s, &consumed), value) << s.toStdString();
        EXPECT_EQ(consumed, length) << s.toStdString();
    }
    EXPECT_EQ(readNumber(QString(400, u'9')), inf);
    EXPECT_EQ(readNumber(QStringLiteral("0.") + QString(400, u'0') + u'1'), 0.0);
    const tabulon::test::ScopedLocale german(tabulon::test::deDE);
    EXPECT_EQ(readNumber(u"1.5"), 1.5);
}

TEST(NumberText, NumberToText)
{
    const std::pair<double, const char *> cases[] = {
        // clang-format off
        {0, "0"}, {-0.0, "0"}, {-2.5, "-2.5"}, {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {1234.5679, "1234.5679"}, {100, "100"},
        {999999999999999.0, "999999999999999"}, {999999999999999.9, "1E+15"},
        {1.5e20, "1.5E+20"}, {-2.5e15, "-2.5E+15"},
        {1.23456789012345678e100, "1.23456789012346E+100"},
        {0.0001, "0.0001"}, {0.00012, "0.00012"}, {0.0000999, "9.99E-05"}, {1e-7, "1E-07"},
        {-1.5e-300, "-1.5E-300"}, {5e-324, "4.94065645841247E-324"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {inf, "Infinity"}, {-inf, "-Infinity"},
        // clang-format on
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(numberToText(value), QString::fromUtf8(text)) << text;
    EXPECT_EQ(numberToText(1.5e20, u','), u"1,5E+20");
    const tabulon::test::ScopedLocale german(tabulon::test::deDE);
    EXPECT_EQ(numberToText(-1234567.25), u"-1234567,25"); // never group separators
}

TEST(NumberText, DecimalDigits)
{
    const std::tuple<double, int, const char *, int> cases[] = {
        // clang-format off
        {0.5, 1, "5", -1}, {-2.5, 1, "2", 0}, {9.96, 2, "10", 1}, {0.0, 3, "000", 0},
        {1.0 / 3, 15, "333333333333333", -1}, {0.1, 17, "10000000000000001", -1},
        {5e-324, 3, "494", -324}, {1.7976931348623157e308, 17, "17976931348623157", 308},
        // clang-format on
    };
    for (const auto &[value, significant, digits, exponent] : cases) {
        const auto decimal = tabulon::platform::decimalDigits(value, significant);
        EXPECT_EQ(decimal.text(), digits) << value;
        EXPECT_EQ(decimal.exponent, exponent) << value;
        EXPECT_EQ(decimal.negative, value < 0) << value;
    }
}

} // namespace
