// The attribute table: the control's in-memory copy of the source, one row per visible
// attribute, and the grid's data source.

#include "control/ctlAttributes_p.h"

#include "platform/DataGrid.h"
#include "platform/RecordSetReuse_p.h"
#include "core/Error.h"
#include "core/NumberText.h"

#include <QScopeGuard>

namespace tabulon {

using platform::RecordSet;
using platform::Variant;

namespace {

constexpr int kTextSize = 255;

// The data-type code as the table stores it: its decimal text. The four codes in use are
// shared strings, so that a large load does not allocate one per row.
QString dataTypeText(std::int32_t code)
{
    static const QString known[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                    QStringLiteral("4")};
    return code >= 1 && code <= 4 ? known[code - 1] : QString::number(code);
}

} // namespace

void ctlAttributesPrivate::CreateAttributeTable()
{
    auto rs = std::make_unique<RecordSet>();
    rs->setCursorLocation(RecordSet::CursorLocation::Client);
    rs->setCursorType(RecordSet::CursorType::Static);
    using T = RecordSet::FieldType;
    rs->appendField(kName, T::VarWChar, kTextSize);
    rs->appendField(kDisplayName, T::VarWChar, kTextSize);
    rs->appendField(kDataType, T::VarWChar, kTextSize);
    rs->appendField(kUnitsType, T::VarWChar, kTextSize);
    rs->appendField(kDisplayUnits, T::VarWChar, kTextSize);
    rs->appendField(kVisible, T::Boolean);
    rs->appendField(kEditable, T::Boolean);
    rs->appendField(kRawValue, T::Variant);
    rs->appendField(kValue, T::Variant);
    rs->appendField(kAllowableValues, T::VarWChar, kTextSize);
    rs->appendField(kValueSet, T::Boolean);
    rs->appendField(kExpression, T::Boolean);
    rs->open();
    rs->connectFieldChangeComplete(
        [this](int count, std::span<const RecordSet::ChangedField> fields, RecordSet &table) {
            m_rs_FieldChangeComplete(count, fields, table);
        });
    // The grid may still be bound to the old table; it is rebound by the load.
    grdEdit->setDataSource(nullptr);
    ReplaceTable(std::move(rs));
}

void ctlAttributesPrivate::ReplaceTable(std::unique_ptr<RecordSet> table)
{
    if (m_notifying > 0) {
        if (m_rs) m_retiredTables.push_back(std::move(m_rs));
    } else {
        m_retiredTables.clear();
        // Nothing uses the old table any more: a reload writes its rows over the old ones.
        if (table) platform::RecordSetReuse::recycleRows(*table, std::move(m_rs));
    }
    m_rs = std::move(table);
}

void ctlAttributesPrivate::LoadAttributeRows(const AttributeCollection &Atts)
{
    // Old rows that no new row took are freed however the load ends.
    const auto releaseOldRows = qScopeGuard([this] {
        if (m_rs) platform::RecordSetReuse::releaseRecycledRows(*m_rs);
    });
    if (m_displayOrder == ctlAttributes::eGDOInsertion) {
        const std::int32_t n = Atts.count();
        for (std::int32_t i = 0; i < n; ++i)
            AddAttributeRow(*Atts.item(i));
    } else {
        Atts.forEach([this](Attribute &attribute) { AddAttributeRow(attribute); });
    }

    // Stand before the first row; an empty table has no row to stand on and is left as is.
    if (m_rs->recordCount() > 0) {
        m_rs->moveFirst();
        m_rs->movePrevious();
    }

    grdEdit->clearSelCols();
    grdEdit->setDataSource(m_rs.get());

    for (int i = 0; i < grdEdit->columnCount(); ++i)
        grdEdit->column(i)->setVisible(false);
    m_colProperty = grdEdit->columnByField(kDisplayName);
    m_colValue = grdEdit->columnByField(kValue);
    m_colProperty->setVisible(true);
    m_colValue->setVisible(true);
    m_colProperty->setLocked(true);

    FitValueColumn(m_colProperty);

    grdEdit->scrollBy(0, -m_rs->recordCount());
}

void ctlAttributesPrivate::AddAttributeRow(const Attribute &attribute)
{
    if (!attribute.isVisible()) return;
    // The row is written in one step, in the table's field order: one notification per row
    // instead of one per field keeps a large load close to the cost of copying the values.
    const QString units = attribute.unitsText();
    Variant row[] = {
        attribute.name(),
        attribute.displayName(),
        dataTypeText(attribute.dataType()),
        units,
        units,
        attribute.isVisible(),
        attribute.isEditable(),
        attribute.rawValue(),
        DisplayValue(attribute, units),
        attribute.allowableValues(),
        attribute.isValueSet(),
        attribute.isExpression(),
    };
    static_assert(std::size(row) == kFieldCount);
    m_rs->addNew(row);
    m_rs->updateBatch();
}

void ctlAttributesPrivate::RefreshRowDisplay(const Attribute &attribute)
{
    m_rs->setValue(kRawValue, attribute.rawValue());
    m_rs->setValue(kValue, DisplayValue(attribute, m_rs->value(kDisplayUnits).toText()));
}

Variant ctlAttributesPrivate::DisplayValue(const Attribute &attribute,
                                           const QString &displayUnits) const
{
    const std::int32_t dataType = attribute.dataType();
    if (dataType == adtBoolean)
        return attribute.value().toBool() ? QStringLiteral("True") : QStringLiteral("False");

    const Variant x = AttributeDisplayValue(attribute);
    if (attribute.enumerationCount() > 0) {
        const QString text = attribute.displayText(x.toText());
        return text.isEmpty() ? x : Variant(text);
    }
    if (attribute.unitsCode() == 16 || dataType != adtReal || !m_bShowUnits) return x;
    // A number is taken as it is; only text is read by the number rule, which knows "." alone
    // and would cut a number's own text at a decimal comma.
    const double number = x.isNumber() ? x.toDouble() : platform::readNumber(x.toText());
    return platform::numberToText(number) + QLatin1Char(' ') + displayUnits;
}

Variant ctlAttributesPrivate::AttributeDisplayValue(const Attribute &attribute)
{
    try {
        return attribute.evaluatedValue();
    } catch (const std::exception &e) {
        return platform::describe(e);
    }
}

} // namespace tabulon
