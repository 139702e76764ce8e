// Edits reach the attribute objects here: the table's field-change notification converts and
// validates the new value, writes it back, redisplays the row and tells the host.

#include "control/ctlAttributes_p.h"

#include "control/RowDisplay.h"
#include "control/UnitConvert.h"
#include "control/UpdatingGuard.h"
#include "control/ValueDisplay.h"
#include "core/Error.h"
#include "platform/DataGrid.h"
#include "platform/MessageBoxService.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace tabulon {

using platform::RecordSet;
using platform::Variant;

void ctlAttributesPrivate::RefreshRowValue(const Attribute &attribute)
{
    const UpdatingGuard updating(m_bUpdating);
    try {
        const QString units = m_rs->value(fDisplayUnits).toText();
        if (m_rs->value(fDataType).toInt() == adtReal && m_bShowUnits && !units.isEmpty()) {
            UnitCode used = kNoUnit;
            const Variant v = attribute.valueInUnits(UnitCodeFromName(units), used);
            m_rs->setValue(fValue, textWithUnits(FormatUnitValue(v, used).toText(), units));
        } else {
            m_rs->setValue(fValue, attribute.value());
        }
    } catch (...) {
    }
}

void ctlAttributesPrivate::RefreshExpressionRows()
{
    UpdatingGuard updating(m_bUpdating);
    QCoreApplication::processEvents();
    // The host may have detached, before or during these events, or loaded another object
    // (which lowers the flag).
    updating.raise();
    if (!m_rs || !m_Atts) return;
    if (m_expressionRows.rows().empty()) return;
    try {
        const int remembered = m_rs->currentRow();
        // The table's cursor (and the grid's current row) moves only onto expression rows, in
        // row order. A copy of the list: it follows writes to the table.
        const std::vector<int> rows = m_expressionRows.rows();
        for (const int row : rows) {
            const auto attribute = m_Atts->itemByKey(m_rs->valueAt(row, fName).toText());
            m_rs->setCurrentRow(row);
            m_rs->setValue(fValue, attribute->value());
        }
        m_rs->setCurrentRow(remembered);
    } catch (...) {
    }
}

void ctlAttributesPrivate::ApplyRawValue(Attribute &attribute, const QString &text)
{
    try {
        attribute.setValue(text);
        const UpdatingGuard updating(m_bUpdating);
        m_rs->setValue(fValue, AttributeDisplayValue(attribute));
    } catch (...) {
    }
}

bool ctlAttributesPrivate::ShowInputMessage(const QString &text)
{
    // A message box runs an event loop, in which the host may load another object or detach.
    const RecordSet *const table = m_rs.get();
    platform::orDefault(m_services.messageBox).warning(q, text, messageTitle());
    return m_rs.get() == table;
}

bool ctlAttributesPrivate::ValueEdit(const Variant &v)
{
    // AttributeChange runs host code, which may load another object or detach. The edit then
    // ends, since its row is gone.
    const RecordSet *const table = m_rs.get();
    const auto replaced = [&] { return m_rs.get() != table; };
    const QString name = m_rs->value(fName).toText();
    const auto attribute = m_Atts->itemByKey(name);

    if (attribute->dataType() == adtBoolean) {
        bool converts = true;
        try {
            (void)v.toBool();
        } catch (const std::exception &) {
            converts = false;
        }
        if (!converts) {
            if (!ShowInputMessage(QStringLiteral("Invalid boolean value ( ") + v.toText() +
                                  QStringLiteral(" )\r\n") + attribute->displayName() +
                                  QStringLiteral(" FALSE assumed")))
                return false;
            // Not guarded: the nested notification stores false in the attribute.
            m_rs->setValue(fValue, false);
            return true;
        }
        attribute->setValue(v);
        Q_EMIT q->AttributeChange(name);
        if (!replaced()) RefreshExpressionRows();
        return false;
    }

    if (m_rs->value(fAllowableValues).toText().contains(QLatin1String("enumeration"))) {
        attribute->setValue(StoredEnumValue(*attribute, v.toText()));
        Q_EMIT q->AttributeChange(name);
        if (replaced()) return false;
        RefreshExpressionRows();
        return true;
    }

    const ParsedValue parsed =
        ParseEnteredValue(v, m_rs->value(fDataType).toInt(), m_rs->value(fDisplayUnits));
    if (!IsValueValid(*attribute, parsed.value)) {
        if (!ShowInputMessage(QStringLiteral("Invalid value ( ") + v.toText() +
                              QStringLiteral(" )\r\n") + attribute->displayName() +
                              QStringLiteral(" has not been changed")))
            return false;
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
            if (field == fieldName(fValue)) {
                if (!ValueEdit(value)) return;
            } else if (field == fieldName(fRawValue)) {
                const auto attribute = m_Atts->itemByKey(m_rs->value(fName).toText());
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
        const auto attribute = d->m_Atts->itemByKey(Index);
        const int row = rowOfName(*d->m_rs, attribute->name());
        // Where the walk over the rows would have stopped: on the row, or past the last one.
        d->m_rs->setCurrentRow(row < 0 ? d->m_rs->recordCount() : row);
        if (row < 0) return {};
        attribute->setValue(Value);
        d->RefreshRowDisplay(*attribute);
    } catch (...) {
    }
    return {};
}

Variant ctlAttributes::SetAttributeDisplayUnits(const Variant &Index, const QString &DisplayUnits)
{
    const UpdatingGuard updating(d->m_bUpdating);
    try {
        if (!d->m_rs || !d->m_Atts) return {};
        RecordSet &rs = *d->m_rs;
        const auto attribute = d->m_Atts->itemByKey(Index);
        const int row = rowOfName(rs, attribute->name());
        if (row >= 0) {
            rs.setCurrentRow(row);
            rs.setValue(fDisplayUnits, DisplayUnits);
            if (!rs.value(fUnitsType).toText().isEmpty() && attribute->dataType() == adtReal &&
                d->m_bShowUnits) {
                UnitCode used = kNoUnit;
                const Variant v = attribute->valueInUnits(UnitCodeFromName(DisplayUnits), used);
                rs.setValue(fValue, textWithUnits(v.toText(), rs.value(fDisplayUnits).toText()));
            }
            rs.updateBatch();
        }
        if (rs.recordCount() > 0) {
            rs.moveFirst();
            rs.movePrevious();
        }
        d->grdEdit->scrollBy(0, -rs.recordCount());
    } catch (...) {
    }
    return {};
}

} // namespace tabulon
