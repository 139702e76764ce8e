#include "tessel/Attribute.h"

#include "core/Error.h"
#include "core/NumberText.h"
#include "tessel/Collection.h"
#include "tessel/ErrorNumbers.h"
#include "tessel/Evaluator_p.h"
#include "tessel/Units.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessel {

using tabulon::platform::Error;
using tabulon::platform::Variant;

struct Attribute::Details
{
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::optional<std::int32_t> maxLength;
    QList<EnumerationEntry> enumeration;
};

namespace {

const QString source = QStringLiteral("tessel");

QString typeNoun(std::int32_t dataType)
{
    switch (dataType) {
    case tabulon::adtInteger:
        return QStringLiteral("integer");
    case tabulon::adtReal:
        return QStringLiteral("real number");
    case tabulon::adtBoolean:
        return QStringLiteral("boolean");
    default:
        return QStringLiteral("text");
    }
}

QString numberText(double d)
{
    return tabulon::platform::numberToText(d, u'.');
}

// A value as messages show it: texts quoted, numbers with "." whatever the locale.
QString describeValue(const Variant &v)
{
    switch (v.type()) {
    case Variant::Type::Empty:
        return QStringLiteral("an empty value");
    case Variant::Type::Null:
        return QStringLiteral("a null value");
    case Variant::Type::Bool:
        return v.boolValue() ? QStringLiteral("True") : QStringLiteral("False");
    case Variant::Type::Int:
        return QString::number(v.intValue());
    case Variant::Type::Double:
        return numberText(v.doubleValue());
    case Variant::Type::String:
        return u'"' + v.stringValue() + u'"';
    }
    return {};
}

Variant emptyValue(std::int32_t dataType)
{
    switch (dataType) {
    case tabulon::adtInteger:
        return 0;
    case tabulon::adtReal:
        return 0.0;
    case tabulon::adtBoolean:
        return false;
    default:
        return QString();
    }
}

// The value in the data type's own representation; throws the conversion's error number with
// a description that says what did not convert.
Variant convertTo(std::int32_t dataType, const Variant &v)
{
    try {
        switch (dataType) {
        case tabulon::adtInteger:
            return v.toInt();
        case tabulon::adtBoolean:
            return v.toBool();
        case tabulon::adtReal: {
            const double d = v.toDouble();
            if (!std::isfinite(d)) throw Error::standard(Error::TypeMismatch);
            return d;
        }
        default:
            return v.toString();
        }
    } catch (const Error &e) {
        if (e.number() == Error::Overflow)
            throw Error(e.number(), source,
                        QStringLiteral("%1 is out of the range of an %2")
                            .arg(describeValue(v), typeNoun(dataType)));
        throw Error(
            e.number(), source,
            QStringLiteral("%1 is not a valid %2").arg(describeValue(v), typeNoun(dataType)));
    }
}

// The text an expression attribute stores for a value.
QString expressionText(const Variant &v)
{
    switch (v.type()) {
    case Variant::Type::Int:
        return QString::number(v.intValue());
    case Variant::Type::Double:
        return numberText(v.doubleValue());
    default:
        return v.toString();
    }
}

} // namespace

Attribute::Attribute(const QString &name, std::int32_t dataType)
    : m_name(name), m_displayName(name), m_dataType(std::int8_t(tabulon::adtText))
{
    setDataType(dataType);
}

Attribute::Attribute(const Attribute &other)
    : tabulon::Attribute(), m_name(other.m_name), m_displayName(other.m_displayName),
      m_unitsText(other.m_unitsText), m_allowableValues(other.m_allowableValues),
      m_value(other.m_value),
      m_details(other.m_details ? std::make_unique<Details>(*other.m_details) : nullptr),
      m_position(other.m_position), m_dataType(other.m_dataType), m_unitsCode(other.m_unitsCode),
      m_currentUnit(other.m_currentUnit), m_visible(other.m_visible), m_editable(other.m_editable),
      m_valueSet(other.m_valueSet), m_expression(other.m_expression)
{}

Attribute::~Attribute() = default;

Attribute::Details &Attribute::details()
{
    if (!m_details) m_details = std::make_unique<Details>();
    return *m_details;
}

