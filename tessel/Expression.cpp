#include "tessel/Expression.h"

#include "core/Error.h"
#include "core/NumberText.h"
#include "tessel/ExpressionValue_p.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tessel {

using detail::Failure;
using detail::Kind;
using detail::Value;
using tabulon::platform::Error;
using tabulon::platform::Variant;

// ---------------------------------------------------------------------------------------------
// Environment

Environment::Environment() : m_random(defaultSeed)
{
    m_last = nextRandom();
    m_random.seed(defaultSeed);
}

QDateTime Environment::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void Environment::seed(std::uint32_t seed)
{
    m_random.seed(seed);
}

double Environment::nextRandom()
{
    // 53 random bits, so that every double in [0, 1) of that resolution can come out.
    const std::uint64_t high = m_random() >> 5;
    const std::uint64_t low = m_random() >> 6;
    m_last = double(high * 67108864 + low) / 9007199254740992.0;
    return m_last;
}

namespace detail {

// ---------------------------------------------------------------------------------------------
// Values and conversions

void fail(const QString &what)
{
    throw Failure{what};
}

Value Value::whole(double d)
{
    if (d >= -32768 && d <= 32767) return of(Kind::Integer, d);
    if (d >= -2147483648.0 && d <= 2147483647.0) return of(Kind::Long, d);
    return real(d);
}

Value Value::real(double d)
{
    if (std::isnan(d)) fail(QStringLiteral("the result is not a number"));
    if (std::isinf(d)) fail(QStringLiteral("overflow: the result is too large"));
    return of(Kind::Double, d);
}

QString quote(const Value &v)
{
    switch (v.kind) {
    case Kind::Empty:
        return QStringLiteral("Empty");
    case Kind::Null:
        return QStringLiteral("Null");
    case Kind::Boolean:
        return v.number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Date:
        return u'#' + dateText(v.number) + u'#';
    case Kind::String: {
        const QString shown = v.text.size() > 40 ? v.text.left(40) + QStringLiteral("...") : v.text;
        return u'"' + shown + u'"';
    }
    default:
        return tabulon::platform::numberToText(v.number, u'.');
    }
}

QString kindName(Kind kind)
{
    static const char16_t *const names[] = {u"Empty",    u"Null", u"Boolean", u"Byte",
                                            u"Integer",  u"Long", u"Single",  u"Double",
                                            u"Currency", u"Date", u"String"};
    return QString::fromUtf16(names[int(kind)]);
}

double toNumber(const Value &v)
{
    switch (v.kind) {
    case Kind::Null:
        fail(QStringLiteral("invalid use of Null: a number is needed"));
    case Kind::String:
        try {
            return Variant(v.text).toDouble();
        } catch (const Error &) {
            fail(QStringLiteral("type mismatch: %1 is not a number").arg(quote(v)));
        }
    default:
        return v.number;
    }
}

bool toBoolean(const Value &v)
{
    switch (v.kind) {
    case Kind::Null:
        fail(QStringLiteral("invalid use of Null: True or False is needed"));
    case Kind::String:
        try {
            return Variant(v.text).toBool();
        } catch (const Error &) {
            fail(QStringLiteral("type mismatch: %1 is not True or False").arg(quote(v)));
        }
    default:
        return v.number != 0;
    }
}

QString toText(const Value &v)
{
    switch (v.kind) {
    case Kind::Empty:
        return {};
    case Kind::Null:
        fail(QStringLiteral("invalid use of Null: a text is needed"));
    case Kind::Boolean:
        return v.number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Date:
        return dateText(v.number);
    case Kind::String:
        return v.text;
    default:
        return tabulon::platform::numberToText(v.number);
    }
}

double toDate(const Value &v)
{
    double serial = 0;
    switch (v.kind) {
    case Kind::Null:
        fail(QStringLiteral("invalid use of Null: a date is needed"));
    case Kind::String:
        if (!readDate(v.text, serial))
            fail(QStringLiteral("type mismatch: %1 is not a date").arg(quote(v)));
        break;
    case Kind::Boolean:
        fail(QStringLiteral("type mismatch: %1 is not a date").arg(quote(v)));
    default:
        serial = v.number;
    }
    return checkedDate(serial).number;
}

double toWhole(const Value &v, double low, double high, const QString &what)
{
    const double d = toNumber(v);
    const double rounded = std::nearbyint(d); // half to even in the default rounding mode
    if (!(rounded >= low && rounded <= high))
        fail(QStringLiteral("%1 must be from %2 to %3, not %4")
                 .arg(what, tabulon::platform::numberToText(low, u'.'),
                      tabulon::platform::numberToText(high, u'.'), quote(v)));
    return rounded;
}

// ---------------------------------------------------------------------------------------------
// Dates

namespace {
const QDate dateBase(1899, 12, 30);
// Serials of 1 January 100 and of the day after 31 December 9999.
const double firstSerial = double(dateBase.daysTo(QDate(100, 1, 1)));
const double endSerial = double(dateBase.daysTo(QDate(9999, 12, 31))) + 1;
} // namespace

DateTime dateTimeOf(double serial)
{
    double days = std::trunc(serial);
    auto seconds = std::llround(std::fabs(serial - days) * 86400.0);
    if (seconds >= 86400) {
        seconds = 0;
        days += serial < 0 ? -1 : 1;
    }
    return {dateBase.addDays(qint64(days)), QTime(0, 0).addSecs(int(seconds))};
}

double serialOf(const QDate &date, const QTime &time)
{
    const double days = double(dateBase.daysTo(date));
    const double fraction = (time.isValid() ? time.msecsSinceStartOfDay() : 0) / 86400000.0;
    return days >= 0 ? days + fraction : days - fraction;
}

bool readDate(const QString &text, double &serial)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    const auto accept = [&](const QDate &d, const QTime &time) {
        if (!d.isValid() || d.year() < 100 || d.year() > 9999) return false;
        serial = serialOf(d, time);
        return true;
    };
    const QLocale locale;
    for (const QString &format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"),
          QStringLiteral("yyyy-MM-ddTHH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm")}) {
        const QDateTime dt = QDateTime::fromString(t, format);
        if (dt.isValid()) return accept(dt.date(), dt.time());
    }
    if (const QDate d = QDate::fromString(t, Qt::ISODate); d.isValid()) return accept(d, {});
    for (const auto type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QDateTime dt = locale.toDateTime(t, type);
        if (dt.isValid()) return accept(dt.date(), dt.time());
        if (const QDate d = locale.toDate(t, type); d.isValid()) return accept(d, {});
    }
    for (const QString &format : {QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")}) {
        if (const QTime time = QTime::fromString(t, format); time.isValid()) {
            serial = serialOf(dateBase, time);
            return true;
        }
    }
    for (const auto type : {QLocale::ShortFormat, QLocale::LongFormat})
        if (const QTime time = locale.toTime(t, type); time.isValid()) {
            serial = serialOf(dateBase, time);
            return true;
        }
    return false;
}

