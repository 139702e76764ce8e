#pragma once

#include "../core/AttributeSource.h"
#include "Export.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace tessel {

class Collection;
class Evaluator;

// One attribute of a host object: a typed value with an optional unit, constraints, an
// enumeration of allowed values, or an expression over the other attributes of its
// collection. Built with the setters; the control uses it through tabulon::Attribute.
//
// A real attribute with a unit works in one current unit: its own unit at first, then the one
// last requested through valueInUnits(). value(), rawValue(), evaluatedValue(), setValue() and
// validate() all speak that unit; the value is stored, and minimum and maximum are given, in
// the own unit. Expressions read the attributes they refer to in their own units.
//
// An expression is parsed once per text, and its value is computed at most once per change of
// the attributes it depends on; see Evaluator.
//
// Failures throw platform::Error with the source "tessel": TypeMismatch or Overflow when a
// value does not convert to the data type, ValueRejected when it breaks a constraint,
// UnitMismatch for a unit of another quantity, InvalidProcedureCall for an enumeration index
// out of range, NotAvailable when an expression cannot be evaluated.
class TESSEL_EXPORT Attribute : public tabulon::Attribute
{
public:
    struct EnumerationEntry
    {
        QString value; // stored value
        QString text;  // display text
        bool operator==(const EnumerationEntry &) const = default;
    };

    // A visible, editable attribute of the given data type (1 to 4) holding that type's empty
    // value ("", 0, 0.0 or false); its display name is its name.
    explicit Attribute(const QString &name, std::int32_t dataType = tabulon::adtText);
    // A copy that belongs to no collection.
    Attribute(const Attribute &other);
    Attribute &operator=(const Attribute &) = delete;
    ~Attribute() override;

    // tabulon::Attribute
    QString name() const override { return m_name; }
    QString displayName() const override { return m_displayName; }
    QString unitsText() const override { return m_unitsText; }
    QString allowableValues() const override { return m_allowableValues; }
    std::int32_t dataType() const override { return m_dataType; }
    tabulon::UnitCode unitsCode() const override { return m_unitsCode; }
    bool isVisible() const override { return m_visible; }
    bool isEditable() const override { return m_editable; }
    bool isValueSet() const override { return m_valueSet; }
    bool isExpression() const override { return m_expression; }
    // The text of an expression; otherwise the value, in the current unit.
    tabulon::platform::Variant rawValue() const override;
    // The value an expression yields, in the current unit; throws NotAvailable when it cannot
    // be evaluated. Otherwise the value.
    tabulon::platform::Variant evaluatedValue() const override;
    // As evaluatedValue(), except that an expression that cannot be evaluated answers its
    // error's description as text instead of throwing: a reader walking many attributes gets
    // every value, and sees the failure where the value would be.
    tabulon::platform::Variant value() const override;
    // Converts to the data type and from the current unit, checks the constraints and stores;
    // on failure throws and keeps the old value. Marks the value as set. An expression
    // attribute stores the text of the expression instead (numbers as C-locale text),
    // unchecked: errors show on evaluation.
    void setValue(const tabulon::platform::Variant &value) override;
    // Whether setValue() would accept the candidate (given in the current unit).
    bool validate(const tabulon::platform::Variant &candidate) const override;
    // For a real attribute with a unit: `requested` becomes the current unit when it measures
    // the same quantity as the own unit; the value comes in the current unit, which `used`
    // names. Other attributes answer value() and their own units code.
    tabulon::platform::Variant valueInUnits(tabulon::UnitCode requested,
                                            tabulon::UnitCode &used) const override;
    // Converts from `units` to the own unit and stores as setValue() does; the current unit
    // stays. Throws UnitMismatch when `units` is neither the own code nor of the same quantity,
    // ValueRejected when the converted value breaks a limit.
    void setValueInUnits(tabulon::UnitCode units, double value) override;

