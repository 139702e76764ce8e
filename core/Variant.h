#pragma once

#include "Export.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <variant>

namespace tabulon::platform {

// The value exchanged with the host and its attribute objects: empty, null, boolean, 32-bit
// integer, double or string. Conversions follow one rule set and raise platform::Error with
// the numbers Error::TypeMismatch, Error::Overflow and Error::InvalidUseOfNull.
class TABULON_CORE_EXPORT Variant
{
public:
    enum class Type : std::uint8_t { Empty, Null, Bool, Int, Double, String };

    Variant() noexcept : m_scalar{tagOf(Type::Empty), {}} {}
    Variant(bool b) noexcept : m_scalar{tagOf(Type::Bool), {}} { m_scalar.b = b; }
    Variant(int i) noexcept : m_scalar{tagOf(Type::Int), {}} { m_scalar.i = std::int32_t(i); }
    Variant(double d) noexcept : m_scalar{tagOf(Type::Double), {}} { m_scalar.d = d; }
    Variant(const QString &s) noexcept : m_string(s) {}
    Variant(QString &&s) noexcept : m_string(std::move(s)) {}
    Variant(const char *s) : Variant(QString::fromUtf8(s)) {}
    // No implicit conversion from pointers or other integer widths: say which one is meant.
    Variant(const void *) = delete;
    Variant(long) = delete;
    Variant(long long) = delete;
    Variant(unsigned) = delete;

    // A tagged union rather than std::variant: tables hold millions of these, and copying,
    // moving and destroying one is a test of the tag instead of an indirect call.
    Variant(const Variant &other) noexcept { constructFrom(other); }
    Variant(Variant &&other) noexcept { constructFrom(std::move(other)); }
    // Copying a text only shares it: nothing here throws.
    Variant &operator=(const Variant &other) noexcept
    {
        if (this != &other) {
            destroy();
            constructFrom(other);
        }
        return *this;
    }
    Variant &operator=(Variant &&other) noexcept
    {
        if (this != &other) {
            destroy();
            constructFrom(std::move(other));
        }
        return *this;
    }
    ~Variant() { destroy(); }

    static Variant null() noexcept
    {
        Variant v;
        v.m_scalar.tag = tagOf(Type::Null);
        return v;
    }

    Type type() const noexcept
    {
        const std::uintptr_t word = firstWord();
        return word & 1 ? Type(word >> 1) : Type::String;
    }
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

    // The stored alternatives, for code that switches on type(). Asking for another type than
    // the stored one throws std::bad_variant_access.
    bool boolValue() const { return require(Type::Bool), m_scalar.b; }
    std::int32_t intValue() const { return require(Type::Int), m_scalar.i; }
    double doubleValue() const { return require(Type::Double), m_scalar.d; }
    const QString &stringValue() const { return require(Type::String), m_string; }

    // Same type and same value (doubles compared by value, strings exactly).
    bool operator==(const Variant &other) const
    {
        const Type t = type();
        if (t != other.type()) return false;
        switch (t) {
        case Type::Bool:
            return m_scalar.b == other.m_scalar.b;
        case Type::Int:
            return m_scalar.i == other.m_scalar.i;
        case Type::Double:
            return m_scalar.d == other.m_scalar.d;
        case Type::String:
            return m_string == other.m_string;
        default:
            return true;
        }
    }

    // A short description for test output and logs: Empty, Null, Bool(true), Int(3), ...
    QString debugText() const;

private:
    // A table's cell keeps the words of a value that is not a text as they are, and takes a
    // text over with takeString().
    friend class TableCell;

    // Moves the text out, leaving this value empty: hands a text on without touching its
    // shared reference count. Throws std::bad_variant_access for another type.
    QString takeString()
    {
        require(Type::String);
        QString text = std::move(m_string);
        m_string.~QString();
        new (&m_scalar) Scalar{tagOf(Type::Empty), {}};
        return text;
    }

    // A value is as large as a text, 24 bytes. A text's first word is the address of its
    // shared header: zero, or a multiple of the header's alignment, so never odd. Every other
    // kind keeps an odd tag there, (type << 1) | 1, and its payload in the second word.
    struct Scalar
    {
        std::uintptr_t tag;
        union {
            bool b;
            std::int32_t i;
            double d;
        };
    };
    static_assert(sizeof(QString) == 3 * sizeof(void *) && alignof(QString) == alignof(void *),
                  "a text is its header's address, its characters' address and its length");
    static constexpr std::uintptr_t tagOf(Type type) { return (std::uintptr_t(type) << 1) | 1; }
    explicit Variant(const Scalar &words) noexcept : m_scalar(words) {}

    std::uintptr_t firstWord() const noexcept
    {
        std::uintptr_t word;
        std::memcpy(&word, static_cast<const void *>(this), sizeof word);
        return word;
    }
    void require(Type type) const
    {
        if (this->type() != type) throw std::bad_variant_access();
    }
    void destroy() noexcept
    {
        if (isString()) m_string.~QString();
    }
    void constructFrom(const Variant &other) noexcept
    {
        if (other.isString())
            new (&m_string) QString(other.m_string);
        else
            new (&m_scalar) Scalar(other.m_scalar);
    }
    void constructFrom(Variant &&other) noexcept
    {
        if (other.isString())
            new (&m_string) QString(std::move(other.m_string));
        else
            new (&m_scalar) Scalar(other.m_scalar);
    }

    union {
        Scalar m_scalar;
        QString m_string;
    };
};

// Round a double half to even to a signed 32-bit integer; raises Overflow outside the range
// and for NaN and infinities.
TABULON_CORE_EXPORT std::int32_t roundToInt32(double d);

} // namespace tabulon::platform
