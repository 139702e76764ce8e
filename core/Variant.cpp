#include "core/Variant.h"

#include "core/Error.h"
#include "core/NumberText.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace tabulon::platform {

namespace {

const QString &source()
{
    static const QString name = QStringLiteral("Variant");
    return name;
}

[[noreturn]] void raise(int number)
{
    throw Error::standard(number, source());
}

// A text as a number: the C form first ("1.5", "1e3"), then the user's locale ("1,5" in
// German). The C form refuses group separators, so that "1,500" is not read as 1500 where ","
// is the decimal separator.
std::optional<double> parseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    static const QLocale c = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::RejectGroupSeparator);
        return l;
    }();
    bool ok = false;
    double d = c.toDouble(trimmed, &ok);
    if (!ok) d = QLocale().toDouble(trimmed, &ok);
    if (!ok) {
        // Qt reports an out-of-range number as not ok but still gives its infinity.
        if (std::isinf(d)) raise(Error::Overflow);
        return std::nullopt;
    }
    // "inf" and "nan" are spelled numbers for Qt, not for us.
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

double textToDouble(const QString &text)
{
    if (const auto d = parseNumber(text)) return *d;
    raise(Error::TypeMismatch);
}

} // namespace

std::int32_t roundToInt32(double d)
{
    if (!std::isfinite(d)) raise(Error::Overflow);
    const double floor = std::floor(d);
    const double fraction = d - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1.0;
    if (rounded < -2147483648.0 || rounded > 2147483647.0) raise(Error::Overflow);
    return std::int32_t(rounded);
}

bool Variant::toBool() const
{
    switch (type()) {
    case Type::Empty:
        return false;
    case Type::Null:
        raise(Error::InvalidUseOfNull);
    case Type::Bool:
        return boolValue();
    case Type::Int:
        return intValue() != 0;
    case Type::Double:
        return doubleValue() != 0.0;
    case Type::String: {
        const QString trimmed = stringValue().trimmed();
        if (trimmed.compare(u"True", Qt::CaseInsensitive) == 0) return true;
        if (trimmed.compare(u"False", Qt::CaseInsensitive) == 0) return false;
        if (const auto d = parseNumber(trimmed)) return *d != 0.0;
        raise(Error::TypeMismatch);
    }
    }
    raise(Error::TypeMismatch);
}

std::int32_t Variant::toInt() const
{
    switch (type()) {
    case Type::Empty:
        return 0;
    case Type::Null:
        raise(Error::InvalidUseOfNull);
    case Type::Bool:
        return boolValue() ? -1 : 0;
    case Type::Int:
        return intValue();
    case Type::Double:
        return roundToInt32(doubleValue());
    case Type::String:
        return roundToInt32(textToDouble(stringValue()));
    }
    raise(Error::TypeMismatch);
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Empty:
        return 0.0;
    case Type::Null:
        raise(Error::InvalidUseOfNull);
    case Type::Bool:
        return boolValue() ? -1.0 : 0.0;
    case Type::Int:
        return intValue();
    case Type::Double:
        return doubleValue();
    case Type::String:
        return textToDouble(stringValue());
    }
    raise(Error::TypeMismatch);
}

QString Variant::toString() const
{
    switch (type()) {
    case Type::Empty:
        return QString();
    case Type::Null:
        raise(Error::InvalidUseOfNull);
    case Type::Bool:
        return boolValue() ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Int:
        return QString::number(intValue());
    case Type::Double:
        return numberToText(doubleValue());
    case Type::String:
        return stringValue();
    }
    raise(Error::TypeMismatch);
}

QString Variant::toText() const
{
    return isNull() ? QString() : toString();
}

QString Variant::debugText() const
{
    switch (type()) {
    case Type::Empty:
        return QStringLiteral("Empty");
    case Type::Null:
        return QStringLiteral("Null");
    case Type::Bool:
        return boolValue() ? QStringLiteral("Bool(true)") : QStringLiteral("Bool(false)");
    case Type::Int:
        return QStringLiteral("Int(%1)").arg(intValue());
    case Type::Double:
        return QStringLiteral("Double(%1)").arg(numberToText(doubleValue(), u'.'));
    case Type::String:
        return QStringLiteral("String(\"%1\")").arg(stringValue());
    }
    return QString();
}

} // namespace tabulon::platform
