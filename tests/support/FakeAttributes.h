#pragma once

#include "core/AttributeSource.h"
#include "core/Error.h"

#include <QHash>
#include <QString>

#include <functional>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tabulon::test {

// An attribute double: plain fields, a log of the writes it received, and an operation that
// can be told to throw, to inject failures at one chosen call.
class FakeAttribute : public Attribute
{
public:
    enum class Op {
        None, Name, DisplayName, UnitsText, AllowableValues, DataType, UnitsCode, Visible,
        Editable, ValueSet, Expression, RawValue, EvaluatedValue, Value, SetValue, Validate,
        ValueInUnits, SetValueInUnits, EnumerationCount, EnumerationValue,
        EnumerationDisplayText, DisplayText,
    };

    FakeAttribute(QString name, std::int32_t type, platform::Variant value = {})
        : m_name(std::move(name)), m_displayName(m_name), m_dataType(type), m_value(std::move(value))
    {
    }

    QString name() const override { check(Op::Name); return m_name; }
    QString displayName() const override { check(Op::DisplayName); return m_displayName; }
    QString unitsText() const override { check(Op::UnitsText); return m_units; }
    QString allowableValues() const override { check(Op::AllowableValues); return m_allowable; }
    std::int32_t dataType() const override { check(Op::DataType); return m_dataType; }
    UnitCode unitsCode() const override { check(Op::UnitsCode); return m_unitsCode; }
    bool isVisible() const override { check(Op::Visible); return m_visible; }
    bool isEditable() const override { check(Op::Editable); return m_editable; }
    bool isValueSet() const override { check(Op::ValueSet); return m_valueSet; }
    bool isExpression() const override { check(Op::Expression); return m_expression; }
    platform::Variant rawValue() const override
    {
        check(Op::RawValue);
        return m_raw ? *m_raw : m_value;
    }
    platform::Variant evaluatedValue() const override
    {
        check(Op::EvaluatedValue);
        return m_value;
    }
    platform::Variant value() const override { check(Op::Value); return m_value; }
    void setValue(const platform::Variant &v) override
    {
        check(Op::SetValue);
        m_value = v;
        writes.push_back(v);
        if (onCall) onCall(Op::SetValue);
    }
    bool validate(const platform::Variant &candidate) const override
    {
        check(Op::Validate);
        validated.push_back(candidate);
        return m_valid;
    }
    platform::Variant valueInUnits(UnitCode requested, UnitCode &used) const override
    {
        check(Op::ValueInUnits);
        used = m_answerCode ? *m_answerCode : requested;
        return m_value;
    }
    void setValueInUnits(UnitCode units, double v) override
    {
        check(Op::SetValueInUnits);
        unitWrites.emplace_back(units, v);
        m_value = v;
        if (onCall) onCall(Op::SetValueInUnits);
    }
    std::int32_t enumerationCount() const override
    {
        check(Op::EnumerationCount);
        return std::int32_t(m_enum.size());
    }
    QString enumerationValue(std::int32_t i) const override
    {
        check(Op::EnumerationValue);
        return m_enum.at(std::size_t(i)).first;
    }
    QString enumerationDisplayText(std::int32_t i) const override
    {
        check(Op::EnumerationDisplayText);
        return m_enum.at(std::size_t(i)).second;
    }
    QString displayText(const QString &stored) const override
    {
        check(Op::DisplayText);
        for (const auto &[value, text] : m_enum)
            if (value == stored)
                return text;
        return QString();
    }

    // Settings, public so that a test reads like its data.
    QString m_name, m_displayName, m_units, m_allowable;
    std::int32_t m_dataType;
    UnitCode m_unitsCode = 16;
    bool m_visible = true, m_editable = true, m_valueSet = true, m_expression = false;
    platform::Variant m_value;
    std::optional<platform::Variant> m_raw;
    bool m_valid = true;
    std::optional<UnitCode> m_answerCode; // valueInUnits answers in this code when set
    std::vector<std::pair<QString, QString>> m_enum; // stored value, display text
    Op throwOn = Op::None;
    // Throws what no std::exception is, in place of an Error.
    bool throwForeign = false;
    // Host code run by every operation: at the start of a read, before any injected failure;
    // at the end of a write, as a host that answers its own change.
    std::function<void(Op)> onCall;

    // What the attribute received.
    std::vector<platform::Variant> writes;
    mutable std::vector<platform::Variant> validated;
    std::vector<std::pair<UnitCode, double>> unitWrites;

private:
    void check(Op op) const
    {
        if (onCall && op != Op::SetValue && op != Op::SetValueInUnits) onCall(op);
        if (op == throwOn && throwForeign) throw 42;
        if (op == throwOn)
            throw platform::Error(1234, QStringLiteral("FakeAttribute"),
                                  QStringLiteral("%1 failed").arg(m_name));
    }
};

// A collection double: enumeration order is the order of add(); position order can be set
// apart from it.
class FakeCollection : public AttributeCollection
{
public:
    std::shared_ptr<FakeAttribute> add(std::shared_ptr<FakeAttribute> a)
    {
        attributes.push_back(a);
        positions.push_back(int(positions.size()));
        return a;
    }
    std::shared_ptr<FakeAttribute> add(const QString &name, std::int32_t type,
                                       platform::Variant value = {})
    {
        return add(std::make_shared<FakeAttribute>(name, type, std::move(value)));
    }

    std::int32_t count() const override
    {
        if (failCount)
            throw platform::Error(1235, QStringLiteral("FakeCollection"),
                                  QStringLiteral("count failed"));
        return std::int32_t(attributes.size());
    }
    void forEach(const std::function<void(Attribute &)> &visit) const override
    {
        for (const auto &a : attributes)
            visit(*a);
    }
    std::shared_ptr<Attribute> item(std::int32_t position) const override
    {
        return attributes.at(std::size_t(positions.at(std::size_t(position))));
    }
    std::shared_ptr<Attribute> itemByKey(const platform::Variant &key) const override
    {
        if (onItemByKey) onItemByKey();
        const QString name = key.toText();
        for (const auto &a : attributes)
            if (a->m_name == name)
                return a;
        throw platform::Error(platform::Error::ItemNotFound, QStringLiteral("FakeCollection"),
                              QStringLiteral("No attribute \"%1\"").arg(name));
    }
    std::shared_ptr<AttributeCollection> workingSet() const override
    {
        return std::make_shared<FakeCollection>(*this);
    }

    std::vector<std::shared_ptr<FakeAttribute>> attributes;
    std::vector<int> positions; // positions[i]: index in attributes of the item at position i
    bool failCount = false;
    // Host code run at the start of each lookup by key.
    std::function<void()> onItemByKey;
};

} // namespace tabulon::test
