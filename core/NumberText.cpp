#include "core/NumberText.h"

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

DecimalDigits decimalDigits(double value, int significant)
{
    significant = std::clamp(significant, 1, 17);
    const double magnitude = std::abs(value);
    std::array<char, 32> buffer{};
    const auto scientific = [&](auto... precision) {
        const char *end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                        std::chars_format::scientific, precision...)
                              .ptr;
        return std::string_view(buffer.data(), std::size_t(end - buffer.data()));
    };
    // The shortest text that reads back as the value is cheap. For a normal value with no more
    // digits than asked for, up to 15, it is the rounding already: the value lies within a
    // tenth of a unit in the 15th digit of it. Longer texts, and subnormal values, which hold
    // fewer digits than that, are rounded explicitly.
    std::string_view text = scientific();
    std::size_t e = text.find('e');
    const std::size_t shortestDigits = e > 1 ? e - 1 : 1; // "d" or "d.ddd"
    const bool normal = magnitude == 0.0 || magnitude >= std::numeric_limits<double>::min();
    if (significant > 15 || !normal || shortestDigits > std::size_t(significant)) {
        text = scientific(significant - 1);
        e = text.find('e');
    }

    DecimalDigits result;
    result.negative = value < 0;
    for (char c : text.substr(0, e))
        if (c != '.') result.digits[std::size_t(result.count++)] = c;
    while (result.count < significant)
        result.digits[std::size_t(result.count++)] = '0';
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(),
                    result.exponent);
    return result;
}

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
    // The separator is read once per locale: building it for every number costs more than the
    // conversion itself in a large load. The default locale can change at any time, so the
    // cache is keyed on it.
    thread_local QLocale cachedLocale;
    thread_local QChar cachedSeparator = u'\0';
    const QLocale current;
    if (cachedSeparator == u'\0' || !(current == cachedLocale)) {
        const QString point = current.decimalPoint();
        cachedLocale = current;
        cachedSeparator = point.isEmpty() ? QChar(u'.') : point.front();
    }
    return numberToText(value, cachedSeparator);
}

QString numberToText(double value, QChar decimalSeparator)
{
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (value == 0.0) return QStringLiteral("0");

    const DecimalDigits decimal = decimalDigits(value, 15);
    const auto &digits = decimal.digits;
    const int exponent = decimal.exponent;
    auto digitCount = std::size_t(decimal.count);
    while (digitCount > 1 && digits[digitCount - 1] == '0')
        --digitCount;

    // At most: sign, "0.", 4 zeros and 15 digits; or sign, 15 digits and "E+308".
    std::array<char16_t, 32> out{};
    std::size_t n = 0;
    const auto put = [&](char16_t c) { out[n++] = c; };
    const auto putDigits = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            put(char16_t(digits[i]));
    };
    if (value < 0) put(u'-');
    if (exponent >= 15 || exponent < -4) {
        put(char16_t(digits[0]));
        if (digitCount > 1) {
            put(decimalSeparator.unicode());
            putDigits(1, digitCount);
        }
        put(u'E');
        put(exponent < 0 ? u'-' : u'+');
        const int magnitude = std::abs(exponent);
        if (magnitude >= 100) put(char16_t(u'0' + magnitude / 100));
        put(char16_t(u'0' + magnitude / 10 % 10));
        put(char16_t(u'0' + magnitude % 10));
    } else if (exponent >= 0) {
        const auto integerDigits = std::size_t(exponent) + 1;
        putDigits(0, std::min(digitCount, integerDigits));
        for (std::size_t i = digitCount; i < integerDigits; ++i)
            put(u'0');
        if (digitCount > integerDigits) {
            put(decimalSeparator.unicode());
            putDigits(integerDigits, digitCount);
        }
    } else {
        put(u'0');
        put(decimalSeparator.unicode());
        for (int i = 0; i < -exponent - 1; ++i)
            put(u'0');
        putDigits(0, digitCount);
    }
    return QString(reinterpret_cast<const QChar *>(out.data()), qsizetype(n));
}

} // namespace tabulon::platform
