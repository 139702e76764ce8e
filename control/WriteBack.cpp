// Edits reach the attribute objects here: the table's field-change notification converts and
// validates the new value, writes it back, redisplays the row and tells the host.

#include "control/ctlAttributes_p.h"

#include "control/Logging.h"
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

HostCallWatch::HostCallWatch(ctlAttributesPrivate &d)
    : m_life(d.m_life), m_d(&d), m_generation(d.m_generation),
      m_row(d.m_rs ? d.m_rs->currentRow() : -1)
{}

bool HostCallWatch::holds() const
{
    return alive() && m_d->m_generation == m_generation && m_d->m_rs && m_d->m_Atts;
}

bool HostCallWatch::holdsRow()
{
    if (!holds()) return false;
    if (m_d->m_rs->currentRow() != m_row) m_d->m_rs->setCurrentRow(m_row);
    return true;
}

void ctlAttributesPrivate::RefreshRowValue(const Attribute &attribute)
{
    HostCallWatch watch(*this);
    const UpdatingGuard guard = updating();
    try {
        const QString units = m_rs->value(fDisplayUnits).toText();
        Variant shown;
        if (m_rs->value(fDataType).toInt() == adtReal && m_bShowUnits && !units.isEmpty()) {
            UnitCode used = kNoUnit;
            const Variant v = attribute.valueInUnits(UnitCodeFromName(units), used);
            shown = textWithUnits(FormatUnitValue(v, used).toText(), units);
        } else {
            shown = attribute.value();
        }
        if (watch.holdsRow()) m_rs->setValue(fValue, shown);
    } catch (...) {
    }
}

void ctlAttributesPrivate::RefreshExpressionRows()
{
    HostCallWatch watch(*this);
    UpdatingGuard guard = updating();
    QCoreApplication::processEvents();
    // The host may have detached, before or during these events, loaded another object (which
    // lowers the flag) or deleted the control.
    if (!watch.holds()) return;
    guard.raise();
    if (m_expressionRows.rows().empty()) return;
    try {
        const int remembered = m_rs->currentRow();
        // The table's cursor (and the grid's current row) moves only onto expression rows, in
        // row order. A copy of the list: it follows writes to the table.
        const std::vector<int> rows = m_expressionRows.rows();
        for (const int row : rows) {
            const auto attribute = m_Atts->itemByKey(m_rs->valueAt(row, fName).toText());
            if (!watch.holds()) return;
            const Variant value = attribute->value();
            if (!watch.holds()) return;
            m_rs->setCurrentRow(row);
            m_rs->setValue(fValue, value);
        }
        m_rs->setCurrentRow(remembered);
    } catch (...) {
    }
}

void ctlAttributesPrivate::ApplyRawValue(Attribute &attribute, const QString &text)
{
    HostCallWatch watch(*this);
    try {
        attribute.setValue(text);
        if (!watch.holdsRow()) return;
        const UpdatingGuard guard = updating();
        const Variant shown = AttributeDisplayValue(attribute);
        if (watch.holdsRow()) m_rs->setValue(fValue, shown);
    } catch (...) {
    }
}

bool ctlAttributesPrivate::ShowInputMessage(const QString &text, HostCallWatch &watch)
{
    // A message box runs an event loop, in which the host may do anything.
    platform::orDefault(m_services.messageBox).warning(q, text, messageTitle());
    return watch.holdsRow();
}

bool ctlAttributesPrivate::ValueEdit(const Variant &v)
{
    // Every call into the host below may delete the control, load another object, detach or
    // move the table to another row. The edit checks after each one and ends (false) when its
    // control, table or row is gone, touching nothing more.
    HostCallWatch watch(*this);
    const QString name = m_rs->value(fName).toText();
    const auto attribute = m_Atts->itemByKey(name);
    if (!watch.holdsRow()) return false;
    const std::int32_t dataType = attribute->dataType();
    if (!watch.holdsRow()) return false;

    if (dataType == adtBoolean) {
        bool converts = true;
        try {
            (void)v.toBool();
        } catch (...) {
            converts = false;
        }
        if (!converts) {
            const QString text = QStringLiteral("Invalid boolean value ( ") + v.toText() +
                                 QStringLiteral(" )\r\n") + attribute->displayName() +
                                 QStringLiteral(" FALSE assumed");
            if (!watch.holdsRow() || !ShowInputMessage(text, watch)) return false;
            // Not guarded: the nested notification stores false in the attribute.
            m_rs->setValue(fValue, false);
            return watch.holdsRow();
        }
        attribute->setValue(v);
        if (!watch.holdsRow()) return false;
        Q_EMIT q->AttributeChange(name);
        if (watch.holdsRow()) RefreshExpressionRows();
        return false;
    }

    if (m_rs->value(fAllowableValues).toText().contains(QLatin1String("enumeration"))) {
        const QString stored = StoredEnumValue(*attribute, v.toText());
        if (!watch.holdsRow()) return false;
        attribute->setValue(stored);
        if (!watch.holdsRow()) return false;
        Q_EMIT q->AttributeChange(name);
        if (!watch.holdsRow()) return false;
        RefreshExpressionRows();
        return watch.holdsRow();
    }

    const ParsedValue parsed =
        ParseEnteredValue(v, m_rs->value(fDataType).toInt(), m_rs->value(fDisplayUnits));
    const bool valid = IsValueValid(*attribute, parsed.value);
    if (!watch.holdsRow()) return false;
    if (!valid) {
        const QString text = QStringLiteral("Invalid value ( ") + v.toText() +
                             QStringLiteral(" )\r\n") + attribute->displayName() +
                             QStringLiteral(" has not been changed");
        if (!watch.holdsRow() || !ShowInputMessage(text, watch)) return false;
    } else if (parsed.units.isEmpty() || dataType != adtReal) {
        attribute->setValue(parsed.value);
    } else {
        attribute->setValueInUnits(UnitCodeFromName(parsed.units), parsed.value.toDouble());
    }
    if (!watch.holdsRow()) return false;
    RefreshRowValue(*attribute);
    if (!watch.holdsRow()) return false;
    Q_EMIT q->AttributeChange(name);
    if (!watch.holdsRow()) return false;
    RefreshExpressionRows();
    return watch.holdsRow();
}

