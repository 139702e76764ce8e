#pragma once

#include "platform/Export.h"

#include <QString>

#include <cstdint>
#include <variant>

namespace tabulon::platform {

// The value exchanged with the host and its attribute objects: empty, null, boolean, 32-bit
// integer, double or string. Conversions follow one rule set and raise platform::Error with
// the numbers Error::TypeMismatch, Error::Overflow and Error::InvalidUseOfNull.
class TABULON_EXPORT Variant
{
public:
    enum class Type { Empty, Null, Bool, Int, Double, String };
    struct NullTag {
        bool operator==(const NullTag &) const = default;
    };

    Variant() = default;
    Variant(bool b) : m_v(b) {}
    Variant(int i) : m_v(std::int32_t(i)) {}
    Variant(double d) : m_v(d) {}
    Variant(const QString &s) : m_v(s) {}
    Variant(QString &&s) : m_v(std::move(s)) {}
    Variant(const char *s) : m_v(QString::fromUtf8(s)) {}
    // No implicit conversion from pointers or other integer widths: say which one is meant.
    Variant(const void *) = delete;
    Variant(long) = delete;
    Variant(long long) = delete;
    Variant(unsigned) = delete;

    static Variant null() { Variant v; v.m_v = NullTag{}; return v; }

    Type type() const { return Type(m_v.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isString() const { return type() == Type::String; }
    bool isNumber() const { return type() == Type::Int || type() == Type::Double; }

    // To boolean: numbers are true when not zero; texts "True"/"False" in any case, or a
    // number in the text; empty is false; null raises InvalidUseOfNull; anything else
    // TypeMismatch.
    bool toBool() const;
    // To a signed 32-bit integer, rounding half to even; texts are read as numbers in the C
    // locale or the user's locale; out of range raises Overflow.
    std::int32_t toInt() const;
    // To double; texts as for toInt(); empty is 0.
    double toDouble() const;
    // To text: booleans "True"/"False", numbers by the standard number-to-text conversion,
    // empty "". Null raises InvalidUseOfNull.
    QString toString() const;
    // As toString(), but null gives "" instead of raising.
    QString toText() const;

    // The stored alternatives, for code that switches on type().
    bool boolValue() const { return std::get<bool>(m_v); }
    std::int32_t intValue() const { return std::get<std::int32_t>(m_v); }
    double doubleValue() const { return std::get<double>(m_v); }
    const QString &stringValue() const { return std::get<QString>(m_v); }

    // Same type and same value (doubles compared by value, strings exactly).
    bool operator==(const Variant &other) const { return m_v == other.m_v; }

    // A short description for test output and logs: Empty, Null, Bool(true), Int(3), ...
    QString debugText() const;

private:
    std::variant<std::monostate, NullTag, bool, std::int32_t, double, QString> m_v;
};

// Round a double half to even to a signed 32-bit integer; raises Overflow outside the range
// and for NaN and infinities.
TABULON_EXPORT std::int32_t roundToInt32(double d);

} // namespace tabulon::platform