QString dateText(double serial)
{
    const DateTime dt = dateTimeOf(serial);
    const QString date = dt.date.toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = dt.time.toString(QStringLiteral("HH:mm:ss"));
    if (dt.time == QTime(0, 0)) return date;
    if (dt.date == dateBase) return time;
    return date + u' ' + time;
}

Value checkedDate(double serial)
{
    if (!(serial >= firstSerial && serial < endSerial))
        fail(QStringLiteral("overflow: the date lies outside the years 100 to 9999"));
    return Value::of(Kind::Date, serial);
}

void checkLength(qsizetype length)
{
    if (length > Expression::maxResultLength)
        fail(QStringLiteral("the text result would be %1 characters long; the limit is %2")
                 .arg(length)
                 .arg(Expression::maxResultLength));
}

} // namespace detail

// ---------------------------------------------------------------------------------------------
// Operators

namespace {

using namespace detail;

enum class Op : std::uint8_t {
    Constant,
    Reference,
    Negate,
    Not,
    Call,
    // Binary operators, loosest first.
    Imp,
    Eqv,
    Xor,
    Or,
    And,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Concat,
    Add,
    Subtract,
    Mod,
    IntDivide,
    Multiply,
    Divide,
    Power,
};

const char16_t *symbol(Op op)
{
    switch (op) {
    case Op::Imp:
        return u"Imp";
    case Op::Eqv:
        return u"Eqv";
    case Op::Xor:
        return u"Xor";
    case Op::Or:
        return u"Or";
    case Op::And:
        return u"And";
    case Op::Equal:
        return u"=";
    case Op::NotEqual:
        return u"<>";
    case Op::Less:
        return u"<";
    case Op::Greater:
        return u">";
    case Op::LessEqual:
        return u"<=";
    case Op::GreaterEqual:
        return u">=";
    case Op::Concat:
        return u"&";
    case Op::Add:
        return u"+";
    case Op::Subtract:
        return u"-";
    case Op::Mod:
        return u"Mod";
    case Op::IntDivide:
        return u"\\";
    case Op::Multiply:
        return u"*";
    case Op::Divide:
        return u"/";
    case Op::Power:
        return u"^";
    default:
        return u"?";
    }
}

bool isIntegral(Kind k)
{
    return k == Kind::Empty || k == Kind::Boolean || k == Kind::Byte || k == Kind::Integer ||
           k == Kind::Long;
}

// The result of + - * on two numbers: whole operands keep the narrowest whole subtype that
// holds the result, currency stays currency, everything else is a double.
Value arithmetic(double r, const Value &a, const Value &b, Op op)
{
    if (!std::isfinite(r))
        fail(QStringLiteral("overflow: %1 %2 %3 is too large")
                 .arg(quote(a), QString::fromUtf16(symbol(op)), quote(b)));
    if (isIntegral(a.kind) && isIntegral(b.kind)) {
        if (a.kind == Kind::Byte && b.kind == Kind::Byte && r >= 0 && r <= 255)
            return Value::of(Kind::Byte, r);
        if (a.kind != Kind::Long && b.kind != Kind::Long && r >= -32768 && r <= 32767)
            return Value::of(Kind::Integer, r);
        return Value::whole(r);
    }
    if ((a.kind == Kind::Currency || b.kind == Kind::Currency) && a.kind != Kind::Double &&
        b.kind != Kind::Double && a.kind != Kind::String && b.kind != Kind::String)
        return Value::of(Kind::Currency, std::nearbyint(r * 10000) / 10000);
    return Value::real(r);
}

Value add(const Value &a, const Value &b, bool subtract)
{
    const Op op = subtract ? Op::Subtract : Op::Add;
    if (!subtract && (a.isString() || a.kind == Kind::Empty) &&
        (b.isString() || b.kind == Kind::Empty) && (a.isString() || b.isString())) {
        checkLength(a.text.size() + b.text.size());
        return Value::string(a.text + b.text);
    }
    const double x = toNumber(a);
    const double y = toNumber(b);
    const double r = subtract ? x - y : x + y;
    if (a.kind == Kind::Date && b.kind == Kind::Date && subtract) return Value::real(r);
    if (a.kind == Kind::Date || b.kind == Kind::Date) {
        if (!subtract || a.kind == Kind::Date) return checkedDate(r);
    }
    return arithmetic(r, a, b, op);
}

// Text against number: a text that reads as a number compares as that number; any other text
// sorts after every number.
int compare(const Value &a, const Value &b)
{
    const auto sign = [](auto x, auto y) { return (x > y) - (x < y); };
    if ((a.isString() || a.kind == Kind::Empty) && (b.isString() || b.kind == Kind::Empty))
        return sign(QString::compare(a.text, b.text, Qt::CaseSensitive), 0);
    if (a.isString() || b.isString()) {
        const Value &text = a.isString() ? a : b;
        double n = 0;
        bool numeric = true;
        try {
            n = Variant(text.text).toDouble();
        } catch (const Error &) {
            numeric = false;
        }
        const double other = a.isString() ? b.number : a.number;
        const int c = numeric ? sign(n, other) : 1;
        return a.isString() ? c : -c;
    }
    return sign(a.number, b.number);
}

// A logical operator: on True and False it is logical, on other numbers bitwise on 32 bits.
Value logical(Op op, const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull()) {
        const Value &other = a.isNull() ? b : a;
        if (op == Op::And && !other.isNull() && toNumber(other) == 0)
            return other.kind == Kind::Boolean ? Value::boolean(false)
                                               : Value::of(Kind::Integer, 0);
        if (op == Op::Or && !other.isNull() && toBoolean(other)) return other;
        if (op == Op::Imp && ((a.isNull() && !b.isNull() && toBoolean(b)) ||
                              (b.isNull() && !a.isNull() && !toBoolean(a))))
            return Value::boolean(true);
        return Value::null();
    }
    const bool booleans = (a.kind == Kind::Boolean || a.kind == Kind::Empty) &&
                          (b.kind == Kind::Boolean || b.kind == Kind::Empty);
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (booleans) {
        x = a.number != 0 ? -1 : 0;
        y = b.number != 0 ? -1 : 0;
    } else {
        const QString operand =
            QStringLiteral("an operand of %1").arg(QString::fromUtf16(symbol(op)));
        x = std::int32_t(toWhole(a, -2147483648.0, 2147483647.0, operand));
        y = std::int32_t(toWhole(b, -2147483648.0, 2147483647.0, operand));
    }
    std::int32_t r = 0;
    switch (op) {
    case Op::And:
        r = x & y;
        break;
    case Op::Or:
        r = x | y;
        break;
    case Op::Xor:
        r = x ^ y;
        break;
    case Op::Eqv:
        r = ~(x ^ y);
        break;
    default: // Imp
        r = ~x | y;
        break;
    }
    return booleans ? Value::boolean(r != 0) : Value::whole(r);
}

