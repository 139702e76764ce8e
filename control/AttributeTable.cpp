// The attribute table: the control's in-memory copy of the source, one row per visible
// attribute, and the grid's data source.

#include "control/AttributeTable.h"

#include "control/ctlAttributes_p.h"
#include "control/RowDisplay.h"
#include "core/Error.h"
#include "platform/DataGrid.h"
#include "platform/RecordSetReuse_p.h"

#include <QScopeGuard>

#include <algorithm>

namespace tabulon {

using platform::RecordSet;
using platform::Variant;

namespace {

struct FieldDefinition
{
    QString name;
    RecordSet::FieldType type;
};

constexpr int kTextSize = 255;

const std::array<FieldDefinition, kFieldCount> &fieldDefinitions()
{
    using T = RecordSet::FieldType;
    static const std::array<FieldDefinition, kFieldCount> definitions{{
        {QStringLiteral("Name"), T::VarWChar},
        {QStringLiteral("DisplayName"), T::VarWChar},
        {QStringLiteral("DataType"), T::VarWChar},
        {QStringLiteral("UnitsType"), T::VarWChar},
        {QStringLiteral("DisplayUnits"), T::VarWChar},
        {QStringLiteral("Visible"), T::Boolean},
        {QStringLiteral("Editable"), T::Boolean},
        {QStringLiteral("RawValue"), T::Variant},
        {QStringLiteral("Value"), T::Variant},
        {QStringLiteral("AllowableValues"), T::VarWChar},
        {QStringLiteral("ValueSet"), T::Boolean},
        {QStringLiteral("Expression"), T::Boolean},
    }};
    return definitions;
}

} // namespace

const QString &fieldName(AttributeField field)
{
    return fieldDefinitions()[std::size_t(field)].name;
}

std::unique_ptr<RecordSet> createAttributeTable()
{
    auto rs = std::make_unique<RecordSet>();
    rs->setCursorLocation(RecordSet::CursorLocation::Client);
    rs->setCursorType(RecordSet::CursorType::Static);
    for (const FieldDefinition &field : fieldDefinitions())
        rs->appendField(field.name, field.type,
                        field.type == RecordSet::FieldType::VarWChar ? kTextSize : 0);
    // Data types, units and allowable values repeat over the rows: each text is kept once.
    for (const AttributeField field : {fDataType, fUnitsType, fDisplayUnits, fAllowableValues})
        rs->setRepeatedTexts(field);
    rs->open();
    return rs;
}

QString dataTypeText(std::int32_t code)
{
    // The four codes in use are shared strings, so that a large load does not allocate one per
    // row.
    static const QString known[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                    QStringLiteral("4")};
    return code >= 1 && code <= 4 ? known[code - 1] : QString::number(code);
}

int rowOfName(const RecordSet &table, const QString &name, int from)
{
    // The table's index gives the first row of the name at once; only a search that starts
    // past that row walks.
    const int first = table.firstRowOf(fName, name);
    if (first < 0 || first >= from) return first;
    for (int row = from; row < table.recordCount(); ++row) {
        const Variant &v = table.valueAt(row, fName);
        if (v.isString() && v.stringValue() == name) return row;
    }
    return -1;
}

ExpressionRows::~ExpressionRows()
{
    follow(nullptr);
}

void ExpressionRows::follow(RecordSet *table)
{
    if (m_table) m_table->removeObserver(this);
    m_table = table;
    m_rows.clear();
    if (!m_table) return;
    m_table->addObserver(this);
    for (int row = 0; row < m_table->recordCount(); ++row)
        update(row);
}

void ExpressionRows::rowsAppended(int first, int last)
{
    for (int row = first; row <= last; ++row)
        update(row);
}

void ExpressionRows::valueChanged(int row, int field)
{
    if (field == fExpression) update(row);
}

void ExpressionRows::update(int row)
{
    const Variant &v = m_table->valueAt(row, fExpression);
    const bool expression = v.type() == Variant::Type::Bool && v.boolValue();
    // Rows are mostly appended: the end is the place to look first.
    const auto at = !m_rows.empty() && m_rows.back() < row
                        ? m_rows.end()
                        : std::lower_bound(m_rows.begin(), m_rows.end(), row);
    const bool listed = at != m_rows.end() && *at == row;
    if (expression && !listed)
        m_rows.insert(at, row);
    else if (!expression && listed)
        m_rows.erase(at);
}

void ctlAttributesPrivate::CreateAttributeTable()
{
    // The grid may still be bound to the old table; it is rebound by the load.
    grdEdit->setDataSource(nullptr);
    ReplaceTable(createAttributeTable());
}

void ctlAttributesPrivate::FollowEdits()
{
    // A table kept for a write still on the stack may outlive the control.
    m_rs->connectFieldChangeComplete(
        [this, life = std::weak_ptr<const int>(m_life)](
            int count, std::span<const RecordSet::ChangedField> fields, RecordSet &table) {
            if (!life.expired()) m_rs_FieldChangeComplete(count, fields, table);
        });
}

void ctlAttributesPrivate::ReplaceTable(std::unique_ptr<RecordSet> table)
{
    ++m_generation;
    m_expressionRows.follow(nullptr);
    if (m_notifying > 0) {
        if (m_rs) m_retiredTables.push_back(std::move(m_rs));
    } else {
        m_retiredTables.clear();
        // Nothing uses the old table any more: a reload writes its rows over the old ones.
        if (table) platform::RecordSetReuse::recycleRows(*table, std::move(m_rs));
    }
    m_rs = std::move(table);
    m_expressionRows.follow(m_rs.get());
}

void ctlAttributesPrivate::LoadAttributeRows(const AttributeCollection &Atts)
{
    // The host's reads may reload, detach or delete the control; a load overtaken that way
    // stops and leaves the table to what the host did.
    const HostCallWatch watch(*this);
    // Old rows that no new row took are freed however the load ends.
    const auto releaseOldRows = qScopeGuard([this, &watch] {
        if (watch.holds()) platform::RecordSetReuse::releaseRecycledRows(*m_rs);
    });
    if (m_displayOrder == ctlAttributes::eGDOInsertion) {
        const std::int32_t n = Atts.count();
        for (std::int32_t i = 0; i < n; ++i) {
            const std::shared_ptr<Attribute> attribute = Atts.item(i);
            if (!watch.holds() || !AddAttributeRow(*attribute, watch)) return;
        }
    } else {
        bool going = true;
        Atts.forEach([this, &watch, &going](Attribute &attribute) {
            if (going) going = AddAttributeRow(attribute, watch);
        });
        if (!going) return;
    }
    if (!watch.holds()) return;

    // Stand before the first row; an empty table has no row to stand on and is left as is.
    if (m_rs->recordCount() > 0) {
        m_rs->moveFirst();
        m_rs->movePrevious();
    }

    grdEdit->clearSelCols();
    grdEdit->setDataSource(m_rs.get());

    for (int i = 0; i < grdEdit->columnCount(); ++i)
        grdEdit->column(i)->setVisible(false);
    m_colProperty = grdEdit->columnByField(fieldName(fDisplayName));
    m_colValue = grdEdit->columnByField(fieldName(fValue));
    m_colProperty->setVisible(true);
    m_colValue->setVisible(true);
    m_colProperty->setLocked(true);

    FitValueColumn(m_colProperty);

    grdEdit->scrollBy(0, -m_rs->recordCount());
}

bool ctlAttributesPrivate::AddAttributeRow(const Attribute &attribute, const HostCallWatch &watch)
{
    // Read before any host code runs: the control may be gone after it.
    const bool showUnits = m_bShowUnits;
    if (!attribute.isVisible()) return watch.holds();
    // The fields are read in the order a row written field by field takes them, and the row
    // goes to the table in one step: one notification per row instead of one per field keeps a
    // large load close to the cost of copying the values.
    AttributeRow row;
    int read = 0;
    const auto put = [&](AttributeField field, Variant value) {
        row[std::size_t(field)] = std::move(value);
        read = field + 1;
    };
    try {
        put(fName, attribute.name());
        put(fDisplayName, attribute.displayName());
        put(fDataType, dataTypeText(attribute.dataType()));
        const QString units = attribute.unitsText();
        put(fUnitsType, units);
        put(fDisplayUnits, units);
        put(fVisible, attribute.isVisible());
        put(fEditable, attribute.isEditable());
        put(fRawValue, attribute.rawValue());
        put(fValue, DisplayValue(attribute, units, showUnits));
        put(fAllowableValues, attribute.allowableValues());
        put(fValueSet, attribute.isValueSet());
        put(fExpression, attribute.isExpression());
    } catch (...) {
        if (!watch.holds()) return false;
        // The row stands with the fields read until the failure.
        AppendRow(row, read);
        throw;
    }
    if (!watch.holds()) return false;
    AppendRow(row, kFieldCount);
    return true;
}

void ctlAttributesPrivate::AppendRow(AttributeRow &row, int fields)
{
    if (fields == kFieldCount) {
        const int before = m_rs->recordCount();
        try {
            m_rs->addNew(row);
            m_rs->updateBatch();
            return;
        } catch (const platform::Error &) {
            // A refused value leaves no row and hands the values back; the row is then written
            // field by field below, which stops at the refused field.
            if (m_rs->recordCount() != before) throw;
        }
    }
    m_rs->addNew();
    for (int field = 0; field < fields; ++field)
        m_rs->setValue(field, row[std::size_t(field)]);
    m_rs->updateBatch();
}

void ctlAttributesPrivate::RefreshRowDisplay(const Attribute &attribute)
{
    // The attribute's reads and both writes (each handled as an edit) run host code; the
    // refresh ends when the control, its table or its row is gone.
    HostCallWatch watch(*this);
    const Variant raw = attribute.rawValue();
    if (!watch.holdsRow()) return;
    m_rs->setValue(fRawValue, raw);
    if (!watch.holdsRow()) return;
    const Variant shown =
        DisplayValue(attribute, m_rs->value(fDisplayUnits).toText(), m_bShowUnits);
    if (!watch.holdsRow()) return;
    m_rs->setValue(fValue, shown);
}

} // namespace tabulon
