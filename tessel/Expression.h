#pragma once

#include "../core/Variant.h"
#include "Export.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <span>

namespace tessel {

// What evaluation reads from outside the expression: the clock (Date, Now, Time, Timer) and a
// seeded random source (Rnd), so that both can be fixed in tests and demos.
class TESSEL_EXPORT Environment
{
public:
    static constexpr std::uint32_t defaultSeed = 20240611;

    Environment();

    // The current local date and time; the system clock unless setClock() replaced it.
    QDateTime now() const;
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Restarts the random sequence.
    void seed(std::uint32_t seed);
    // The next random number, at least 0 and below 1.
    double nextRandom();
    // The number nextRandom() gave last (the first of the sequence before any call).
    double lastRandom() const { return m_last; }

private:
    std::function<QDateTime()> m_clock;
    std::mt19937 m_random;
    double m_last = 0;
};

struct Program; // the parsed expression; private to Expression.cpp

// A parsed attribute expression, ready to be evaluated any number of times. The language, the
// functions and the limits are listed in docs/tessel-json.md.
//
// Every failure throws platform::Error with the number Error::NotAvailable and a description
// that quotes the expression and says what is wrong (and where, for syntax errors).
class TESSEL_EXPORT Expression
{
public:
    // The longest expression text accepted.
    static constexpr qsizetype maxTextLength = 8192;
    // The longest text an expression may produce.
    static constexpr qsizetype maxResultLength = 65536;
    // How deeply parentheses, function calls and signs may nest.
    static constexpr int maxNesting = 100;

    // Answered by the ScriptEngine functions.
    static constexpr const char16_t *engineName = u"tessel";
    static constexpr int engineMajorVersion = 2;
    static constexpr int engineMinorVersion = 0;
    static constexpr int engineBuildVersion = 14;

    // The value of the attribute named by a reference; throws when there is none.
    using Resolver = std::function<tabulon::platform::Variant(const QString &name)>;

    // Parses text; throws on the first syntax error, unknown function or wrong argument count.
    explicit Expression(const QString &text);
    ~Expression();
    Expression(Expression &&) noexcept;
    Expression &operator=(Expression &&) noexcept;

    const QString &text() const;
    // The names referenced, each once, in order of first appearance.
    const QStringList &references() const;
    // True when the result may change without any input changing (clock or random functions).
    bool isVolatile() const;

    // Evaluates with values[i] as the value of references()[i].
    tabulon::platform::Variant evaluate(std::span<const tabulon::platform::Variant> values,
                                        Environment &environment) const;
    // Evaluates with each reference resolved by `resolve`, once per name.
    tabulon::platform::Variant evaluate(const Resolver &resolve, Environment &environment) const;

    // Parses and evaluates in one step, in a fresh environment.
    static tabulon::platform::Variant evaluate(const QString &text, const Resolver &resolve);

    // The description of an expression error: "Cannot evaluate "text": what". Long texts are
    // cut, so that a message stays readable.
    static QString errorText(const QString &text, const QString &what);

private:
    std::unique_ptr<const Program> m_program;
};

} // namespace tessel
