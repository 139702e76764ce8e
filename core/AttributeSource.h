#pragma once

#include "Export.h"
#include "Units.h"
#include "Variant.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace tabulon {

// Data-type codes of an attribute.
enum AttributeDataType : std::int32_t {
    adtText = 1,
    adtInteger = 2, // 32-bit whole number
    adtReal = 3,    // double; the only type shown and entered with units
    adtBoolean = 4,
};

// One attribute of a host object, as the control calls it. Every operation may fail by
// throwing platform::Error or any std::exception; the calling code decides what a failure
// means.
class TABULON_CORE_EXPORT Attribute
{
public:
    virtual ~Attribute();

    virtual QString name() const = 0;
    virtual QString displayName() const = 0;
    // The units text: a unit name ("mm"), empty, or a row kind ("FILE", "FOLDER", "BYF").
    virtual QString unitsText() const = 0;
    // Describes the allowed values; contains "enumeration" for enumerated attributes.
    virtual QString allowableValues() const = 0;
    virtual std::int32_t dataType() const = 0;
    // The attribute's own unit; kNoUnit when it has none.
    virtual UnitCode unitsCode() const = 0;
    virtual bool isVisible() const = 0;
    virtual bool isEditable() const = 0;
    virtual bool isValueSet() const = 0;
    // True when the value is computed from an expression.
    virtual bool isExpression() const = 0;

    // The stored form: an expression's text for expression attributes.
    virtual platform::Variant rawValue() const = 0;
    // The value an expression yields (the value itself for other attributes).
    virtual platform::Variant evaluatedValue() const = 0;

    virtual platform::Variant value() const = 0;
    virtual void setValue(const platform::Variant &value) = 0;

    // Whether a candidate (text, 32-bit integer or double, after the data type) is acceptable.
    virtual bool validate(const platform::Variant &candidate) const = 0;

    // The value expressed in the requested unit. Sets `used` to the unit in which the value is
    // actually given, which differs from `requested` when the attribute cannot convert to it.
    virtual platform::Variant valueInUnits(UnitCode requested, UnitCode &used) const = 0;
    // Stores a value given in `units`, converting it to the attribute's own unit.
    virtual void setValueInUnits(UnitCode units, double value) = 0;

    // Enumerated values; a count below 1 means no enumeration.
    virtual std::int32_t enumerationCount() const = 0;
    virtual QString enumerationValue(std::int32_t index) const = 0;       // stored value
    virtual QString enumerationDisplayText(std::int32_t index) const = 0; // what people see
    // The display text of a stored value ("" when the value has none).
    virtual QString displayText(const QString &storedValue) const = 0;
};

// The attributes of one host object. Collections are held by shared ownership; the control
// keeps a reference to the one it shows and never copies it.
class TABULON_CORE_EXPORT AttributeCollection
{
public:
    virtual ~AttributeCollection();

    virtual std::int32_t count() const = 0;
    // Calls visit for each attribute in the collection's own enumeration order.
    virtual void forEach(const std::function<void(Attribute &)> &visit) const = 0;
    // The attribute at a 0-based position (position order).
    virtual std::shared_ptr<Attribute> item(std::int32_t position) const = 0;
    // The attribute for a key: an attribute's name, or whatever key the host passes through the
    // control unchanged. Throws when there is no such attribute.
    virtual std::shared_ptr<Attribute> itemByKey(const platform::Variant &key) const = 0;
    // A copy to experiment on (the expression builder sets values in it when testing).
    virtual std::shared_ptr<AttributeCollection> workingSet() const = 0;
};

} // namespace tabulon