    // The unit that value(), setValue() and validate() speak (see above).
    tabulon::UnitCode currentUnit() const { return m_currentUnit; }
    std::int32_t enumerationCount() const override;
    QString enumerationValue(std::int32_t index) const override;
    QString enumerationDisplayText(std::int32_t index) const override;
    QString displayText(const QString &storedValue) const override;

    // Why setValue() would reject a candidate, without the attribute's name ("\"abc\" is not
    // a valid integer", "600 is above the maximum 500", "1.5 m (1500 mm) is above the maximum
    // 1000 mm"); empty when validate() accepts it.
    QString rejectionReason(const tabulon::platform::Variant &candidate) const;

    // Building. Renaming or moving an attribute that belongs to a collection updates the
    // collection's lookups.
    void setName(const QString &name);
    void setDisplayName(const QString &displayName);
    // Also sets unitsCode() from the text by tessel::unitCode().
    void setUnitsText(const QString &unitsText);
    void setAllowableValues(const QString &allowableValues);
    // Changes the type (1 to 4, else InvalidProcedureCall); the value is converted to the new
    // type, or reset to its empty value when it does not convert.
    void setDataType(std::int32_t dataType);
    void setVisible(bool visible) { m_visible = visible; }
    void setEditable(bool editable) { m_editable = editable; }
    void setValueSet(bool valueSet) { m_valueSet = valueSet; }
    // Switches between a plain value and an expression; the stored value becomes the text of
    // the expression or is converted back to the data type (its empty value if it cannot be).
    void setExpression(bool expression);

    // Constraints checked by validate() and setValue(); they do not change the stored value.
    // Minimum and maximum apply to integer and real values (in the own unit), the maximum
    // length to texts.
    std::optional<double> minimum() const;
    std::optional<double> maximum() const;
    std::optional<std::int32_t> maxLength() const;
    void setMinimum(std::optional<double> minimum);
    void setMaximum(std::optional<double> maximum);
    void setMaxLength(std::optional<std::int32_t> maxLength);

    QList<EnumerationEntry> enumeration() const;
    void setEnumeration(const QList<EnumerationEntry> &entries);

    // The key of position order in the collection (item(i) is the i-th by position).
    std::int32_t position() const { return m_position; }
    void setPosition(std::int32_t position);

    // The collection the attribute was added to; null when it belongs to none.
    Collection *collection() const { return m_collection; }

private:
    friend class Collection;
    friend class Evaluator;
    struct Details;
    struct Evaluation;

    // The candidate converted to the data type and from `given` to the own unit, checked
    // against the constraints.
    tabulon::platform::Variant convertForStore(const tabulon::platform::Variant &candidate,
                                               tabulon::UnitCode given) const;
    // The value converted to the data type, without constraints or units.
    tabulon::platform::Variant toDataType(const tabulon::platform::Variant &value) const;
    // True for a real attribute with a unit, the only kind whose current unit can differ.
    bool hasCurrentUnit() const;
    // A stored (own-unit) value in the current unit.
    tabulon::platform::Variant inCurrentUnit(const tabulon::platform::Variant &own) const;
    Details &details();
    // Tells the expressions that depend on this attribute that its value changed.
    // Stores `value`, given in `units`, after conversion and checks; then tells the dependants.
    void store(const tabulon::platform::Variant &value, tabulon::UnitCode units);
    void changed();

    QString m_name;
    QString m_displayName;
    QString m_unitsText;
    QString m_allowableValues;
    tabulon::platform::Variant m_value;
    // Constraints and enumeration; most attributes have neither, so they cost one pointer.
    std::unique_ptr<Details> m_details;
    // The parsed expression, its memoised result and the links of the dependency graph;
    // created on the first evaluation or reference.
    std::unique_ptr<Evaluation> m_evaluation;
    Collection *m_collection = nullptr;
    std::int32_t m_position = 0;
    std::int8_t m_dataType;
    std::int8_t m_unitsCode = tabulon::kNoUnit;
    mutable std::int8_t m_currentUnit = tabulon::kNoUnit;
    bool m_visible = true;
    bool m_editable = true;
    bool m_valueSet = false;
    bool m_expression = false;
};

} // namespace tessel
