#include "control/editors/ListEditor.h"

#include "control/ListPlacement.h"
#include "platform/DataGrid.h"
#include "platform/KeyCode.h"
#include "platform/ListBox.h"

#include <QObject>

namespace tabulon {

using platform::Variant;

ListItems listItemsFor(const Attribute &attribute, const Variant &rowValue)
{
    ListItems list;
    if (attribute.dataType() == adtBoolean) {
        list.items = {QStringLiteral("True"), QStringLiteral("False")};
        list.selected = attribute.value().toBool() ? 0 : 1;
        return list;
    }
    const QString value = rowValue.toText().trimmed().toUpper();
    list.selected = -1;
    const std::int32_t count = attribute.enumerationCount();
    for (std::int32_t i = 0; i < count; ++i) {
        list.items << attribute.enumerationDisplayText(i);
        if (value == list.items.back().trimmed().toUpper()) list.selected = int(i);
    }
    if (list.selected < 0) {
        list.items.prepend(rowValue.toText());
        list.selected = 0;
    }
    return list;
}

ListEditor::ListEditor(platform::ListBox &list, platform::DataGrid &grid)
    : m_list(list), m_grid(grid)
{
    m_connections[0] = QObject::connect(&list, &platform::ListBox::keyDown, &list,
                                        [this](int &keyCode, int) { keyDown(keyCode); });
    m_connections[1] =
        QObject::connect(&list, &platform::ListBox::clicked, &list, [this] { clicked(); });
    m_connections[2] =
        QObject::connect(&list, &platform::ListBox::focusLost, &list, [this] { focusLost(); });
}

ListEditor::~ListEditor()
{
    // The list may outlive the editor by a moment (it is a child of the control) and lose the
    // focus as it goes.
    for (const auto &connection : m_connections)
        QObject::disconnect(connection);
}

void ListEditor::open(EditorRow row, const Attribute &attribute,
                      platform::DataGridColumn &valueColumn)
{
    m_list.clear();
    m_row.emplace(std::move(row));
    m_valueColumn = &valueColumn;
    const ListItems items = listItemsFor(attribute, m_row->value());
    for (const QString &item : items.items)
        m_list.addItem(item);
    // Selecting raises the list's click, which closes a list that is not open yet: no button
    // shows while the list is open.
    m_list.setCurrentIndex(items.selected);
    m_list.setFontFace(m_grid.font().family());

    const int current = m_grid.currentRow();
    const ListPlacement place =
        PlaceDropDownList({m_grid.rowHeightTwips(), m_grid.rowTop(current), 0.0,
                           m_grid.gridHeight(), valueColumn.left(), valueColumn.width()},
                          m_list.count());
    m_list.setLeftTwips(place.left);
    m_list.setTopTwips(place.top);
    m_list.setWidthTwips(place.width);
    m_list.setHeightTwips(place.height);
    m_list.raise();
    m_list.show();
    m_list.setFocus();
}

void ListEditor::keyDown(int &keyCode)
{
    m_bListArrowKey = keyCode == platform::kKeyUp || keyCode == platform::kKeyDown;
    // Back to the grid: the list loses the focus, which chooses the selected item.
    if (keyCode == platform::kKeyEnter) m_grid.setFocus();
}

void ListEditor::clicked()
{
    // A move by the arrow keys keeps the list open; a choice closes it.
    if (m_bListArrowKey) {
        m_bListArrowKey = false;
        return;
    }
    close();
}

void ListEditor::focusLost()
{
    const QString chosen = m_list.itemText(m_list.currentIndex());
    close();
    if (m_row) std::exchange(m_row, std::nullopt)->setValue(chosen);
}

void ListEditor::close()
{
    m_list.hide();
    if (m_valueColumn) m_valueColumn->setButton(false);
}

} // namespace tabulon