Value binary(Op op, const Value &a, const Value &b)
{
    if (op <= Op::And) return logical(op, a, b);
    if (op == Op::Concat) {
        if (a.isNull() && b.isNull()) return Value::null();
        const QString x = a.isNull() ? QString() : toText(a);
        const QString y = b.isNull() ? QString() : toText(b);
        checkLength(x.size() + y.size());
        return Value::string(x + y);
    }
    if (a.isNull() || b.isNull()) return Value::null();
    switch (op) {
    case Op::Equal:
        return Value::boolean(compare(a, b) == 0);
    case Op::NotEqual:
        return Value::boolean(compare(a, b) != 0);
    case Op::Less:
        return Value::boolean(compare(a, b) < 0);
    case Op::Greater:
        return Value::boolean(compare(a, b) > 0);
    case Op::LessEqual:
        return Value::boolean(compare(a, b) <= 0);
    case Op::GreaterEqual:
        return Value::boolean(compare(a, b) >= 0);
    case Op::Add:
        return add(a, b, false);
    case Op::Subtract:
        return add(a, b, true);
    case Op::Multiply:
        return arithmetic(toNumber(a) * toNumber(b), a, b, op);
    case Op::Divide: {
        const double y = toNumber(b);
        const double x = toNumber(a);
        if (y == 0) fail(QStringLiteral("division by zero: %1 / %2").arg(quote(a), quote(b)));
        const double r = x / y;
        if (!std::isfinite(r))
            fail(QStringLiteral("overflow: %1 / %2 is too large").arg(quote(a), quote(b)));
        return Value::of(Kind::Double, r);
    }
    case Op::IntDivide:
    case Op::Mod: {
        const QString operand =
            QStringLiteral("an operand of %1").arg(QString::fromUtf16(symbol(op)));
        const double x = toWhole(a, -2147483648.0, 2147483647.0, operand);
        const double y = toWhole(b, -2147483648.0, 2147483647.0, operand);
        if (y == 0)
            fail(QStringLiteral("division by zero: %1 %2 %3")
                     .arg(quote(a), QString::fromUtf16(symbol(op)), quote(b)));
        return Value::whole(op == Op::Mod ? std::fmod(x, y) : std::trunc(x / y));
    }
    default: { // Power
        const double x = toNumber(a);
        const double y = toNumber(b);
        const double r = std::pow(x, y);
        if (std::isnan(r))
            fail(QStringLiteral("%1 ^ %2 is not a real number").arg(quote(a), quote(b)));
        if (std::isinf(r))
            fail(x == 0 ? QStringLiteral("division by zero: %1 ^ %2").arg(quote(a), quote(b))
                        : QStringLiteral("overflow: %1 ^ %2 is too large").arg(quote(a), quote(b)));
        return Value::of(Kind::Double, r);
    }
    }
}

