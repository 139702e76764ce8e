#pragma once

#include "control/editors/EditorRow.h"
#include "core/AttributeSource.h"
#include "core/Export.h"

#include <QMetaObject>
#include <QStringList>

#include <optional>

namespace tabulon {

namespace platform {
class DataGrid;
class DataGridColumn;
class ListBox;
} // namespace platform

/// The items of a drop-down list and the one to select: "True" and "False" for a boolean;
/// else the enumeration's display texts, the last one equal to the row's value (trimmed, any
/// case) selected, or, when none is, the row's value put first and selected.
struct ListItems
{
    QStringList items;
    int selected = 0;
};
TABULON_AUTOTEST_EXPORT ListItems listItemsFor(const Attribute &attribute,
                                               const platform::Variant &rowValue);

/// The editor of "List" rows: the drop-down list over the value column, filled from the
/// attribute and placed above or below the current row where there is room. Up and Down move
/// through it and keep it open; a click on an item or Enter chooses. Whatever loses it the
/// focus writes the selected item's text into the row's "Value" and closes it; it has no
/// cancel. Closing switches the value column's button off until the edit mode is applied again.
class TABULON_AUTOTEST_EXPORT ListEditor
{
public:
    /// The list, the grid it drops from and the grid's value column, all the control's.
    ListEditor(platform::ListBox &list, platform::DataGrid &grid);
    ~ListEditor();
    ListEditor(const ListEditor &) = delete;
    ListEditor &operator=(const ListEditor &) = delete;

    /// Opens the list for the current row of the grid. Failures of the attribute pass to the
    /// caller, with what was done until then kept.
    void open(EditorRow row, const Attribute &attribute, platform::DataGridColumn &valueColumn);

private:
    void keyDown(int &keyCode);
    void clicked();
    void focusLost();
    void close();

    platform::ListBox &m_list;
    platform::DataGrid &m_grid;
    platform::DataGridColumn *m_valueColumn = nullptr;
    std::optional<EditorRow> m_row;
    QMetaObject::Connection m_connections[3];
    bool m_bListArrowKey = false;
};

} // namespace tabulon
