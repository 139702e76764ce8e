#include "platform/NumberText.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tabulon::platform {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Exponents beyond this are out of range for a double whatever the digits; clamping keeps the
// accumulated exponent from overflowing on absurd inputs.
constexpr int exponentClamp = 100000;

} // namespace

double readNumber(QStringView text, qsizetype *consumed)
{
    // The accepted characters are copied, blanks dropped, into a plain ASCII number text that
    // from_chars reads independently of any locale.
    std::string number;
    qsizetype end = 0; // just past the last character that belongs to the number
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };

    bool negative = false;
    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    bool anyDigit = false;
    int integerDigits = 0;        // significant digits before the point
    int leadingFractionZeros = 0; // zeros after the point before the first significant digit
    bool seenSignificant = false;
    auto readDigits = [&](bool fraction) {
        for (;;) {
            skipBlanks();
            if (i >= n || !isDigit(text[i])) return;
            const char d = char(text[i].unicode());
            if (d != '0' || seenSignificant) {
                seenSignificant = true;
                if (!fraction) ++integerDigits;
            } else if (fraction) {
                ++leadingFractionZeros;
            }
            number.push_back(d);
            anyDigit = true;
            end = ++i;
        }
    };

    readDigits(false);
    skipBlanks();
    if (i < n && text[i] == u'.') {
        number.push_back('.');
        ++i;
        if (anyDigit) end = i;
        readDigits(true);
    }
    if (!anyDigit) {
        if (consumed) *consumed = 0;
        return 0.0;
    }

    long exponent = 0;
    skipBlanks();
    if (i < n && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        ++i;
        skipBlanks();
        bool negativeExponent = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        bool exponentDigits = false;
        for (;;) {
            skipBlanks();
            if (i >= n || !isDigit(text[i])) break;
            exponent = std::min<long>(exponent * 10 + (text[i].unicode() - u'0'), exponentClamp);
            exponentDigits = true;
            end = ++i;
        }
        if (negativeExponent) exponent = -exponent;
        if (exponentDigits) {
            number.push_back('e');
            number += std::to_string(exponent);
        }
    }
    if (consumed) *consumed = end;

    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // The position of the first significant digit tells overflow from underflow.
        const long magnitude =
            exponent + (integerDigits > 0 ? integerDigits - 1 : -(leadingFractionZeros + 1));
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

QString numberToText(double value)
{
    const QString point = QLocale().decimalPoint();
    return numberToText(value, point.isEmpty() ? QChar(u'.') : point.front());
}

QString numberToText(double value, QChar decimalSeparator)
{
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (value == 0.0) return QStringLiteral("0");

    // Rounded to 15 significant digits: "d.dddddddddddddde±x", locale-independent.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, 14);
    const std::string_view scientific(buffer.data(), std::size_t(result.ptr - buffer.data()));
    const std::size_t ePos = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + ePos + 1 + (scientific[ePos + 1] == '+'),
                    scientific.data() + scientific.size(), exponent);

    std::string digits;
    for (char c : scientific.substr(0, ePos))
        if (c >= '0' && c <= '9') digits.push_back(c);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString text;
    if (value < 0) text += u'-';
    if (exponent >= 15 || exponent < -4) {
        text += QLatin1Char(digits[0]);
        if (digits.size() > 1) {
            text += decimalSeparator;
            text += QLatin1StringView(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        text += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) text += u'0';
        text += QString::number(magnitude);
    } else if (exponent >= 0) {
        const auto integerDigits = std::size_t(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += QLatin1StringView(digits.data(), qsizetype(digits.size()));
            text += QString(qsizetype(integerDigits - digits.size()), u'0');
        } else {
            text += QLatin1StringView(digits.data(), qsizetype(integerDigits));
            text += decimalSeparator;
            text += QLatin1StringView(digits.data() + integerDigits,
                                      qsizetype(digits.size() - integerDigits));
        }
    } else {
        text += u'0';
        text += decimalSeparator;
        text += QString(qsizetype(-exponent - 1), u'0');
        text += QLatin1StringView(digits.data(), qsizetype(digits.size()));
    }
    return text;
}

} // namespace tabulon::platform
