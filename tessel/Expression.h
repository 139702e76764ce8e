#pragma once

#include "../core/Variant.h"
#include "Export.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tessel {

struct ExpressionNode; // the parsed tree; private to Expression.cpp

// A parsed attribute expression. The language:
//   numbers           12, 2.5, .5, 1e3 (always "." as the decimal separator)
//   texts             "steel" (a doubled "" inside stands for one quote)
//   True, False       -1 and 0
//   references        [Name] or $Name$: the value of the attribute of that name
//   operators         unary - and +, ^, * and /, + and -, & (joins texts); usual precedence,
//                     -2^2 is -4
//   parentheses
//   functions         Abs Atn Cos Exp Fix Int Log Sgn Sin Sqr Tan Round CDbl CInt CStr
//                     Len LCase UCase Trim LTrim RTrim Left Right Mid (names in any case)
// Arithmetic works on doubles; a text operand must read as a number. The result is a double
// or, for &, and the text functions, a text.
//
// Every failure throws platform::Error with the number Error::NotAvailable and a description
// that quotes the expression and says what is wrong (and where, for syntax errors). Errors
// thrown by the resolver pass through unchanged.
class TESSEL_EXPORT Expression
{
public:
    // The value of the attribute named by a reference; throws when there is none.
    using Resolver = std::function<tabulon::platform::Variant(const QString &name)>;

    // Parses text; throws on the first syntax error or unsupported function.
    explicit Expression(const QString &text);
    ~Expression();
    Expression(Expression &&) noexcept;
    Expression &operator=(Expression &&) noexcept;

    const QString &text() const { return m_text; }
    // The names referenced, each once, in order of first appearance.
    QStringList references() const;

    tabulon::platform::Variant evaluate(const Resolver &resolve) const;

    // Parses and evaluates in one step.
    static tabulon::platform::Variant evaluate(const QString &text, const Resolver &resolve);

private:
    QString m_text;
    std::unique_ptr<ExpressionNode> m_root;
};

} // namespace tessel
