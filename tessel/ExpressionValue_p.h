#pragma once

// Values and conversions inside expression evaluation, shared by the operators
// (Expression.cpp) and the functions (Functions.cpp). Not installed.

#include "tessel/Expression.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>

#include <cstdint>
#include <span>

namespace tessel::detail {

// The subtypes a value can have while an expression is evaluated. Numbers of every subtype
// are held as a double; a date is its serial number: days since 30 December 1899, the time
// of day as the fraction.
enum class Kind : std::uint8_t {
    Empty,
    Null,
    Boolean,
    Byte,
    Integer, // 16-bit
    Long,    // 32-bit
    Single,
    Double,
    Currency,
    Date,
    String,
};

struct Value
{
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;

    static Value null() { return {Kind::Null, 0, {}}; }
    static Value boolean(bool b) { return {Kind::Boolean, b ? -1.0 : 0.0, {}}; }
    static Value string(QString s) { return {Kind::String, 0, std::move(s)}; }
    static Value of(Kind kind, double d) { return {kind, d, {}}; }
    // A whole number as the narrowest of Integer and Long that holds it, else a Double.
    static Value whole(double d);
    // A Double; fails when d is infinite or not a number.
    static Value real(double d);

    bool isNull() const { return kind == Kind::Null; }
    bool isString() const { return kind == Kind::String; }
};

// A failure inside evaluation: what went wrong, without the expression text, which the caller
// adds.
struct Failure
{
    QString what;
};

[[noreturn]] void fail(const QString &what);

// A value as messages quote it: texts in quotes, numbers with "." whatever the locale.
QString quote(const Value &v);
// The subtype's name as TypeName gives it.
QString kindName(Kind kind);

// Conversions that fail with a Failure saying which value did not convert.
double toNumber(const Value &v);
bool toBoolean(const Value &v);
QString toText(const Value &v);
double toDate(const Value &v); // a serial date
// Rounded half to even, checked to lie in [low, high]; `what` names the argument in messages.
double toWhole(const Value &v, double low, double high, const QString &what);

// Dates, without time zones: a calendar date and a time of day.
struct DateTime
{
    QDate date;
    QTime time;
};
DateTime dateTimeOf(double serial);
double serialOf(const QDate &date, const QTime &time = QTime(0, 0));
// Reads ISO dates and times ("2024-06-11", "2024-06-11 14:30", "14:30:05") and the locale's
// short and long formats.
bool readDate(const QString &text, double &serial);
// "2024-06-11", "14:30:05" (no date part) or "2024-06-11 14:30:05".
QString dateText(double serial);
// A Date value; fails unless the serial lies between the years 100 and 9999.
Value checkedDate(double serial);

// Fails when a text result of that length would exceed Expression::maxResultLength.
void checkLength(qsizetype length);

// One call of a catalogue function.
struct Call
{
    std::span<Value> args;
    Environment &environment;

    int count() const { return int(args.size()); }
    bool has(int i) const { return i < count(); }
    Value &arg(int i) { return args[std::size_t(i)]; }
};

struct Function
{
    const char16_t *name;
    std::int8_t minArgs;
    std::int8_t maxArgs;
    // Null in any argument gives Null without calling the function.
    bool nullIn;
    // Depends on the clock or the random source.
    bool isVolatile;
    Value (*call)(Call &);
};

// The catalogue, indexed by the id that findFunction() returns (-1 for an unknown name).
std::span<const Function> functions();
int findFunction(QStringView name);

} // namespace tessel::detail