Value negate(const Value &v)
{
    switch (v.kind) {
    case Kind::Null:
        return v;
    case Kind::Empty:
        return Value::of(Kind::Integer, 0);
    case Kind::Date:
        return checkedDate(-v.number);
    case Kind::Boolean:
        return Value::of(Kind::Integer, -v.number);
    case Kind::String:
        return Value::real(-toNumber(v));
    case Kind::Byte:
        return Value::of(Kind::Integer, -v.number);
    case Kind::Integer:
    case Kind::Long:
        return v.kind == Kind::Integer && v.number > -32768 ? Value::of(Kind::Integer, -v.number)
                                                            : Value::whole(-v.number);
    default:
        return Value::of(v.kind, -v.number);
    }
}

Value logicalNot(const Value &v)
{
    if (v.isNull()) return v;
    if (v.kind == Kind::Boolean || v.kind == Kind::Empty) return Value::boolean(v.number == 0);
    return Value::whole(~std::int32_t(
        toWhole(v, -2147483648.0, 2147483647.0, QStringLiteral("the operand of Not"))));
}

Value fromVariant(const Variant &v)
{
    switch (v.type()) {
    case Variant::Type::Empty:
        return {};
    case Variant::Type::Null:
        return Value::null();
    case Variant::Type::Bool:
        return Value::boolean(v.boolValue());
    case Variant::Type::Int:
        return Value::of(Kind::Long, v.intValue());
    case Variant::Type::Double:
        return Value::of(Kind::Double, v.doubleValue());
    case Variant::Type::String:
        return Value::string(v.stringValue());
    }
    return {};
}

