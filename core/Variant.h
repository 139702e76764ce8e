#pragma once

#include "Export.h"

#include <QString>

#include <cstdint>
#include <new>
#include <variant>

namespace tabulon::platform {

// The value exchanged with the host and its attribute objects: empty, null, boolean, 32-bit
// integer, double or string. Conversions follow one rule set and raise platform::Error with
// the numbers Error::TypeMismatch, Error::Overflow and Error::InvalidUseOfNull.
class TABULON_CORE_EXPORT Variant
{
public:
    enum class Type : std::uint8_t { Empty, Null, Bool, Int, Double, String };

    Variant() noexcept {}
    Variant(bool b) noexcept : m_type(Type::Bool) { m_bool = b; }
    Variant(int i) noexcept : m_type(Type::Int) { m_int = std::int32_t(i); }
    Variant(double d) noexcept : m_type(Type::Double) { m_double = d; }
    Variant(const QString &s) : m_type(Type::String) { new (&m_string) QString(s); }
    Variant(QString &&s) noexcept : m_type(Type::String) { new (&m_string) QString(std::move(s)); }
    Variant(const char *s) : Variant(QString::fromUtf8(s)) {}
    // No implicit conversion from pointers or other integer widths: say which one is meant.
    Variant(const void *) = delete;
    Variant(long) = delete;
    Variant(long long) = delete;
    Variant(unsigned) = delete;

    // A tagged union rather than std::variant: tables hold millions of these, and copying,
    // moving and destroying one is a test of the tag instead of an indirect call.
    Variant(const Variant &other) : m_type(other.m_type) { constructFrom(other); }
    Variant(Variant &&other) noexcept : m_type(other.m_type) { constructFrom(std::move(other)); }
    // Copying a text only shares it: nothing here throws.
    Variant &operator=(const Variant &other) noexcept
    {
        if (this != &other) {
            destroy();
            m_type = other.m_type;
            constructFrom(other);
        }
        return *this;
    }
    Variant &operator=(Variant &&other) noexcept
    {
        if (this != &other) {
            destroy();
            m_type = other.m_type;
            constructFrom(std::move(other));
        }
        return *this;
    }
    ~Variant() { destroy(); }

    static Variant null() noexcept
    {
        Variant v;
        v.m_type = Type::Null;
        return v;
    }

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }
    bool isNull() const { return m_type == Type::Null; }
    bool isString() const { return m_type == Type::String; }
    bool isNumber() const { return m_type == Type::Int || m_type == Type::Double; }

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

    // The stored alternatives, for code that switches on type(). Asking for another type than
    // the stored one throws std::bad_variant_access.
    bool boolValue() const { return require(Type::Bool), m_bool; }
    std::int32_t intValue() const { return require(Type::Int), m_int; }
    double doubleValue() const { return require(Type::Double), m_double; }
    const QString &stringValue() const { return require(Type::String), m_string; }

    // Same type and same value (doubles compared by value, strings exactly).
    bool operator==(const Variant &other) const
    {
        if (m_type != other.m_type) return false;
        switch (m_type) {
        case Type::Bool:
            return m_bool == other.m_bool;
        case Type::Int:
            return m_int == other.m_int;
        case Type::Double:
            return m_double == other.m_double;
        case Type::String:
            return m_string == other.m_string;
        default:
            return true;
        }
    }

    // A short description for test output and logs: Empty, Null, Bool(true), Int(3), ...
    QString debugText() const;

private:
    void require(Type type) const
    {
        if (m_type != type) throw std::bad_variant_access();
    }
    void destroy() noexcept
    {
        if (m_type == Type::String) m_string.~QString();
    }
    // Constructs this value's payload from `other`, whose type m_type already holds.
    void constructFrom(const Variant &other) noexcept
    {
        if (m_type == Type::String)
            new (&m_string) QString(other.m_string);
        else
            copyScalar(other);
    }
    void constructFrom(Variant &&other) noexcept
    {
        if (m_type == Type::String)
            new (&m_string) QString(std::move(other.m_string));
        else
            copyScalar(other);
    }
    void copyScalar(const Variant &other) noexcept
    {
        switch (m_type) {
        case Type::Bool:
            m_bool = other.m_bool;
            break;
        case Type::Int:
            m_int = other.m_int;
            break;
        case Type::Double:
            m_double = other.m_double;
            break;
        default:
            break;
        }
    }

    union {
        bool m_bool;
        std::int32_t m_int;
        double m_double;
        QString m_string;
    };
    Type m_type = Type::Empty;
};

// Round a double half to even to a signed 32-bit integer; raises Overflow outside the range
// and for NaN and infinities.
TABULON_CORE_EXPORT std::int32_t roundToInt32(double d);

} // namespace tabulon::platform