Variant Attribute::toDataType(const Variant &value) const
{
    return convertTo(m_dataType, value);
}

bool Attribute::hasCurrentUnit() const
{
    return m_dataType == tabulon::adtReal && m_unitsCode != tabulon::kNoUnit;
}

Variant Attribute::inCurrentUnit(const Variant &own) const
{
    if (!hasCurrentUnit() || m_currentUnit == m_unitsCode || !own.isNumber()) return own;
    return convert(own.toDouble(), m_unitsCode, m_currentUnit);
}

Variant Attribute::rawValue() const
{
    return m_expression ? m_value : inCurrentUnit(m_value);
}

Variant Attribute::evaluatedValue() const
{
    return inCurrentUnit(m_expression ? Evaluator::result(*this) : m_value);
}

Variant Attribute::value() const
{
    if (!m_expression) return inCurrentUnit(m_value);
    try {
        return inCurrentUnit(Evaluator::result(*this));
    } catch (const Error &e) {
        return e.description();
    }
}

Variant Attribute::convertForStore(const Variant &candidate, tabulon::UnitCode given) const
{
    if (m_expression) return expressionText(candidate);
    Variant v = convertTo(m_dataType, candidate);
    // What messages call the candidate: with its unit, and converted when that is not the own.
    QString shown = describeValue(v);
    QString unit;
    if (hasCurrentUnit()) {
        unit = u' ' + tabulon::unitName(m_unitsCode).toString();
        shown += u' ' + tabulon::unitName(given).toString();
        if (given != m_unitsCode) {
            const double own = convert(v.doubleValue(), given, m_unitsCode);
            if (!std::isfinite(own))
                throw Error(Error::Overflow, source,
                            QStringLiteral("%1 is out of the range of a real number in%2")
                                .arg(shown, unit));
            v = own;
            shown += QStringLiteral(" (%1%2)").arg(numberText(own), unit);
        }
    }
    const auto reject = [](const QString &why) { throw Error(ValueRejected, source, why); };
    if (!m_details) return v;
    if (v.type() == Variant::Type::String) {
        if (m_details->maxLength && v.stringValue().size() > *m_details->maxLength)
            reject(QStringLiteral("%1 is longer than %2 characters")
                       .arg(shown)
                       .arg(*m_details->maxLength));
    } else if (v.isNumber()) {
        const double d = v.type() == Variant::Type::Int ? v.intValue() : v.doubleValue();
        if (m_details->minimum && d < *m_details->minimum)
            reject(QStringLiteral("%1 is below the minimum %2%3")
                       .arg(shown, numberText(*m_details->minimum), unit));
        if (m_details->maximum && d > *m_details->maximum)
            reject(QStringLiteral("%1 is above the maximum %2%3")
                       .arg(shown, numberText(*m_details->maximum), unit));
    }
    return v;
}

void Attribute::setValue(const Variant &value)
{
    store(value, m_currentUnit);
}

void Attribute::store(const Variant &value, tabulon::UnitCode units)
{
    try {
        m_value = convertForStore(value, units);
    } catch (const Error &e) {
        throw Error(
            e.number(), source,
            QStringLiteral("Invalid value for attribute \"%1\": %2.").arg(m_name, e.description()));
    }
    m_valueSet = true;
    changed();
}

void Attribute::changed()
{
    Evaluator::changed(*this);
}

QString Attribute::rejectionReason(const Variant &candidate) const
{
    try {
        convertForStore(candidate, m_currentUnit);
        return {};
    } catch (const Error &e) {
        return e.description();
    }
}

bool Attribute::validate(const Variant &candidate) const
{
    try {
        return rejectionReason(candidate).isEmpty();
    } catch (...) {
        return false;
    }
}

Variant Attribute::valueInUnits(tabulon::UnitCode requested, tabulon::UnitCode &used) const
{
    if (hasCurrentUnit() && isConvertible(m_unitsCode, requested))
        m_currentUnit = std::int8_t(requested);
    used = hasCurrentUnit() ? m_currentUnit : m_unitsCode;
    return value();
}