Variant toVariant(const Value &v)
{
    switch (v.kind) {
    case Kind::Empty:
        return {};
    case Kind::Null:
        return Variant::null();
    case Kind::Boolean:
        return v.number != 0;
    case Kind::Byte:
    case Kind::Integer:
    case Kind::Long:
        return int(v.number);
    case Kind::Date:
        return dateText(v.number);
    case Kind::String:
        return v.text;
    default:
        return v.number;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Parsing: precedence climbing into postfix code, so that evaluation is one loop over a value
// stack, however long the expression.

struct Instruction
{
    Op op;
    std::uint8_t argumentCount = 0; // Call
    std::int32_t index = 0;         // Constant: into constants; Reference: into references;
                                    // Call: the function id
};

struct Program
{
    QString text;
    QStringList references;
    std::vector<Instruction> code;
    std::vector<Value> constants;
    int stackSize = 0;
    bool isVolatile = false;
};

namespace {

// The binary operators by precedence level, loosest first; the keyword operators are matched
// as whole words in any case. Levels without an entry are Not, the signs and ^.
struct LevelOperator
{
    int level;
    const char16_t *text;
    Op op;
};

constexpr LevelOperator levelOperators[] = {
    {0, u"Imp", Op::Imp},         {1, u"Eqv", Op::Eqv},     {2, u"Xor", Op::Xor},
    {3, u"Or", Op::Or},           {4, u"And", Op::And},     {6, u"<=", Op::LessEqual},
    {6, u">=", Op::GreaterEqual}, {6, u"<>", Op::NotEqual}, {6, u"=", Op::Equal},
    {6, u"<", Op::Less},          {6, u">", Op::Greater},   {7, u"&", Op::Concat},
    {8, u"+", Op::Add},           {8, u"-", Op::Subtract},  {9, u"Mod", Op::Mod},
    {10, u"\\", Op::IntDivide},   {11, u"*", Op::Multiply}, {11, u"/", Op::Divide},
};
constexpr int notLevel = 5;
constexpr int signLevel = 12;
constexpr int powerLevel = 13;

bool isKeywordOperator(QStringView word)
{
    for (const char16_t *k : {u"Not", u"And", u"Or", u"Xor", u"Eqv", u"Imp", u"Mod"})
        if (word.compare(QStringView(k), Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

class Parser
{
public:
    Parser(const QString &text, Program &program) : s(text), p(program) {}

    void parse()
    {
        if (s.size() > Expression::maxTextLength)
            throw Error(Error::NotAvailable, QStringLiteral("tessel"),
                        Expression::errorText(
                            s, QStringLiteral("the expression is %1 characters long; the limit "
                                              "is %2")
                                   .arg(s.size())
                                   .arg(Expression::maxTextLength)));
        expression(0);
        skipSpace();
        if (pos < s.size()) failAt(QStringLiteral("unexpected %1").arg(token()));
    }

private:
    const QString &s;
    Program &p;
    qsizetype pos = 0;
    int nesting = 0;
    int depth = 0; // values on the stack at this point of the code

    [[noreturn]] void failAt(const QString &what, qsizetype at = -1) const
    {
        throw Error(
            Error::NotAvailable, QStringLiteral("tessel"),
            Expression::errorText(
                s, QStringLiteral("%1 at column %2").arg(what).arg((at < 0 ? pos : at) + 1)));
    }

    // The token at pos, quoted for messages.
    QString token() const
    {
        if (pos >= s.size()) return QStringLiteral("the end");
        qsizetype end = pos + 1;
        if (isWordChar(s[pos]))
            while (end < s.size() && isWordChar(s[end]))
                ++end;
        return u'"' + s.mid(pos, end - pos) + u'"';
    }

    void skipSpace()
    {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    }

    // Matches an operator at pos: symbols literally, words only as whole words.
    bool match(const char16_t *op)
    {
        skipSpace();
        const QStringView o(op);
        if (QStringView(s).mid(pos, o.size()).compare(o, Qt::CaseInsensitive) != 0) return false;
        const qsizetype end = pos + o.size();
        if (isWordChar(o[0])) {
            if (end < s.size() && isWordChar(s[end])) return false;
        } else if ((o == u"<" || o == u">") && end < s.size() &&
                   (s[end] == u'=' || s[end] == u'>')) {
            return false;
        }
        pos = end;
        return true;
    }

    void emit(Instruction i, int stackChange)
    {
        p.code.push_back(i);
        depth += stackChange;
        p.stackSize = std::max(p.stackSize, depth);
    }

    void enter(qsizetype at)
    {
        if (++nesting > Expression::maxNesting)
            failAt(QStringLiteral("the expression nests more than %1 levels deep")
                       .arg(Expression::maxNesting),
                   at);
    }

    void expression(int level)
    {
        if (level == notLevel) {
            const qsizetype at = (skipSpace(), pos);
            if (match(u"Not")) {
                enter(at);
                expression(notLevel);
                --nesting;
                emit({Op::Not}, 0);
            } else {
                expression(level + 1);
            }
            return;
        }
        if (level == signLevel) {
            signedOperand([this] { expression(signLevel); }, [this] { expression(powerLevel); });
            return;
        }
        if (level == powerLevel) {
            primary();
            while (match(u"^")) {
                signedOperand([this] { power(); }, [this] { primary(); });
                emit({Op::Power}, -1);
            }
            return;
        }
        expression(level + 1);
        for (;;) {
            Op found{};
            bool any = false;
            for (const LevelOperator &o : levelOperators)
                if (o.level == level && match(o.text)) {
                    found = o.op;
                    any = true;
                    break;
                }
            if (!any) return;
            expression(level + 1);
            emit({found}, -1);
        }
    }

    // The operand after ^: a primary, or a sign and such an operand.
    void power()
    {
        signedOperand([this] { power(); }, [this] { primary(); });
    }

    template <typename Signed, typename Plain> void signedOperand(Signed afterSign, Plain plain)
    {
        skipSpace();
        const qsizetype at = pos;
        const bool minus = match(u"-");
        if (minus || match(u"+")) {
            enter(at);
            afterSign();
            --nesting;
            if (minus) emit({Op::Negate}, 0);
        } else {
            plain();
        }
    }

    void constant(Value v)
    {
        p.constants.push_back(std::move(v));
        emit({Op::Constant, 0, std::int32_t(p.constants.size() - 1)}, 1);
    }

    void primary()
    {
        skipSpace();
        if (pos >= s.size()) failAt(QStringLiteral("expected a value"));
        const QChar c = s[pos];
        if (c.isDigit() || (c == u'.' && pos + 1 < s.size() && s[pos + 1].isDigit()))
            return number();
        if (c == u'&' && pos + 1 < s.size() &&
            (s[pos + 1].toUpper() == u'H' || s[pos + 1].toUpper() == u'O'))
            return radixNumber();
        if (c == u'"') return text();
        if (c == u'#') return dateLiteral();
        if (c == u'[') return reference(u']');
        if (c == u'$') return reference(u'$');
        if (c == u'(') {
            enter(pos++);
            expression(0);
            if (!match(u")")) failAt(QStringLiteral("expected \")\" instead of %1").arg(token()));
            --nesting;
            return;
        }
        if (c.isLetter() || c == u'_') return name();
        failAt(QStringLiteral("unexpected %1").arg(token()));
    }

    void number()
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
        const double d = tabulon::platform::readNumber(QStringView(s).mid(start, pos - start));
        if (!std::isfinite(d)) failAt(QStringLiteral("the number is too large"), start);
        // Written with a point or an exponent it is a Double, else the narrowest whole subtype.
        const bool whole = std::none_of(s.begin() + start, s.begin() + pos, [](QChar c) {
            return c == u'.' || c == u'e' || c == u'E';
        });
        constant(whole ? Value::whole(d) : Value::of(Kind::Double, d));
    }

    // &H1F (hexadecimal) and &O17 (octal): 32-bit whole numbers, as their bit pattern.
    void radixNumber()
    {
        const qsizetype start = pos;
        const int radix = s[pos + 1].toUpper() == u'H' ? 16 : 8;
        pos += 2;
        const qsizetype digits = pos;
        while (pos < s.size() && s[pos].isLetterOrNumber())
            ++pos;
        bool ok = false;
        const quint64 n = QStringView(s).mid(digits, pos - digits).toULongLong(&ok, radix);
        if (!ok || n > 0xFFFFFFFFu)
            failAt(QStringLiteral("%1 is not a 32-bit %2 number")
                       .arg(s.mid(start, pos - start),
                            radix == 16 ? QStringLiteral("hexadecimal") : QStringLiteral("octal")),
                   start);
        constant(Value::whole(double(std::int32_t(std::uint32_t(n)))));
    }

    void text()
    {
        const qsizetype open = pos++;
        QString t;
        for (;;) {
            if (pos >= s.size()) failAt(QStringLiteral("unterminated text"), open);
            if (s[pos] == u'"') {
                if (pos + 1 < s.size() && s[pos + 1] == u'"') {
                    t += u'"';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            t += s[pos++];
        }
        constant(Value::string(std::move(t)));
    }

    void dateLiteral()
    {
        const qsizetype open = pos++;
        const qsizetype end = s.indexOf(u'#', pos);
        if (end < 0) failAt(QStringLiteral("the date has no closing \"#\""), open);
        const QString body = s.mid(pos, end - pos);
        double serial = 0;
        if (!readDate(body, serial)) failAt(QStringLiteral("#%1# is not a date").arg(body), open);
        pos = end + 1;
        constant(Value::of(Kind::Date, serial));
    }

    void reference(QChar close)
    {
        const qsizetype open = pos++;
        const qsizetype end = s.indexOf(close, pos);
        if (end < 0) failAt(QStringLiteral("the reference has no closing \"%1\"").arg(close), open);
        if (end == pos) failAt(QStringLiteral("the reference names no attribute"), open);
        const QString name = s.mid(pos, end - pos);
        pos = end + 1;
        qsizetype index = p.references.indexOf(name);
        if (index < 0) {
            index = p.references.size();
            p.references.append(name);
        }
        emit({Op::Reference, 0, std::int32_t(index)}, 1);
    }

    void name()
    {
        const qsizetype start = pos;
        while (pos < s.size() && isWordChar(s[pos]))
            ++pos;
        const QStringView word = QStringView(s).mid(start, pos - start);
        const auto is = [&](const char16_t *w) {
            return word.compare(QStringView(w), Qt::CaseInsensitive) == 0;
        };
        if (is(u"True") || is(u"False")) return constant(Value::boolean(is(u"True")));
        if (is(u"Empty")) return constant(Value());
        if (is(u"Null")) return constant(Value::null());
        if (isKeywordOperator(word)) failAt(QStringLiteral("unexpected \"%1\"").arg(word), start);
        const int id = findFunction(word);
        skipSpace();
        const bool open = pos < s.size() && s[pos] == u'(';
        if (id < 0) {
            if (open) failAt(QStringLiteral("unknown function \"%1\"").arg(word), start);
            failAt(QStringLiteral("unknown name \"%1\"; write a reference to an attribute as [%1]")
                       .arg(word),
                   start);
        }
        const Function &f = functions()[std::size_t(id)];
        int count = 0;
        if (open) {
            enter(pos++);
            if (!match(u")")) {
                do {
                    expression(0);
                    ++count;
                } while (match(u","));
                if (!match(u")"))
                    failAt(QStringLiteral("expected \",\" or \")\" instead of %1").arg(token()));
            }
            --nesting;
        }
        if (count < f.minArgs || count > f.maxArgs) {
            const QString wanted = f.minArgs == f.maxArgs ? QString::number(f.minArgs)
                                   : f.maxArgs == f.minArgs + 1
                                       ? QStringLiteral("%1 or %2").arg(f.minArgs).arg(f.maxArgs)
                                       : QStringLiteral("%1 to %2").arg(f.minArgs).arg(f.maxArgs);
            failAt(QStringLiteral("%1 takes %2 argument%3, not %4")
                       .arg(QString::fromUtf16(f.name), wanted,
                            f.maxArgs == 1 ? QString() : QStringLiteral("s"))
                       .arg(count),
                   start);
        }
        p.isVolatile = p.isVolatile || f.isVolatile;
        emit({Op::Call, std::uint8_t(count), id}, 1 - count);
    }
};

Value run(const Program &p, std::span<const Variant> values, Environment &environment)
{
    std::vector<Value> stack;
    stack.reserve(std::size_t(p.stackSize));
    for (const Instruction &i : p.code) {
        switch (i.op) {
        case Op::Constant:
            stack.push_back(p.constants[std::size_t(i.index)]);
            break;
        case Op::Reference:
            stack.push_back(fromVariant(values[std::size_t(i.index)]));
            break;
        case Op::Negate:
            stack.back() = negate(stack.back());
            break;
        case Op::Not:
            stack.back() = logicalNot(stack.back());
            break;
        case Op::Call: {
            const Function &f = functions()[std::size_t(i.index)];
            const std::span<Value> args(stack.data() + stack.size() - i.argumentCount,
                                        i.argumentCount);
            Value result;
            if (f.nullIn &&
                std::any_of(args.begin(), args.end(), [](const Value &v) { return v.isNull(); })) {
                result = Value::null();
            } else {
                try {
                    Call call{args, environment};
                    result = f.call(call);
                } catch (Failure &failure) {
                    failure.what = QString::fromUtf16(f.name) + QStringLiteral(": ") + failure.what;
                    throw;
                }
            }
            stack.resize(stack.size() - i.argumentCount);
            stack.push_back(std::move(result));
            break;
        }
        default: {
            Value right = std::move(stack.back());
            stack.pop_back();
            stack.back() = binary(i.op, stack.back(), right);
            break;
        }
        }
        if (stack.back().isString()) checkLength(stack.back().text.size());
    }
    return std::move(stack.back());
}

} // namespace

Expression::Expression(const QString &text)
{
    auto program = std::make_unique<Program>();
    program->text = text;
    Parser(program->text, *program).parse();
    m_program = std::move(program);
}

Expression::~Expression() = default;
Expression::Expression(Expression &&) noexcept = default;
Expression &Expression::operator=(Expression &&) noexcept = default;

const QString &Expression::text() const
{
    return m_program->text;
}

const QStringList &Expression::references() const
{
    return m_program->references;
}

bool Expression::isVolatile() const
{
    return m_program->isVolatile;
}

Variant Expression::evaluate(std::span<const Variant> values, Environment &environment) const
{
    if (values.size() < std::size_t(m_program->references.size()))
        throw Error(Error::InvalidProcedureCall, QStringLiteral("tessel"),
                    QStringLiteral("The expression needs %1 values, got %2.")
                        .arg(m_program->references.size())
                        .arg(values.size()));
    try {
        return toVariant(run(*m_program, values, environment));
    } catch (const Failure &failure) {
        throw Error(Error::NotAvailable, QStringLiteral("tessel"),
                    errorText(m_program->text, failure.what));
    }
}

Variant Expression::evaluate(const Resolver &resolve, Environment &environment) const
{
    std::vector<Variant> values;
    values.reserve(std::size_t(m_program->references.size()));
    for (const QString &name : m_program->references)
        values.push_back(resolve(name));
    return evaluate(values, environment);
}

Variant Expression::evaluate(const QString &text, const Resolver &resolve)
{
    Environment environment;
    return Expression(text).evaluate(resolve, environment);
}

QString Expression::errorText(const QString &text, const QString &what)
{
    constexpr qsizetype shown = 200;
    const QString quoted = text.size() > shown ? text.left(shown) + QStringLiteral("...") : text;
    return QStringLiteral("Cannot evaluate \"%1\": %2").arg(quoted, what);
}

} // namespace tessel
