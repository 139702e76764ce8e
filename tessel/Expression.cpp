#include "tessel/Expression.h"

#include "core/Error.h"

#include <QLocale>

#include <cmath>
#include <vector>

namespace tessel {

using tabulon::platform::Error;
using tabulon::platform::Variant;

namespace {

// Limits that keep parsing and evaluation well inside the stack: nesting of parentheses and
// signs, and the height of the tree (a long chain of + builds a tall tree).
constexpr int maxNesting = 200;
constexpr int maxHeight = 1000;

[[noreturn]] void fail(const QString &text, const QString &what)
{
    throw Error(Error::NotAvailable, QStringLiteral("tessel"),
                QStringLiteral("Cannot evaluate \"%1\": %2").arg(text, what));
}

struct Function
{
    const char16_t *name;
    int minArgs;
    int maxArgs;
};

// clang-format off
enum FunctionId {
    fAbs, fAtn, fCos, fExp, fFix, fInt, fLog, fSgn, fSin, fSqr, fTan, fRound,
    fCDbl, fCInt, fCStr, fLen, fLCase, fUCase, fTrim, fLTrim, fRTrim, fLeft, fRight, fMid,
    functionCount
};

// Indexed by FunctionId.
constexpr Function functions[functionCount] = {
    {u"Abs", 1, 1}, {u"Atn", 1, 1}, {u"Cos", 1, 1}, {u"Exp", 1, 1}, {u"Fix", 1, 1},
    {u"Int", 1, 1}, {u"Log", 1, 1}, {u"Sgn", 1, 1}, {u"Sin", 1, 1}, {u"Sqr", 1, 1},
    {u"Tan", 1, 1}, {u"Round", 1, 2}, {u"CDbl", 1, 1}, {u"CInt", 1, 1}, {u"CStr", 1, 1},
    {u"Len", 1, 1}, {u"LCase", 1, 1}, {u"UCase", 1, 1}, {u"Trim", 1, 1}, {u"LTrim", 1, 1},
    {u"RTrim", 1, 1}, {u"Left", 2, 2}, {u"Right", 2, 2}, {u"Mid", 2, 3},
};
// clang-format on

int findFunction(QStringView name)
{
    for (int i = 0; i < functionCount; ++i)
        if (name.compare(QStringView(functions[i].name), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

} // namespace

struct ExpressionNode
{
    enum class Kind { Number, Text, Reference, Negate, Binary, Call };
    Kind kind = Kind::Number;
    double number = 0;
    QString text; // a text literal or a referenced name
    QChar op;
    int function = -1;
    int height = 1;
    std::vector<std::unique_ptr<ExpressionNode>> children;
};

namespace {

using Node = std::unique_ptr<ExpressionNode>;
using Kind = ExpressionNode::Kind;

Node makeNode(Kind kind)
{
    Node n = std::make_unique<ExpressionNode>();
    n->kind = kind;
    return n;
}

class Parser
{
public:
    explicit Parser(const QString &text) : s(text) {}

    Node parse()
    {
        Node root = concat();
        skipSpace();
        if (pos < s.size()) failAt(QStringLiteral("unexpected \"%1\"").arg(s[pos]));
        return root;
    }

private:
    const QString &s;
    qsizetype pos = 0;
    int nesting = 0;

    [[noreturn]] void failAt(const QString &what, qsizetype at = -1) const
    {
        fail(s, QStringLiteral("%1 at column %2").arg(what).arg((at < 0 ? pos : at) + 1));
    }

    void skipSpace()
    {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    }

    bool accept(QChar c)
    {
        skipSpace();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }

    Node binary(QChar op, Node left, Node right)
    {
        Node n = makeNode(Kind::Binary);
        n->op = op;
        n->height = std::max(left->height, right->height) + 1;
        if (n->height > maxHeight) failAt(QStringLiteral("the expression is too long"));
        n->children.push_back(std::move(left));
        n->children.push_back(std::move(right));
        return n;
    }

    Node concat()
    {
        Node left = additive();
        while (accept(u'&'))
            left = binary(u'&', std::move(left), additive());
        return left;
    }

    Node additive()
    {
        Node left = term();
        for (;;) {
            if (accept(u'+'))
                left = binary(u'+', std::move(left), term());
            else if (accept(u'-'))
                left = binary(u'-', std::move(left), term());
            else
                return left;
        }
    }

    Node term()
    {
        Node left = unary();
        for (;;) {
            if (accept(u'*'))
                left = binary(u'*', std::move(left), unary());
            else if (accept(u'/'))
                left = binary(u'/', std::move(left), unary());
            else
                return left;
        }
    }

    // A sign binds more loosely than ^ (so -2^2 is -4) and may also stand after ^.
    Node unary()
    {
        if (accept(u'+')) return nested(pos - 1, [this] { return unary(); });
        if (accept(u'-')) {
            Node operand = nested(pos - 1, [this] { return unary(); });
            Node n = makeNode(Kind::Negate);
            n->height = operand->height + 1;
            n->children.push_back(std::move(operand));
            return n;
        }
        Node left = primary();
        while (accept(u'^'))
            left = binary(u'^', std::move(left), signedPrimary());
        return left;
    }

    Node signedPrimary()
    {
        if (accept(u'+')) return nested(pos - 1, [this] { return signedPrimary(); });
        if (accept(u'-')) {
            Node operand = nested(pos - 1, [this] { return signedPrimary(); });
            Node n = makeNode(Kind::Negate);
            n->height = operand->height + 1;
            n->children.push_back(std::move(operand));
            return n;
        }
        return primary();
    }

    // Parses one nesting level that opens at `at`.
    template <typename Parse> Node nested(qsizetype at, Parse parse)
    {
        if (++nesting > maxNesting)
            failAt(QStringLiteral("the expression is nested too deeply"), at);
        Node n = parse();
        --nesting;
        return n;
    }

    Node primary()
    {
        skipSpace();
        if (pos >= s.size()) failAt(QStringLiteral("expected a value"));
        const QChar c = s[pos];
        if (c.isDigit() || (c == u'.' && pos + 1 < s.size() && s[pos + 1].isDigit()))
            return number();
        if (c == u'"') return text();
        if (c == u'[') return reference(u']');
        if (c == u'$') return reference(u'$');
        if (c == u'(') {
            Node inner = nested(pos++, [this] { return concat(); });
            if (!accept(u')')) failAt(QStringLiteral("expected \")\""));
            return inner;
        }
        if (c.isLetter() || c == u'_') return name();
        failAt(QStringLiteral("unexpected \"%1\"").arg(c));
    }

    Node number()
    {
        const qsizetype start = pos;
        while (pos < s.size() && s[pos].isDigit())
            ++pos;
        if (pos < s.size() && s[pos] == u'.') ++pos;
        while (pos < s.size() && s[pos].isDigit())
            ++pos;
        if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
            ++pos;
            if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) ++pos;
            if (pos >= s.size() || !s[pos].isDigit())
                failAt(QStringLiteral("the number has no exponent digits"));
            while (pos < s.size() && s[pos].isDigit())
                ++pos;
        }
        bool ok = false;
        Node n = makeNode(Kind::Number);
        n->number = QLocale::c().toDouble(QStringView(s).mid(start, pos - start), &ok);
        if (!ok) failAt(QStringLiteral("the number is out of range"), start);
        return n;
    }

    Node text()
    {
        const qsizetype open = pos++;
        Node n = makeNode(Kind::Text);
        for (;;) {
            if (pos >= s.size()) failAt(QStringLiteral("unterminated text"), open);
            if (s[pos] == u'"') {
                if (pos + 1 < s.size() && s[pos + 1] == u'"') {
                    n->text += u'"';
                    pos += 2;
                    continue;
                }
                ++pos;
                return n;
            }
            n->text += s[pos++];
        }
    }

    Node reference(QChar close)
    {
        const qsizetype open = pos++;
        const qsizetype end = s.indexOf(close, pos);
        if (end < 0) failAt(QStringLiteral("the reference has no closing \"%1\"").arg(close), open);
        if (end == pos) failAt(QStringLiteral("the reference names no attribute"), open);
        Node n = makeNode(Kind::Reference);
        n->text = s.mid(pos, end - pos);
        pos = end + 1;
        return n;
    }

    Node name()
    {
        const qsizetype start = pos;
        while (pos < s.size() && (s[pos].isLetterOrNumber() || s[pos] == u'_'))
            ++pos;
        const QStringView word = QStringView(s).mid(start, pos - start);
        if (word.compare(u"True", Qt::CaseInsensitive) == 0 ||
            word.compare(u"False", Qt::CaseInsensitive) == 0) {
            Node n = makeNode(Kind::Number);
            n->number = word.size() == 4 ? -1.0 : 0.0;
            return n;
        }
        if (!accept(u'('))
            failAt(QStringLiteral("unknown name \"%1\"; write a reference to an attribute as [%1]")
                       .arg(word),
                   start);
        const int id = findFunction(word);
        if (id < 0)
            throw Error(Error::NotAvailable, QStringLiteral("tessel"),
                        QStringLiteral("Expression evaluation is not available for \"%1\": the "
                                       "function %2 is not supported")
                            .arg(s, word));
        Node n = makeNode(Kind::Call);
        n->function = id;
        n->text = QString::fromUtf16(functions[id].name);
        skipSpace();
        if (!accept(u')')) {
            do {
                skipSpace();
                Node arg = nested(pos, [this] { return concat(); });
                n->height = std::max(n->height, arg->height + 1);
                n->children.push_back(std::move(arg));
            } while (accept(u','));
            if (!accept(u')')) failAt(QStringLiteral("expected \",\" or \")\""));
        }
        const Function &f = functions[id];
        const int count = int(n->children.size());
        if (count < f.minArgs || count > f.maxArgs) {
            const QString wanted = f.minArgs == f.maxArgs
                                       ? QString::number(f.minArgs)
                                       : QStringLiteral("%1 or %2").arg(f.minArgs).arg(f.maxArgs);
            failAt(QStringLiteral("%1 takes %2 argument%3, not %4")
                       .arg(n->text, wanted, f.maxArgs == 1 ? QString() : QStringLiteral("s"))
                       .arg(count),
                   start);
        }
        return n;
    }
};

class Evaluator
{
public:
    Evaluator(const QString &text, const Expression::Resolver &resolve)
        : m_text(text), m_resolve(resolve)
    {}

    Variant eval(const ExpressionNode &n) const
    {
        switch (n.kind) {
        case Kind::Number:
            return n.number;
        case Kind::Text:
            return n.text;
        case Kind::Reference:
            return reference(n.text);
        case Kind::Negate:
            return -number(eval(*n.children[0]));
        case Kind::Binary:
            return binary(n);
        case Kind::Call:
            return call(n);
        }
        return {};
    }

private:
    const QString &m_text;
    const Expression::Resolver &m_resolve;

    Variant reference(const QString &name) const
    {
        const Variant v = m_resolve(name);
        switch (v.type()) {
        case Variant::Type::Bool:
            return v.boolValue() ? -1.0 : 0.0;
        case Variant::Type::Int:
            return double(v.intValue());
        case Variant::Type::Empty:
            return 0.0;
        case Variant::Type::Null:
            fail(m_text, QStringLiteral("[%1] has no value").arg(name));
        default:
            return v;
        }
    }

    double number(const Variant &v) const
    {
        if (v.type() == Variant::Type::Double) return v.doubleValue();
        try {
            return v.toDouble();
        } catch (const Error &) {
            fail(m_text, QStringLiteral("\"%1\" is not a number").arg(v.toText()));
        }
    }

    QString text(const Variant &v) const { return v.isString() ? v.stringValue() : v.toString(); }

    double finite(double d) const
    {
        if (!std::isfinite(d)) fail(m_text, QStringLiteral("the result is not a finite number"));
        return d;
    }

    int whole(const Variant &v) const
    {
        const double d = number(v);
        if (d != std::trunc(d) || std::fabs(d) > 1e9)
            fail(m_text, QStringLiteral("%1 is not a whole number").arg(text(v)));
        return int(d);
    }

    Variant binary(const ExpressionNode &n) const
    {
        const Variant left = eval(*n.children[0]);
        const Variant right = eval(*n.children[1]);
        if (n.op == u'&') return text(left) + text(right);
        const double a = number(left);
        const double b = number(right);
        switch (n.op.unicode()) {
        case u'+':
            return finite(a + b);
        case u'-':
            return finite(a - b);
        case u'*':
            return finite(a * b);
        case u'/':
            if (b == 0) fail(m_text, QStringLiteral("division by zero"));
            return finite(a / b);
        default:
            return finite(std::pow(a, b));
        }
    }

    Variant call(const ExpressionNode &n) const
    {
        std::vector<Variant> args;
        args.reserve(n.children.size());
        for (const auto &child : n.children)
            args.push_back(eval(*child));
        const auto x = [&] { return number(args[0]); };
        const auto s = [&] { return text(args[0]); };
        switch (FunctionId(n.function)) {
        case fAbs:
            return std::fabs(x());
        case fAtn:
            return std::atan(x());
        case fCos:
            return std::cos(x());
        case fExp:
            return finite(std::exp(x()));
        case fFix:
            return std::trunc(x());
        case fInt:
            return std::floor(x());
        case fLog:
            return finite(std::log(x()));
        case fSgn:
            return double((x() > 0) - (x() < 0));
        case fSin:
            return std::sin(x());
        case fSqr:
            return finite(std::sqrt(x()));
        case fTan:
            return finite(std::tan(x()));
        case fRound: {
            const int decimals = args.size() > 1 ? whole(args[1]) : 0;
            if (decimals < 0 || decimals > 15)
                fail(m_text, QStringLiteral("Round takes 0 to 15 decimals"));
            const double scale = std::pow(10.0, decimals);
            // nearbyint rounds half to even in the default rounding mode.
            return std::nearbyint(x() * scale) / scale;
        }
        case fCDbl:
            return x();
        case fCInt:
            try {
                return double(tabulon::platform::roundToInt32(x()));
            } catch (const Error &) {
                fail(m_text, QStringLiteral("%1 is out of the integer range").arg(s()));
            }
        case fCStr:
            return s();
        case fLen:
            return double(s().size());
        case fLCase:
            return s().toLower();
        case fUCase:
            return s().toUpper();
        case fTrim:
            return s().trimmed();
        case fLTrim: {
            const QString t = s();
            qsizetype i = 0;
            while (i < t.size() && t[i] == u' ')
                ++i;
            return t.mid(i);
        }
        case fRTrim: {
            QString t = s();
            while (t.endsWith(u' '))
                t.chop(1);
            return t;
        }
        case fLeft:
            return s().left(count(args[1]));
        case fRight:
            return s().right(count(args[1]));
        case fMid: {
            const int start = whole(args[1]);
            if (start < 1) fail(m_text, QStringLiteral("Mid starts at 1 or later"));
            return args.size() > 2 ? s().mid(start - 1, count(args[2])) : s().mid(start - 1);
        }
        case functionCount:
            break;
        }
        return {};
    }

    int count(const Variant &v) const
    {
        const int n = whole(v);
        if (n < 0) fail(m_text, QStringLiteral("a length cannot be negative"));
        return n;
    }
};

void collectReferences(const ExpressionNode &n, QStringList &names)
{
    if (n.kind == Kind::Reference && !names.contains(n.text)) names.append(n.text);
    for (const auto &child : n.children)
        collectReferences(*child, names);
}

} // namespace

Expression::Expression(const QString &text) : m_text(text), m_root(Parser(m_text).parse()) {}

Expression::~Expression() = default;
Expression::Expression(Expression &&) noexcept = default;
Expression &Expression::operator=(Expression &&) noexcept = default;

QStringList Expression::references() const
{
    QStringList names;
    collectReferences(*m_root, names);
    return names;
}

Variant Expression::evaluate(const Resolver &resolve) const
{
    return Evaluator(m_text, resolve).eval(*m_root);
}

Variant Expression::evaluate(const QString &text, const Resolver &resolve)
{
    return Expression(text).evaluate(resolve);
}

} // namespace tessel