void Attribute::setValueInUnits(tabulon::UnitCode units, double value)
{
    if (units != m_unitsCode && !isConvertible(units, m_unitsCode))
        throw Error(UnitMismatch, source,
                    QStringLiteral("Cannot convert from %1 to %2 for attribute \"%3\".")
                        .arg(unitDescription(units), unitDescription(m_unitsCode), m_name));
    if (!hasCurrentUnit()) return setValue(value);
    if (m_expression) {
        // The text of a constant expression, in the own unit like every expression result.
        m_value = expressionText(units == m_unitsCode ? value : convert(value, units, m_unitsCode));
        m_valueSet = true;
        changed();
        return;
    }
    store(value, units);
}

std::int32_t Attribute::enumerationCount() const
{
    return m_details ? std::int32_t(m_details->enumeration.size()) : 0;
}

QString Attribute::enumerationValue(std::int32_t index) const
{
    if (index < 0 || index >= enumerationCount())
        throw Error(Error::InvalidProcedureCall, source,
                    QStringLiteral("Enumeration index %1 is out of range for attribute \"%2\", "
                                   "which has %3 entries.")
                        .arg(index)
                        .arg(m_name)
                        .arg(enumerationCount()));
    return m_details->enumeration[index].value;
}

QString Attribute::enumerationDisplayText(std::int32_t index) const
{
    enumerationValue(index); // range check
    return m_details->enumeration[index].text;
}

QString Attribute::displayText(const QString &storedValue) const
{
    if (m_details)
        for (const EnumerationEntry &e : m_details->enumeration)
            if (e.value == storedValue) return e.text;
    return {};
}

void Attribute::setName(const QString &name)
{
    if (name == m_name) return;
    m_name = name;
    if (m_collection) m_collection->invalidateNames();
}

void Attribute::setDisplayName(const QString &displayName)
{
    m_displayName = displayName;
}

void Attribute::setUnitsText(const QString &unitsText)
{
    m_unitsText = unitsText;
    m_unitsCode = std::int8_t(unitCode(unitsText));
    m_currentUnit = m_unitsCode;
}

void Attribute::setAllowableValues(const QString &allowableValues)
{
    m_allowableValues = allowableValues;
}

void Attribute::setDataType(std::int32_t dataType)
{
    if (dataType < tabulon::adtText || dataType > tabulon::adtBoolean)
        throw Error(Error::InvalidProcedureCall, source,
                    QStringLiteral("Data type %1 is not 1 (text), 2 (integer), 3 (real) or 4 "
                                   "(boolean).")
                        .arg(dataType));
    m_dataType = std::int8_t(dataType);
    changed();
    if (m_expression) return;
    try {
        m_value = convertTo(dataType, m_value);
    } catch (const Error &) {
        m_value = emptyValue(dataType);
    }
}

void Attribute::setExpression(bool expression)
{
    if (expression == m_expression) return;
    changed();
    if (expression) {
        m_value = expressionText(m_value);
        m_expression = true;
        return;
    }
    m_expression = false;
    try {
        m_value = convertTo(m_dataType, m_value);
    } catch (const Error &) {
        m_value = emptyValue(m_dataType);
    }
}

std::optional<double> Attribute::minimum() const
{
    return m_details ? m_details->minimum : std::nullopt;
}

std::optional<double> Attribute::maximum() const
{
    return m_details ? m_details->maximum : std::nullopt;
}

std::optional<std::int32_t> Attribute::maxLength() const
{
    return m_details ? m_details->maxLength : std::nullopt;
}

void Attribute::setMinimum(std::optional<double> minimum)
{
    if (minimum || m_details) details().minimum = minimum;
}

void Attribute::setMaximum(std::optional<double> maximum)
{
    if (maximum || m_details) details().maximum = maximum;
}

void Attribute::setMaxLength(std::optional<std::int32_t> maxLength)
{
    if (maxLength || m_details) details().maxLength = maxLength;
}

QList<Attribute::EnumerationEntry> Attribute::enumeration() const
{
    return m_details ? m_details->enumeration : QList<EnumerationEntry>();
}

void Attribute::setEnumeration(const QList<EnumerationEntry> &entries)
{
    if (!entries.isEmpty() || m_details) details().enumeration = entries;
}

void Attribute::setPosition(std::int32_t position)
{
    if (position == m_position) return;
    m_position = position;
    if (m_collection) m_collection->invalidatePositions();
}

} // namespace tessel
