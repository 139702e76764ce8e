#pragma once

// Private part of ctlAttributes, shared by the control's source files and its tests. Not
// installed; not part of the API.

#include "control/ctlAttributes.h"
#include "platform/FileSystemService.h"
#include "platform/RecordSet.h"
#include "platform/Services.h"
#include "core/Variant.h"

#include <QString>

#include <memory>
#include <span>
#include <vector>

class QListWidget;

namespace tabulon {

namespace platform {
class DataGrid;
class DataGridColumn;
} // namespace platform

// The attribute table's field names, in the order the table appends them, and the title of
// the control's messages.
inline const QString kName = QStringLiteral("Name");
inline const QString kDisplayName = QStringLiteral("DisplayName");
inline const QString kDataType = QStringLiteral("DataType");
inline const QString kUnitsType = QStringLiteral("UnitsType");
inline const QString kDisplayUnits = QStringLiteral("DisplayUnits");
inline const QString kVisible = QStringLiteral("Visible");
inline const QString kEditable = QStringLiteral("Editable");
inline const QString kRawValue = QStringLiteral("RawValue");
inline const QString kValue = QStringLiteral("Value");
inline const QString kAllowableValues = QStringLiteral("AllowableValues");
inline const QString kValueSet = QStringLiteral("ValueSet");
inline const QString kExpression = QStringLiteral("Expression");
inline constexpr std::size_t kFieldCount = 12;
inline const QString kMessageTitle = QStringLiteral("CorvinAttributesEditor");

class TABULON_EXPORT ctlAttributesPrivate
{
public:
    explicit ctlAttributesPrivate(ctlAttributes *q, const platform::Services &services);
    ~ctlAttributesPrivate();
    static ctlAttributesPrivate *get(ctlAttributes *control) { return control->d.get(); }

    // Creation: takes the grid's two columns, measures the scroll bar. Any failure is shown in
    // a message box and the remaining steps are skipped; the control still comes into being.
    void Initialize();

    // The attribute table.
    void CreateAttributeTable();
    void LoadAttributeRows(const AttributeCollection &Atts);
    void AddAttributeRow(const Attribute &attribute);
    void RefreshRowDisplay(const Attribute &attribute);
    // What the "Value" field shows for the attribute, with its display units.
    platform::Variant DisplayValue(const Attribute &attribute, const QString &displayUnits) const;
    static platform::Variant AttributeDisplayValue(const Attribute &attribute);

    // Layout: sizes the column other than `column` to take the rest of the grid's width.
    void FitValueColumn(platform::DataGridColumn *column);

    // Value display after a change.
    void RefreshRowValue(const Attribute &attribute);
    void RefreshExpressionRows();

    // Write-back.
    static QString StoredEnumValue(const Attribute &attribute, const QString &text);
    static bool IsValueValid(const Attribute &attribute, const platform::Variant &value);
    void ApplyRawValue(Attribute &attribute, const QString &text);
    // Handles an edit of "Value"; false ends the notification.
    bool ValueEdit(const platform::Variant &v);

    // Makes `table` the attribute table. The old one is destroyed, its rows left to `table` to
    // write over, unless a field-change notification is running (the host may load or detach
    // from an AttributeChange handler or while a message is up): then one of its writes is
    // still on the stack, and it is kept until the next replacement outside a notification.
    void ReplaceTable(std::unique_ptr<platform::RecordSet> table);

    // The attribute table's field-change notification.
    void m_rs_FieldChangeComplete(int count,
                                  std::span<const platform::RecordSet::ChangedField> fields,
                                  platform::RecordSet &rs);

    ctlAttributes *const q;
    const platform::Services m_services;

    platform::DataGrid *grdEdit = nullptr;
    QListWidget *lstEdit = nullptr;

    std::shared_ptr<AttributeCollection> m_Atts;
    std::unique_ptr<platform::RecordSet> m_rs;
    std::vector<std::unique_ptr<platform::RecordSet>> m_retiredTables;
    int m_notifying = 0; // depth of running field-change notifications
    std::unique_ptr<platform::FileSystem> m_fso;
    platform::DataGridColumn *m_colProperty = nullptr;
    platform::DataGridColumn *m_colValue = nullptr;

    ctlAttributes::GridDisplayOrder m_displayOrder = ctlAttributes::eGDODefault;
    bool m_bShowUnits = false;
    bool m_bUpdating = false;
    int m_lScrollBarWidth = 0;      // twips
    float m_sngPropFraction = 0.5f; // share of the usable width given to the property column
    float m_sngRightMargin = 0;     // twips kept free right of the value column
    float m_sngSelectorWidth = 0;   // twips allowed for the record selectors
};

} // namespace tabulon