void ctlAttributesPrivate::m_rs_FieldChangeComplete(int count,
                                                    std::span<const RecordSet::ChangedField> fields,
                                                    RecordSet &rs)
{
    // A table kept only for a write still on the stack is no longer edited.
    if (m_bUpdating || &rs != m_rs.get()) return;
    if (m_notifying >= kMaxNotificationDepth) {
        if (std::exchange(m_nestingReported, true)) return;
        QString name;
        try {
            name = rs.value(fName).toText();
        } catch (...) {
        }
        qCWarning(lcTabulon).noquote()
            << QStringLiteral("Edit of \"%1\" dropped: field-change notifications nested %2 "
                              "deep; the host answers each AttributeChange with another change")
                   .arg(name)
                   .arg(m_notifying);
        return;
    }
    const std::weak_ptr<const int> life = m_life;
    ++m_notifying;
    const auto done = qScopeGuard([this, &life] {
        if (!life.expired() && --m_notifying == 0) m_nestingReported = false;
    });
    try {
        for (int i = 0; i < count && i < int(fields.size()); ++i) {
            // Copies: nested writes may replace the stored value and the table.
            const QString field = fields[std::size_t(i)].name();
            const Variant value = fields[std::size_t(i)].value();
            if (value.isEmpty()) continue;
            if (field == fieldName(fValue)) {
                if (!ValueEdit(value)) return;
            } else if (field == fieldName(fRawValue)) {
                HostCallWatch watch(*this);
                const auto attribute = m_Atts->itemByKey(m_rs->value(fName).toText());
                if (!watch.holdsRow()) return;
                ApplyRawValue(*attribute, value.toText());
                if (!watch.holdsRow()) return;
            }
        }
    } catch (...) {
        // Any other failure ends the notification without a message; what was written stays.
    }
}

Variant ctlAttributes::SetAttributeValue(const Variant &Index, const Variant &Value)
{
    // Host code runs at each call into the source and at both writes of RefreshRowDisplay.
    HostCallWatch watch(*d);
    try {
        if (!watch.holds()) return {};
        const auto attribute = d->m_Atts->itemByKey(Index);
        if (!watch.holds()) return {};
        const QString name = attribute->name();
        if (!watch.holds()) return {};
        const int row = rowOfName(*d->m_rs, name);
        // Where the walk over the rows would have stopped: on the row, or past the last one.
        d->m_rs->setCurrentRow(row < 0 ? d->m_rs->recordCount() : row);
        if (row < 0) return {};
        watch.setRow(row);
        attribute->setValue(Value);
        if (!watch.holdsRow()) return {};
        d->RefreshRowDisplay(*attribute);
    } catch (...) {
    }
    return {};
}

Variant ctlAttributes::SetAttributeDisplayUnits(const Variant &Index, const QString &DisplayUnits)
{
    HostCallWatch watch(*d);
    UpdatingGuard updating = d->updating();
    try {
        if (!watch.holds()) return {};
        const auto attribute = d->m_Atts->itemByKey(Index);
        if (!watch.holds()) return {};
        const QString name = attribute->name();
        if (!watch.holds()) return {};
        RecordSet &rs = *d->m_rs;
        const int row = rowOfName(rs, name);
        if (row >= 0) {
            rs.setCurrentRow(row);
            watch.setRow(row);
            rs.setValue(fDisplayUnits, DisplayUnits);
            if (!rs.value(fUnitsType).toText().isEmpty()) {
                const bool real = attribute->dataType() == adtReal;
                if (!watch.holdsRow()) return {};
                if (real && d->m_bShowUnits) {
                    UnitCode used = kNoUnit;
                    const Variant v = attribute->valueInUnits(UnitCodeFromName(DisplayUnits), used);
                    if (!watch.holdsRow()) return {};
                    // Host code may have lowered the flag (a nested refresh does).
                    updating.raise();
                    rs.setValue(fValue,
                                textWithUnits(v.toText(), rs.value(fDisplayUnits).toText()));
                }
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
