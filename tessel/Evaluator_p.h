#pragma once

// The evaluation of expression attributes: memoised results and the dependency graph that
// invalidates them. Not installed.

#include "core/Error.h"
#include "core/Variant.h"
#include "tessel/Attribute.h"
#include "tessel/Expression.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

struct Attribute::Evaluation
{
    // As an expression: the text parsed last and what parsing gave.
    QString parsedText;
    std::unique_ptr<Expression> expression;
    std::optional<tabulon::platform::Error> parseError;
    // The attributes referenced, one per name of expression->references() (null for a name
    // that names none), as resolved for `resolvedText` in the collection's `resolvedShape`.
    std::vector<Attribute *> inputs;
    QString resolvedText;
    std::uint64_t resolvedShape = 0;
    bool resolved = false;

    // The memoised result, in the own unit, or why there is none. `rootCause` is the
    // description of the failure that started a chain of failing references, so that a
    // message names it without nesting every link of the chain.
    tabulon::platform::Variant value;
    std::optional<tabulon::platform::Error> error;
    QString rootCause;
    bool valid = false;
    bool isVolatile = false;
    bool onStack = false;

    // As an input: the expression attributes whose inputs include this attribute.
    std::vector<Attribute *> dependents;
};

// Evaluates expression attributes without recursion: the attributes that a read needs are
// walked depth first on an explicit stack, each computed once its inputs are, and kept until
// an input changes. A reference back to an attribute on the stack is a cycle; a walk deeper
// than maxDepth stops with an error.
class Evaluator
{
public:
    static constexpr std::size_t maxDepth = 10000;

    // The result of an expression attribute in its own unit; throws its error.
    static tabulon::platform::Variant result(const Attribute &attribute);
    // Marks everything that depends on the attribute for recomputation.
    static void changed(Attribute &attribute);
    // Drops the attribute's links to others, before its collection lets it go.
    static void detach(Attribute &attribute);

private:
    static bool isFresh(const Attribute &a);
    static Attribute::Evaluation &evaluation(const Attribute &a);
    static void prepare(Attribute &a);
    static void compute(Attribute &a);
    static void setError(Attribute &a, const QString &what, const QString &rootCause = {});
};

} // namespace tessel
