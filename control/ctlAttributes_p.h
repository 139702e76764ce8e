#pragma once

// Private part of ctlAttributes: the control's state and the steps its public members run.
// Not installed; not part of the API. Each concern keeps its steps in a file of its own:
// ctlAttributes.cpp (creation, properties, layout), AttributeTable.cpp (the table and its
// load), WriteBack.cpp (edits reaching the attribute objects), GridInput.cpp (edit modes and
// the grid's notifications), Selection.cpp (the host's selection and row stepping). Rules that
// need no state are free functions beside them (RowDisplay, ValueDisplay, UnitConvert,
// EditMode, NextRow).

#include "control/AttributeTable.h"
#include "control/ctlAttributes.h"
#include "control/NextRow.h"
#include "control/UpdatingGuard.h"
#include "core/Variant.h"
#include "platform/FileSystemService.h"
#include "platform/RecordSet.h"
#include "platform/Services.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tabulon {

class ListEditor;
namespace platform {
class DataGrid;
class DataGridColumn;
class ListBox;
} // namespace platform

class ctlAttributesPrivate;

// How deep field-change notifications may nest. A host that answers AttributeChange with
// another write (SetAttributeValue raises AttributeChange again) nests one level per answer;
// one that never settles is stopped here, with a warning, instead of overflowing the stack.
inline constexpr int kMaxNotificationDepth = 16;

// What a running operation started with: a live control, its source and its table, and the
// row it works on. Any call into the host (attribute and collection operations, services,
// signals) may delete the control, load another object or detach; after each one the operation
// asks holds() and ends quietly when it is false, writing nothing into whatever replaced them.
class TABULON_AUTOTEST_EXPORT HostCallWatch
{
public:
    // Watches `d` working on its table's current row.
    explicit HostCallWatch(ctlAttributesPrivate &d);

    // The control is alive and its source and table are the ones it had at the start. Reads
    // nothing of the control once it is gone.
    bool holds() const;
    // holds(), and the table stands on the operation's row again (host code may have moved
    // it, SetAttributeValue does).
    bool holdsRow();
    bool alive() const { return !m_life.expired(); }
    // The row the operation works on from now on.
    void setRow(int row) { m_row = row; }

private:
    std::weak_ptr<const int> m_life;
    ctlAttributesPrivate *m_d;
    std::uint64_t m_generation;
    int m_row;
};

class TABULON_AUTOTEST_EXPORT ctlAttributesPrivate
{
public:
    explicit ctlAttributesPrivate(ctlAttributes *q, const platform::Services &services);
    ~ctlAttributesPrivate();
    static ctlAttributesPrivate *get(ctlAttributes *control) { return control->d.get(); }

    // Creation: takes the grid's two columns, measures the scroll bar. Any failure is shown in
    // a message box and the remaining steps are skipped; the control still comes into being.
    void Initialize();
    // Layout: sizes the column other than `column` to take the rest of the grid's width.
    void FitValueColumn(platform::DataGridColumn *column);

    // The attribute table.
    void CreateAttributeTable();
    // Hands the table's field changes to m_rs_FieldChangeComplete.
    void FollowEdits();
    void LoadAttributeRows(const AttributeCollection &Atts);
    // Adds the attribute's row; false when host code run by its reads replaced or detached the
    // source, deleted the control or reloaded, so that the load must stop.
    bool AddAttributeRow(const Attribute &attribute, const HostCallWatch &watch);
    // Appends a row holding the first `fields` values of `row` (the rest empty).
    void AppendRow(AttributeRow &row, int fields);
    void RefreshRowDisplay(const Attribute &attribute);
    // Makes `table` the attribute table. The old one is destroyed, its rows left to `table` to
    // write over, unless a field-change notification is running (the host may load or detach
    // from an AttributeChange handler or while a message is up): then one of its writes is
    // still on the stack, and it is kept until the next replacement outside a notification.
    void ReplaceTable(std::unique_ptr<platform::RecordSet> table);

    // Value display after a change.
    void RefreshRowValue(const Attribute &attribute);
    void RefreshExpressionRows();

    // Write-back.
    void ApplyRawValue(Attribute &attribute, const QString &text);
    // Handles an edit of "Value"; false ends the notification.
    bool ValueEdit(const platform::Variant &v);
    // Shows one of the two input messages and tells whether the edit `watch` watches can go on.
    bool ShowInputMessage(const QString &text, HostCallWatch &watch);
    // The attribute table's field-change notification.
    void m_rs_FieldChangeComplete(int count,
                                  std::span<const platform::RecordSet::ChangedField> fields,
                                  platform::RecordSet &rs);

    // Edit modes. GetEditMode: the mode of the table's current record; raises what reading
    // its fields raises (NoCurrentRecord before the first row or after the last).
    QString GetEditMode() const;
    // Records the applied cell and sets the value column's button and lock and the grid's
    // in-place editing for the current row's mode. Reports nothing.
    void ApplyEditMode(bool selectText);
    // Whether a row of the grid's table cannot be changed in place: its mode is "Locked" or
    // "Expression". Such rows are drawn read-only.
    bool IsReadOnlyRow(int row) const;
    // The grid's rows as the row stepping sees them.
    GridRows gridRows() const;

    // The grid's notifications. Connected once, at creation; whatever they raise ends there.
    void ConnectGrid();
    void grdEdit_RowColChange(platform::RecordSet::Bookmark LastRow, int LastCol);
    void grdEdit_Click();
    void grdEdit_KeyDown(int &KeyCode, int Shift);
    void grdEdit_SelChange(bool &Cancel);
    void grdEdit_ColResize(int ColIndex, bool &Cancel);
    // Returns the mode of the row whose button was pressed, which decides its editor.
    QString grdEdit_ButtonClick(int ColIndex);

    // Raises m_bUpdating for the scope; lowers it at the end unless the control is gone.
    [[nodiscard]] UpdatingGuard updating() { return UpdatingGuard(m_bUpdating, m_life); }

    ctlAttributes *const q;
    const platform::Services m_services;
    // Lives exactly as long as this object; operations hold a weak reference to it to learn,
    // after host code ran, whether the control still exists.
    const std::shared_ptr<const int> m_life = std::make_shared<const int>(0);
    // Counts loads and detaches, so that a running operation sees its source replaced even
    // when a new table happens to take the old one's address.
    std::uint64_t m_generation = 0;

    platform::DataGrid *grdEdit = nullptr;
    platform::ListBox *lstEdit = nullptr;
    // The cell editors that live as long as the control; the others are made for one edit.
    std::unique_ptr<ListEditor> m_listEditor;

    std::shared_ptr<AttributeCollection> m_Atts;
    std::unique_ptr<platform::RecordSet> m_rs;
    std::vector<std::unique_ptr<platform::RecordSet>> m_retiredTables;
    // Follows m_rs; declared after it, so that it lets go of the table before the table goes.
    ExpressionRows m_expressionRows;
    int m_notifying = 0; // depth of running field-change notifications
    bool m_nestingReported = false; // the depth limit was reported in this outermost run
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
    // The grid's current cell at the last ApplyEditMode (the row counted from the first
    // visible row); -1 before the first.
    int m_iLastCol = -1;
    int m_iLastRow = -1;
};

} // namespace tabulon
