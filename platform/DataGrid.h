#pragma once

#include "core/Export.h"
#include "platform/KeyCode.h"
#include "platform/RecordSet.h"

#include <QColor>
#include <QList>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

namespace tabulon::platform {

class DataGrid;
class RecordSetModel;

// One column of a DataGrid, bound to a field of the grid's record set by the field's name.
// Columns belong to the grid and live as long as it does; binding the grid to another record
// set keeps them, with their captions, widths and switches. What the column shows (field,
// caption, lock, button, word wrap) is kept by the grid's model; width, left edge and
// visibility by the view. Lengths are in twips.
class TABULON_AUTOTEST_EXPORT DataGridColumn
{
public:
    int index() const { return m_index; }
    QString dataField() const;

    QString caption() const;
    void setCaption(const QString &caption);
    double width() const;
    void setWidth(double twips);
    // Left edge in the grid's client area, record selectors included.
    double left() const;
    bool isVisible() const;
    void setVisible(bool visible);
    // A locked column cannot be edited in place.
    bool isLocked() const;
    void setLocked(bool locked);
    // A button column shows a button in its current cell; pressing it raises
    // DataGrid::buttonClicked.
    bool hasButton() const;
    void setButton(bool button);
    bool wordWrap() const;
    void setWordWrap(bool wrap);
    // The current row's value shown in this column, as text (empty when there is no
    // current row or the column is not bound).
    QString text() const;
    // Writes the current row's value of this column's field, as an edit of the grid does.
    void setText(const QString &text);

private:
    friend class DataGrid;
    DataGridColumn(DataGrid *grid, int index) : m_grid(grid), m_index(index) {}
    RecordSetModel &model() const;
    DataGrid *m_grid;
    int m_index;
};

// A QTableView bound to a RecordSet through a table model (no per-cell item objects). The
// grid's current row follows the record set's current record and the other way round.
// Rows are addressed as the control expects: the current row is counted from the first
// visible row. Lengths at this interface are twips; only the grid converts them to pixels.
class TABULON_AUTOTEST_EXPORT DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Twips per pixel of this screen, horizontally and vertically.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    // Binding. The record set is not owned and must outlive the binding; nullptr unbinds.
    // Binding a grid that has no columns creates one column per field.
    void setDataSource(RecordSet *rs);
    RecordSet *dataSource() const;

    // Columns.
    DataGridColumn *addColumn(const QString &dataField, const QString &caption = QString());
    int columnCount() const;
    DataGridColumn *column(int index) const;
    // The column bound to the named field (case-insensitive), or nullptr.
    DataGridColumn *columnByField(QStringView dataField) const;

    // Layout, in twips.
    double rowHeightTwips() const;
    void setRowHeightTwips(double twips);
    double gridWidth() const;
    double gridHeight() const;
    void setGridHeight(double twips);
    // Top of a visible row (0 = first visible row) in the grid's client coordinates,
    // column headers included.
    double rowTop(int visibleRow) const;

    QColor backColor() const;
    void setBackColor(const QColor &color);
    QColor foreColor() const;
    void setForeColor(const QColor &color);

    // The record selectors: a column of row buttons left of the first column.
    bool recordSelectors() const;
    void setRecordSelectors(bool on);

    // Rows.
    int rowCount() const;            // the rows of the bound table (0 when unbound)
    int firstVisibleRow() const;     // table row shown at the top
    int visibleRows() const;         // how many rows are shown at once, partly shown included
    int currentRow() const;          // current row counted from the first visible row; -1: none
    void setCurrentRow(int visibleRow);
    int currentColumn() const;       // -1: none
    void setCurrentColumn(int column);
    // Scrolls by whole columns and rows (negative: towards the start).
    void scrollBy(int columns, int rows);
    // Makes the current cell visible.
    void ensureCurrentVisible();

    // Selection of whole rows, as bookmarks of the bound table, in the order they were added.
    QList<RecordSet::Bookmark> selectedBookmarks() const;
    void addSelectedBookmark(RecordSet::Bookmark bookmark);
    // The same for many rows at once, at the cost of one.
    void addSelectedBookmarks(const QList<RecordSet::Bookmark> &bookmarks);
    void clearSelectedBookmarks();
    // Column selection (header clicks): first and last selected column, -1 when none.
    int selStartCol() const;
    int selEndCol() const;
    void clearSelCols();

    // In-place editing of the current cell. Editing starts only while the focus is in the grid
    // or nowhere in its window; ending it writes what was typed.
    void setEditActive(bool active);
    bool isEditActive() const;
    // Text selection inside the in-place editor: where it starts (the caret when nothing is
    // selected) and how many characters it takes. Without an editor: 0, and setting does nothing.
    int selStart() const;
    void setSelStart(int start);
    int selLength() const;
    void setSelLength(int length);
    // Repaints the grid (a button switched on is drawn in the current cell).
    void refresh();

    // Rows for which `isReadOnly` (given the table row) holds are drawn in the palette's
    // disabled text colour. Asked while painting, so it must be cheap and must not throw.
    void setReadOnlyRows(std::function<bool(int row)> isReadOnly);

    // About ten rows of two columns of twenty characters; at least three rows.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The current cell moved (lastRow is the bookmark of the previous row, 0 for none).
    void rowColChanged(tabulon::platform::RecordSet::Bookmark lastRow, int lastCol);
    // A mouse click in the grid's cells.
    void gridClicked();
    // A key went down in the grid; a handler may change keyCode (virtual-key code, see
    // keyCodeOf()). shift: 1 Shift, 2 Ctrl, 4 Alt. Ctrl+Tab and Ctrl+Shift+Tab are not
    // reported: they move the focus out of the grid, forwards and backwards.
    void keyDown(int &keyCode, int shift);
    // The selected rows or columns changed.
    void selectionRangeChanged(bool &cancel);
    // The user resized a column; a handler that cancels gets the previous width back.
    void columnResizedByUser(int column, bool &cancel);
    // The button of the current cell of a button column was pressed.
    void buttonClicked(int column);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Only the record selectors and the column headers select; clicks and keys in the cells
    // move the current cell and drop the selection.
    QItemSelectionModel::SelectionFlags
    selectionCommand(const QModelIndex &index, const QEvent *event = nullptr) const override;

private:
    friend class DataGridColumn;
    class Private;
    std::unique_ptr<Private> const d;
};

} // namespace tabulon::platform
