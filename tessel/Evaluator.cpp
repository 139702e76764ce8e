#include "tessel/Evaluator_p.h"

#include "tessel/Collection.h"

#include <QStringList>

#include <algorithm>

namespace tessel {

using tabulon::platform::Error;
using tabulon::platform::Variant;

namespace {

const QString source = QStringLiteral("tessel");

// Attributes outside any collection evaluate in an environment of their own thread.
Environment &environmentOf(const Attribute &a)
{
    static thread_local Environment detached;
    return a.collection() ? a.collection()->environment() : detached;
}

std::uint64_t shapeOf(const Attribute &a)
{
    return a.collection() ? a.collection()->shape() : 0;
}

void unlink(Attribute *dependent, std::vector<Attribute *> &dependents)
{
    const auto it = std::find(dependents.begin(), dependents.end(), dependent);
    if (it != dependents.end()) {
        *it = dependents.back();
        dependents.pop_back();
    }
}

} // namespace

Attribute::Evaluation &Evaluator::evaluation(const Attribute &a)
{
    auto &e = const_cast<Attribute &>(a).m_evaluation;
    if (!e) e = std::make_unique<Attribute::Evaluation>();
    return *e;
}

bool Evaluator::isFresh(const Attribute &a)
{
    const Attribute::Evaluation *e = a.m_evaluation.get();
    return e && e->valid && e->resolved && e->resolvedShape == shapeOf(a) &&
           e->parsedText == e->resolvedText;
}

// Parses the text if it changed and resolves the references if the text or the collection's
// names changed, keeping the dependents lists of the inputs in step.
void Evaluator::prepare(Attribute &a)
{
    Attribute::Evaluation &e = evaluation(a);
    const QString text = a.m_value.toText();
    if (e.parsedText != text || (!e.expression && !e.parseError)) {
        e.parsedText = text;
        e.expression.reset();
        e.parseError.reset();
        try {
            e.expression = std::make_unique<Expression>(text);
        } catch (const Error &error) {
            e.parseError = error;
        }
    }
    const std::uint64_t shape = shapeOf(a);
    if (e.resolved && e.resolvedText == text && e.resolvedShape == shape) return;
    for (Attribute *input : e.inputs)
        if (input) unlink(&a, evaluation(*input).dependents);
    e.inputs.clear();
    if (e.expression) {
        const Collection *c = a.collection();
        for (const QString &name : e.expression->references()) {
            Attribute *input = c ? c->find(name) : nullptr;
            e.inputs.push_back(input);
            if (input) evaluation(*input).dependents.push_back(&a);
        }
    }
    e.resolvedText = text;
    e.resolvedShape = shape;
    e.resolved = true;
    e.valid = false;
}

void Evaluator::setError(Attribute &a, const QString &what, const QString &rootCause)
{
    Attribute::Evaluation &e = evaluation(a);
    const QString description = Expression::errorText(e.parsedText, what);
    e.error = Error(Error::NotAvailable, source, description);
    e.rootCause = rootCause.isEmpty() ? description : rootCause;
    e.value = Variant();
    e.valid = true;
}

// Computes an attribute whose inputs are all fresh.
void Evaluator::compute(Attribute &a)
{
    Attribute::Evaluation &e = evaluation(a);
    e.error.reset();
    e.isVolatile = e.expression && e.expression->isVolatile();
    if (e.parseError) {
        e.error = e.parseError;
        e.rootCause = e.parseError->description();
        e.value = Variant();
        e.valid = true;
        return;
    }
    std::vector<Variant> values;
    values.reserve(e.inputs.size());
    const QStringList &names = e.expression->references();
    for (std::size_t i = 0; i < e.inputs.size(); ++i) {
        const Attribute *input = e.inputs[i];
        const QString &name = names[qsizetype(i)];
        if (!input) return setError(a, QStringLiteral("there is no attribute [%1]").arg(name));
        if (!input->m_expression) {
            values.push_back(input->m_value);
            continue;
        }
        const Attribute::Evaluation &ie = *input->m_evaluation;
        e.isVolatile = e.isVolatile || ie.isVolatile;
        if (ie.error)
            return setError(a, QStringLiteral("[%1] has an error: %2").arg(name, ie.rootCause),
                            ie.rootCause);
        values.push_back(ie.value);
    }
    Variant result;
    try {
        result = e.expression->evaluate(values, environmentOf(a));
    } catch (const Error &error) {
        e.error = error;
        e.rootCause = error.description();
        e.value = Variant();
        e.valid = true;
        return;
    }
    try {
        e.value = a.toDataType(result);
        e.valid = true;
    } catch (const Error &error) {
        setError(a, QStringLiteral("the result %1").arg(error.description()));
    }
}

Variant Evaluator::result(const Attribute &attribute)
{
    Attribute &root = const_cast<Attribute &>(attribute);
    if (!isFresh(root)) {
        struct Frame
        {
            Attribute *a;
            std::size_t next;
        };
        std::vector<Frame> stack;
        std::vector<Attribute *> volatiles;
        prepare(root);
        evaluation(root).onStack = true;
        stack.push_back({&root, 0});
        while (!stack.empty()) {
            Frame &f = stack.back();
            Attribute::Evaluation &e = *f.a->m_evaluation;
            bool descended = false;
            while (!descended && f.next < e.inputs.size()) {
                Attribute *input = e.inputs[f.next];
                if (!input || !input->m_expression || isFresh(*input)) {
                    ++f.next;
                    continue;
                }
                Attribute::Evaluation &ie = evaluation(*input);
                if (ie.onStack) {
                    // A cycle: every attribute on it, from the input up to here, fails naming
                    // the whole circle, starting from itself.
                    std::size_t first = stack.size();
                    while (stack[first - 1].a != input)
                        --first;
                    --first;
                    QStringList circle;
                    for (std::size_t j = first; j < stack.size(); ++j)
                        circle.append(stack[j].a->name());
                    for (std::size_t j = first; j < stack.size(); ++j) {
                        const auto offset = qsizetype(j - first);
                        QStringList chain = circle.mid(offset) + circle.mid(0, offset);
                        chain.append(chain.first());
                        setError(*stack[j].a, QStringLiteral("circular reference %1")
                                                  .arg(chain.join(QStringLiteral(" -> "))));
                        evaluation(*stack[j].a).onStack = false;
                    }
                    stack.resize(first);
                    descended = true;
                    break;
                }
                if (stack.size() >= maxDepth) {
                    setError(*f.a, QStringLiteral("expressions refer to each other more than %1 "
                                                  "levels deep")
                                       .arg(maxDepth));
                    // Not kept: read from nearer the bottom, the same attribute may evaluate.
                    e.isVolatile = true;
                    volatiles.push_back(f.a);
                    e.onStack = false;
                    stack.pop_back();
                    descended = true;
                    break;
                }
                prepare(*input);
                ie.onStack = true;
                descended = true;
                stack.push_back({input, 0}); // f is not used after this
            }
            if (descended) continue;
            compute(*f.a);
            e.onStack = false;
            if (e.isVolatile) volatiles.push_back(f.a);
            stack.pop_back();
        }
        // Clock and random values hold for this read only.
        const Attribute::Evaluation &r = *root.m_evaluation;
        const std::optional<Error> error = r.error;
        const Variant value = r.value;
        for (Attribute *a : volatiles)
            a->m_evaluation->valid = false;
        if (error) throw *error;
        return value;
    }
    const Attribute::Evaluation &e = *root.m_evaluation;
    if (e.error) throw *e.error;
    return e.value;
}

void Evaluator::changed(Attribute &attribute)
{
    Attribute::Evaluation *start = attribute.m_evaluation.get();
    if (!start) return;
    start->valid = false;
    std::vector<Attribute *> pending(start->dependents.begin(), start->dependents.end());
    while (!pending.empty()) {
        Attribute *a = pending.back();
        pending.pop_back();
        Attribute::Evaluation &e = *a->m_evaluation;
        // An invalid result has only invalid dependents: it was valid when they were computed,
        // and invalidating it invalidated them.
        if (!e.valid) continue;
        e.valid = false;
        pending.insert(pending.end(), e.dependents.begin(), e.dependents.end());
    }
}

void Evaluator::detach(Attribute &attribute)
{
    attribute.m_evaluation.reset();
}

} // namespace tessel
