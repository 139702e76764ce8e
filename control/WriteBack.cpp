// Edits reach the attribute objects here: the table's field-change notification converts and
// validates the new value, writes it back, redisplays the row and tells the host.

#include "control/ctlAttributes_p.h"

#include "control/UnitConvert.h"
#include "control/ValueDisplay.h"
#include "platform/DataGrid.h"
#include "core/Error.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include <cmath>

namespace tabulon {

using platform::RecordSet;
using platform::Variant;

namespace {

bool isTrue(const Variant &v)
{
    return v.type() == Variant::Type::Bool && v.boolValue();
}

} // namespace

void ctlAttributesPrivate::RefreshRowValue(const Attribute &attribute)
{
    m_bUpdating = true;
    try {
        const QString units = m_rs->value(kDisplayUnits).toText();
        if (m_rs->value(kDataType).toInt() == adtReal && m_bShowUnits && !units.isEmpty()) {
            UnitCode used = kNoUnit;
            const Variant v = attribute.valueInUnits(UnitCodeFromName(units), used);
            m_rs->setValue(kValue, FormatUnitValue(v, used).toText() + QLatin1Char(' ') + units);
        } else {
            m_rs->setValue(kValue, attribute.value());
        }
    } catch (...) {
    }
    m_bUpdating = false;
}

void ctlAttributesPrivate::RefreshExpressionRows()
{
    m_bUpdating = true;
    QCoreApplication::processEvents();
    // The host may have detached, before or during these events, or loaded another object
    // (which lowers the flag).
    m_bUpdating = true;
    if (!m_rs || !m_Atts) {
        m_bUpdating = false;
        return;
    }
    try {
        const int remembered = m_rs->currentRow();
        // An independent cursor walks the rows, so that the table's own cursor (and the grid's
        // current row) moves only onto expression rows. The walk runs over every row after
        // every edit, so the fields are looked up once.
        const int expression = m_rs->fieldIndex(kExpression);
        const int name = m_rs->fieldIndex(kName);
        const int value = m_rs->fieldIndex(kValue);
        const std::unique_ptr<RecordSet> rows = m_rs->clone();
        if (rows->recordCount() > 0) rows->moveFirst();
        for (; !rows->isEOF(); rows->moveNext()) {
            if (!isTrue(rows->value(expression))) continue;
            const auto attribute = m_Atts->itemByKey(rows->value(name).toText());
            m_rs->setBookmark(rows->bookmark());
            m_rs->setValue(value, attribute->value());
        }
        m_rs->setCurrentRow(remembered);
    } catch (...) {
    }
    m_bUpdating = false;
}

QString ctlAttributesPrivate::StoredEnumValue(const Attribute &attribute, const QString &text)
{
    const std::int32_t count = attribute.enumerationCount();
    if (count < 1) return QString();
    for (std::int32_t i = 0; i < count; ++i)
        if (text == attribute.enumerationDisplayText(i)) return attribute.enumerationValue(i);
    return attribute.enumerationValue(0);
}

bool ctlAttributesPrivate::IsValueValid(const Attribute &attribute, const Variant &value)
{
    try {
        switch (attribute.dataType()) {
        case adtText:
            return attribute.validate(value.toString());
        case adtInteger:
            return attribute.validate(int(value.toInt()));
        case adtReal: {
            // Typed digits past the range of a double read as infinity; neither it nor NaN is a
            // value to hand to the attribute.
            const double d = value.toDouble();
            return std::isfinite(d) && attribute.validate(d);
        }
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

void ctlAttributesPrivate::ApplyRawValue(Attribute &attribute, const QString &text)
{
    try {
        attribute.setValue(text);
        m_bUpdating = true;
        m_rs->setValue(kValue, AttributeDisplayValue(attribute));
    } catch (...) {
    }
    m_bUpdating = false;
}

bool ctlAttributesPrivate::ValueEdit(const Variant &v)
{
    // A message box runs an event loop and AttributeChange runs host code: either may load
    // another object or detach. The edit then ends, since its row is gone.
    const RecordSet *const table = m_rs.get();
    const auto replaced = [&] { return m_rs.get() != table; };
    const QString name = m_rs->value(kName).toText();
    const auto attribute = m_Atts->itemByKey(name);

    if (attribute->dataType() == adtBoolean) {
        bool converts = true;
        try {
            (void)v.toBool();
        } catch (const std::exception &) {
            converts = false;
        }
        if (!converts) {
            m_services->messageBox(q,
                                   QStringLiteral("Invalid boolean value ( ") + v.toText() +
                                       QStringLiteral(" )\r\n") + attribute->displayName() +
                                       QStringLiteral(" FALSE assumed"),
                                   kMessageTitle);
            if (replaced()) return false;
            // Not guarded: the nested notification stores false in the attribute.
            m_rs->setValue(kValue, false);
            return true;
        }
        attribute->setValue(v);
        Q_EMIT q->AttributeChange(name);
        if (!replaced()) RefreshExpressionRows();
        return false;
    }

    if (m_rs->value(kAllowableValues).toText().contains(QLatin1String("enumeration"))) {
        attribute->setValue(StoredEnumValue(*attribute, v.toText()));
        Q_EMIT q->AttributeChange(name);
        if (replaced()) return false;
        RefreshExpressionRows();
        return true;
    }

    const ParsedValue parsed =
        ParseEnteredValue(v, m_rs->value(kDataType).toInt(), m_rs->value(kDisplayUnits));
    if (!IsValueValid(*attribute, parsed.value)) {
        m_services->messageBox(q,
                               QStringLiteral("Invalid value ( ") + v.toText() +
                                   QStringLiteral(" )\r\n") + attribute->displayName() +
                                   QStringLiteral(" has not been changed"),
                               kMessageTitle);
        if (replaced()) return false;
    } else if (parsed.units.isEmpty() || attribute->dataType() != adtReal) {
        attribute->setValue(parsed.value);
    } else {
        attribute->setValueInUnits(UnitCodeFromName(parsed.units), parsed.value.toDouble());
    }
    RefreshRowValue(*attribute);
    Q_EMIT q->AttributeChange(name);
    if (replaced()) return false;
    RefreshExpressionRows();
    return true;
}

void ctlAttributesPrivate::m_rs_FieldChangeComplete(int count,
                                                    std::span<const RecordSet::ChangedField> fields,
                                                    RecordSet &)
{
    if (m_bUpdating) return;
    ++m_notifying;
    const auto done = qScopeGuard([this] { --m_notifying; });
    try {
        for (int i = 0; i < count && i < int(fields.size()); ++i) {
            // Copies: nested writes may replace the stored value the span points at.
            const QString field = fields[std::size_t(i)].name;
            const Variant value = fields[std::size_t(i)].value;
            if (value.isEmpty()) continue;
            if (field == kValue) {
                if (!ValueEdit(value)) return;
            } else if (field == kRawValue) {
                const auto attribute = m_Atts->itemByKey(m_rs->value(kName).toText());
                ApplyRawValue(*attribute, value.toText());
            }
        }
    } catch (...) {
        // Any other failure ends the notification without a message; what was written stays.
    }
}

Variant ctlAttributes::SetAttributeValue(const Variant &Index, const Variant &Value)
{
    try {
        if (!d->m_rs || !d->m_Atts) return {};
        d->m_rs->moveFirst();
        while (!d->m_rs->isEOF()) {
            const auto attribute = d->m_Atts->itemByKey(Index);
            if (d->m_rs->value(kName).toText() == attribute->name()) {
                attribute->setValue(Value);
                d->RefreshRowDisplay(*attribute);
                break;
            }
            d->m_rs->moveNext();
        }
    } catch (...) {
    }
    return {};
}

Variant ctlAttributes::SetAttributeDisplayUnits(const Variant &Index, const QString &DisplayUnits)
{
    d->m_bUpdating = true;
    try {
        if (d->m_rs && d->m_Atts) {
            RecordSet &rs = *d->m_rs;
            rs.moveFirst();
            const auto attribute = d->m_Atts->itemByKey(Index);
            const QString name = attribute->name();
            while (!rs.isEOF() && rs.value(kName).toText() != name)
                rs.moveNext();
            if (!rs.isEOF()) {
                rs.setValue(kDisplayUnits, DisplayUnits);
                if (!rs.value(kUnitsType).toText().isEmpty() && attribute->dataType() == adtReal &&
                    d->m_bShowUnits) {
                    UnitCode used = kNoUnit;
                    const Variant v = attribute->valueInUnits(UnitCodeFromName(DisplayUnits), used);
                    rs.setValue(kValue,
                                v.toText() + QLatin1Char(' ') + rs.value(kDisplayUnits).toText());
                }
                rs.updateBatch();
            }
            if (rs.recordCount() > 0) {
                rs.moveFirst();
                rs.movePrevious();
            }
            d->grdEdit->scrollBy(0, -rs.recordCount());
        }
    } catch (...) {
    }
    d->m_bUpdating = false;
    return {};
}

} // namespace tabulon
