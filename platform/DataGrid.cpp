#include "platform/DataGrid.h"

#include "platform/RecordSetModel.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>
#include <set>

namespace tabulon::platform {

namespace {

using screen::toPixels;

// 17 pixels at 96 dpi: one line of the default font with a little room.
constexpr double kDefaultRowHeight = 255.0;

// The record selectors cannot be resized, so the whole of each row button selects: without
// this, the style's resize grip takes a few pixels at both ends of every (short) row.
class SelectorStyle final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        return metric == PM_HeaderGripMargin ? 0 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

class DataGrid::Private
{
public:
    class CellDelegate;

    explicit Private(DataGrid *grid) : q(grid) {}

    DataGrid *const q;
    RecordSetModel *model = nullptr;
    CellDelegate *delegate = nullptr;
    std::vector<std::unique_ptr<DataGridColumn>> columns;
    std::vector<int> hiddenWidth; // pixels a hidden column gets back when shown
    RecordSet *rs = nullptr;
    int cursorHandler = 0;
    double rowHeightTwips = kDefaultRowHeight;
    int preferredColumn = -1; // current column asked for while there was no current row
    QPointer<QLineEdit> editor;
    std::function<bool(int)> isReadOnlyRow;
    QMetaObject::Connection selectionConnection;
    QMetaObject::Connection resizeConnection;

    // Selected rows in the order they were selected, and the same rows ordered.
    std::vector<int> bookmarkRows;
    std::set<int> bookmarkSet;

    // Re-entrancy guards: the grid moving the cursor, the grid following the cursor, our own
    // section resizes, our own selection changes.
    bool pushingCursor = false;
    bool followingCursor = false;
    int ownResize = 0;
    bool applyingSelection = false;
    // The key the grid is handling; the editor it opens gets it again and must not report it
    // a second time.
    const QKeyEvent *gridKey = nullptr;

    void applyRowHeight();
    int columnForNewRow() const;
    void setCurrentQuietly(const QModelIndex &index);
    void followCursor(int row);
    void disconnectCursor();
    void finishEditing(bool commit);
    bool reportKey(const QKeyEvent *event);
    bool leavesGrid(const QKeyEvent *event);
    bool showsButton(const QModelIndex &index) const;
    static QRect buttonRect(const QRect &cell);
    std::vector<int> selectedColumns() const;
    void applySelection(const std::vector<int> &keepColumns);
    void addBookmarkRow(int row);
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void sectionResized(int column, int oldSize, int newSize);
    void updateFocusedRows();
};

// Paints the cells (word wrap per column, the button of the current cell) and makes the
// in-place editor: a QLineEdit that writes only when the user changed its text, so that
// passing through a cell is no edit.
class DataGrid::Private::CellDelegate final : public QStyledItemDelegate
{
public:
    explicit CellDelegate(Private *d) : QStyledItemDelegate(d->q), d(d) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        d->editor = editor;
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line || !line->isModified()) return;
        // Cleared first: the write may close this editor, and a second commit must not write
        // the same text again.
        line->setModified(false);
        model->setData(index, line->text(), Qt::EditRole);
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        if (d->editor == editor) d->editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (!d->showsButton(index)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect buttonRect = Private::buttonRect(option.rect);
        QStyleOptionViewItem textOption = option;
        textOption.rect.setRight(buttonRect.left() - 1);
        QStyledItemDelegate::paint(painter, textOption, index);

        QStyleOptionButton button;
        button.rect = buttonRect;
        button.text = QStringLiteral("\u2026");
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        button.palette = option.palette;
        button.fontMetrics = option.fontMetrics;
        button.direction = option.direction;
        const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (d->model->column(index.column()).wordWrap)
            option->features |= QStyleOptionViewItem::WrapText;
        else
            option->features &= ~QStyleOptionViewItem::WrapText;
        if (d->isReadOnlyRow && d->isReadOnlyRow(index.row()))
            option->palette.setBrush(QPalette::Text,
                                     option->palette.brush(QPalette::Disabled, QPalette::Text));
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (d->leavesGrid(key)) return true;
            if (key != d->gridKey && d->reportKey(key)) return true;
            switch (key->key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Enter:
            case Qt::Key_Return:
                // These end the edit and keep what was typed, but do not move on by
                // themselves: a keyDown handler moves the current cell if it wants to (and
                // then this editor is already gone).
                if (d->editor == object) d->finishEditing(true);
                return true;
            default:
                break;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    Private *const d;
};

void DataGrid::Private::applyRowHeight()
{
    QHeaderView *rows = q->verticalHeader();
    rows->setDefaultSectionSize(std::max(1, toPixels(rowHeightTwips, q->twipsPerPixelY())));
    q->updateGeometry(); // the size hint counts rows
}

int DataGrid::Private::columnForNewRow() const
{
    const QModelIndex current = q->currentIndex();
    if (current.isValid()) return current.column();
    const int count = int(columns.size());
    if (preferredColumn >= 0 && preferredColumn < count) return preferredColumn;
    for (int c = 0; c < count; ++c) {
        if (!q->isColumnHidden(c)) return c;
    }
    return count > 0 ? 0 : -1;
}

// Moves the current cell as code does: the selection stays, and the view does not scroll to
// the new cell (ensureCurrentVisible() does that when asked).
void DataGrid::Private::setCurrentQuietly(const QModelIndex &index)
{
    const bool autoScroll = q->hasAutoScroll();
    q->setAutoScroll(false);
    if (index.isValid())
        q->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    else
        q->selectionModel()->clearCurrentIndex();
    q->setAutoScroll(autoScroll);
}

void DataGrid::Private::followCursor(int row)
{
    if (pushingCursor || followingCursor) return;
    const QScopedValueRollback following(followingCursor, true);
    model->catchUp();
    if (editor && !model->isWriting()) {
        // The open edit belongs to the row being left: write it there, then put the cursor
        // back where its owner moved it.
        finishEditing(true);
        if (rs->currentRow() != row) rs->setCurrentRow(row);
    }
    const int column = columnForNewRow();
    const QModelIndex target = row >= 0 && row < model->rowCount() && column >= 0
                                   ? model->index(row, column)
                                   : QModelIndex();
    if (target != q->currentIndex()) setCurrentQuietly(target);
}

void DataGrid::Private::disconnectCursor()
{
    if (rs && cursorHandler) rs->disconnectCurrentChanged(cursorHandler);
    cursorHandler = 0;
    rs = nullptr;
}

void DataGrid::Private::finishEditing(bool commit)
{
    const QPointer<QLineEdit> open = editor;
    if (!open) return;
    if (commit) q->commitData(open);
    // The write may have moved the current cell, which closes the editor already.
    if (open && editor == open) q->closeEditor(open, QAbstractItemDelegate::NoHint);
}

// Raises keyDown for a key that has a code; true when a handler swallowed the key.
bool DataGrid::Private::reportKey(const QKeyEvent *event)
{
    int keyCode = keyCodeOf(event->key());
    if (keyCode == 0) return false;
    // A handler may write a cell, and the write runs its owner's code, which may delete the
    // grid: then the key is spent.
    const QPointer<DataGrid> alive(q);
    Q_EMIT q->keyDown(keyCode, shiftStateOf(*event));
    return !alive || keyCode == 0;
}

// Ctrl+Tab and Ctrl+Shift+Tab take the focus to the next or previous widget, as in other
// item views, where Tab itself moves inside the grid. What was typed into an open editor is
// written first.
bool DataGrid::Private::leavesGrid(const QKeyEvent *event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab || !(event->modifiers() & Qt::ControlModifier)) return false;
    const bool forward = event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
    const QPointer<DataGrid> grid = q;
    finishEditing(true);
    // The write runs the table's handlers, which may take the grid away.
    if (grid) grid->QAbstractScrollArea::focusNextPrevChild(forward);
    return true;
}

bool DataGrid::Private::showsButton(const QModelIndex &index) const
{
    return index.isValid() && index == q->currentIndex() && model->column(index.column()).button;
}

// A square button at the right edge of the cell, as high as the row.
QRect DataGrid::Private::buttonRect(const QRect &cell)
{
    const int side = std::min(cell.height(), cell.width());
    return QRect(cell.right() - side + 1, cell.top(), side, cell.height());
}

std::vector<int> DataGrid::Private::selectedColumns() const
{
    std::vector<int> result;
    if (model->rowCount() == 0) return result;
    for (const QModelIndex &index : q->selectionModel()->selectedColumns())
        result.push_back(index.column());
    std::sort(result.begin(), result.end());
    return result;
}

// Makes the selection model show exactly the bookmarked rows and the given columns. Rows go
// in as runs of consecutive rows, so that selecting many rows one by one stays cheap.
void DataGrid::Private::applySelection(const std::vector<int> &keepColumns)
{
    const int rowCount = model->rowCount();
    const int columnCount = model->columnCount();
    QItemSelection selection;
    if (rowCount > 0) {
        for (int c : keepColumns)
            selection.select(model->index(0, c), model->index(rowCount - 1, c));
    }
    if (columnCount > 0) {
        for (auto it = bookmarkSet.begin(); it != bookmarkSet.end();) {
            const int first = *it;
            int last = first;
            for (++it; it != bookmarkSet.end() && *it == last + 1; ++it)
                last = *it;
            selection.select(model->index(first, 0), model->index(last, columnCount - 1));
        }
    }
    const QScopedValueRollback applying(applyingSelection, true);
    q->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void DataGrid::Private::addBookmarkRow(int row)
{
    if (bookmarkSet.insert(row).second) bookmarkRows.push_back(row);
}

// Keeps the bookmark list in step with what the user selects, and reports the user's
// selection changes. A handler that cancels gets the previous selection back.
void DataGrid::Private::selectionChanged(const QItemSelection &selected,
                                         const QItemSelection &deselected)
{
    if (applyingSelection) return;
    const QItemSelectionModel *selection = q->selectionModel();
    const std::vector<int> previousRows = bookmarkRows;

    std::set<int> dropped;
    for (const QItemSelectionRange &range : deselected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (bookmarkSet.count(row) && !selection->isRowSelected(row)) dropped.insert(row);
        }
    }
    if (!dropped.empty()) {
        std::erase_if(bookmarkRows, [&](int row) { return dropped.count(row) > 0; });
        for (int row : dropped)
            bookmarkSet.erase(row);
    }
    const int lastColumn = model->columnCount() - 1;
    for (const QItemSelectionRange &range : selected) {
        const bool wholeRows = range.left() == 0 && range.right() == lastColumn;
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!bookmarkSet.count(row) && (wholeRows || selection->isRowSelected(row)))
                addBookmarkRow(row);
        }
    }

    bool cancel = false;
    Q_EMIT q->selectionRangeChanged(cancel);
    if (cancel) {
        const QScopedValueRollback applying(applyingSelection, true);
        q->selectionModel()->select(selected, QItemSelectionModel::Deselect);
        q->selectionModel()->select(deselected, QItemSelectionModel::Select);
        bookmarkRows = previousRows;
        bookmarkSet = std::set<int>(previousRows.begin(), previousRows.end());
    }
}

// Reports the user's column resizes; the grid's own (setWidth, hiding, binding) are not.
void DataGrid::Private::sectionResized(int column, int oldSize, int)
{
    if (ownResize > 0) return;
    bool cancel = false;
    Q_EMIT q->columnResizedByUser(column, cancel);
    if (cancel) {
        ++ownResize;
        q->horizontalHeader()->resizeSection(column, oldSize);
        --ownResize;
    }
}

// --- DataGridColumn ---

RecordSetModel &DataGridColumn::model() const
{
    return *m_grid->d->model;
}

QString DataGridColumn::dataField() const
{
    return model().column(m_index).dataField;
}

QString DataGridColumn::caption() const
{
    return model().column(m_index).caption;
}

void DataGridColumn::setCaption(const QString &caption)
{
    model().setCaption(m_index, caption);
}

double DataGridColumn::width() const
{
    const int pixels = m_grid->isColumnHidden(m_index)
                           ? m_grid->d->hiddenWidth[std::size_t(m_index)]
                           : m_grid->columnWidth(m_index);
    return pixels * m_grid->twipsPerPixelX();
}

void DataGridColumn::setWidth(double twips)
{
    const int pixels = std::max(0, toPixels(twips, m_grid->twipsPerPixelX()));
    if (m_grid->isColumnHidden(m_index)) m_grid->d->hiddenWidth[std::size_t(m_index)] = pixels;
    ++m_grid->d->ownResize;
    m_grid->setColumnWidth(m_index, pixels);
    --m_grid->d->ownResize;
}

double DataGridColumn::left() const
{
    const int x = m_grid->viewport()->geometry().left() + m_grid->columnViewportPosition(m_index);
    return x * m_grid->twipsPerPixelX();
}

bool DataGridColumn::isVisible() const
{
    return !m_grid->isColumnHidden(m_index);
}

void DataGridColumn::setVisible(bool visible)
{
    if (visible == isVisible()) return;
    if (!visible) m_grid->d->hiddenWidth[std::size_t(m_index)] = m_grid->columnWidth(m_index);
    ++m_grid->d->ownResize;
    m_grid->setColumnHidden(m_index, !visible);
    --m_grid->d->ownResize;
}

bool DataGridColumn::isLocked() const
{
    return model().column(m_index).locked;
}

void DataGridColumn::setLocked(bool locked)
{
    model().setLocked(m_index, locked);
}

bool DataGridColumn::hasButton() const
{
    return model().column(m_index).button;
}

void DataGridColumn::setButton(bool button)
{
    model().setButton(m_index, button);
}

bool DataGridColumn::wordWrap() const
{
    return model().column(m_index).wordWrap;
}

void DataGridColumn::setWordWrap(bool wrap)
{
    model().setWordWrap(m_index, wrap);
}

QString DataGridColumn::text() const
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) return QString();
    return m_grid->d->model->index(current.row(), m_index).data(Qt::DisplayRole).toString();
}

void DataGridColumn::setText(const QString &text)
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) return;
    const QModelIndex cell = m_grid->d->model->index(current.row(), m_index);
    if (!m_grid->d->model->writeText(cell.row(), m_index, text)) return;
    // An editor open on this cell would write its old text back when it closes.
    if (m_grid->d->editor && cell == current)
        m_grid->d->delegate->setEditorData(m_grid->d->editor, cell);
}

// --- DataGrid ---

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), d(std::make_unique<Private>(this))
{
    d->model = new RecordSetModel(this);
    d->delegate = new Private::CellDelegate(d.get());
    setItemDelegate(d->delegate);
    setModel(d->model);

    setWordWrap(false); // per column, through the delegate
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(true);

    // Rows all have the header's default height: no per-row measuring, however many rows.
    // The row header is the column of record selectors, shown by default.
    QHeaderView *rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    auto *selectorStyle = new SelectorStyle;
    selectorStyle->setParent(this);
    rows->setStyle(selectorStyle);
    rows->setMinimumSectionSize(1);
    rows->setMinimumWidth(
        int(std::lround(1.25 * style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this))));
    QHeaderView *cols = horizontalHeader();
    cols->setMinimumSectionSize(4);
    cols->setSectionResizeMode(QHeaderView::Interactive);
    d->applyRowHeight();

    d->selectionConnection =
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this](const QItemSelection &selected, const QItemSelection &deselected) {
                    d->selectionChanged(selected, deselected);
                });
    // A button switched on is drawn in the current cell, word wrap changes the text: the
    // column's strip is repainted, not the whole grid.
    connect(d->model, &RecordSetModel::columnChanged, this, [this](int column) {
        viewport()->update(columnViewportPosition(column), 0, columnWidth(column),
                           viewport()->height());
    });
    d->resizeConnection = connect(cols, &QHeaderView::sectionResized, this,
                                  [this](int column, int oldSize, int newSize) {
                                      d->sectionResized(column, oldSize, newSize);
                                  });
}

DataGrid::~DataGrid()
{
    disconnect(d->selectionConnection);
    disconnect(d->resizeConnection);
    if (d->editor) {
        d->editor->removeEventFilter(d->delegate);
        d->finishEditing(false);
    }
    d->disconnectCursor();
    d->model->setRecordSet(nullptr);
}

double DataGrid::twipsPerPixelX() const
{
    return screen::twipsPerPixelX(*this);
}

double DataGrid::twipsPerPixelY() const
{
    return screen::twipsPerPixelY(*this);
}

void DataGrid::setDataSource(RecordSet *rs)
{
    // An edit still open belongs to the old table; binding drops it.
    d->finishEditing(false);
    d->disconnectCursor();
    d->bookmarkRows.clear();
    d->bookmarkSet.clear();
    if (rs && d->columns.empty()) {
        for (int f = 0; f < rs->fieldCount(); ++f)
            addColumn(rs->field(f).name, rs->field(f).name);
    }
    ++d->ownResize;
    d->model->setRecordSet(rs);
    --d->ownResize;
    if (!rs) return;
    d->rs = rs;
    d->cursorHandler = rs->connectCurrentChanged([this](int row) { d->followCursor(row); });
    d->followCursor(rs->currentRow());
}

RecordSet *DataGrid::dataSource() const
{
    return d->rs;
}

DataGridColumn *DataGrid::addColumn(const QString &dataField, const QString &caption)
{
    ++d->ownResize;
    const int index = d->model->appendColumn({dataField, caption});
    --d->ownResize;
    d->columns.push_back(std::unique_ptr<DataGridColumn>(new DataGridColumn(this, index)));
    d->hiddenWidth.push_back(0);
    return d->columns.back().get();
}

int DataGrid::columnCount() const
{
    return int(d->columns.size());
}

DataGridColumn *DataGrid::column(int index) const
{
    return index >= 0 && index < columnCount() ? d->columns[std::size_t(index)].get() : nullptr;
}

DataGridColumn *DataGrid::columnByField(QStringView dataField) const
{
    for (const auto &column : d->columns) {
        const QString &field = d->model->column(column->index()).dataField;
        if (QStringView(field).compare(dataField, Qt::CaseInsensitive) == 0) return column.get();
    }
    return nullptr;
}

double DataGrid::rowHeightTwips() const
{
    return verticalHeader()->defaultSectionSize() * twipsPerPixelY();
}

void DataGrid::setRowHeightTwips(double twips)
{
    d->rowHeightTwips = twips;
    d->applyRowHeight();
}

double DataGrid::gridWidth() const
{
    return width() * twipsPerPixelX();
}

double DataGrid::gridHeight() const
{
    return height() * twipsPerPixelY();
}

void DataGrid::setGridHeight(double twips)
{
    resize(width(), std::max(0, toPixels(twips, twipsPerPixelY())));
}

double DataGrid::rowTop(int visibleRow) const
{
    const int top = rowCount() > 0 ? rowViewportPosition(firstVisibleRow()) : 0;
    const int y =
        viewport()->geometry().top() + top + visibleRow * verticalHeader()->defaultSectionSize();
    return y * twipsPerPixelY();
}

QColor DataGrid::backColor() const
{
    return palette().color(QPalette::Base);
}

void DataGrid::setBackColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

QColor DataGrid::foreColor() const
{
    // The colour set, also while the grid is disabled.
    return palette().color(QPalette::Active, QPalette::Text);
}

void DataGrid::setForeColor(const QColor &color)
{
    // The disabled group keeps the style's colour: read-only rows are drawn in it.
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::Text, color);
    p.setColor(QPalette::Inactive, QPalette::Text, color);
    setPalette(p);
}

bool DataGrid::recordSelectors() const
{
    return !verticalHeader()->isHidden();
}

void DataGrid::setRecordSelectors(bool on)
{
    verticalHeader()->setVisible(on);
    updateGeometries();
    updateGeometry();
}

int DataGrid::rowCount() const
{
    return d->model->rowCount();
}

int DataGrid::firstVisibleRow() const
{
    return std::max(0, rowAt(0));
}

int DataGrid::visibleRows() const
{
    const int rows = rowCount();
    if (rows == 0) return 0;
    const int first = firstVisibleRow();
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) last = rows - 1;
    return last - first + 1;
}

int DataGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() - firstVisibleRow() : -1;
}

void DataGrid::setCurrentRow(int visibleRow)
{
    const int row = firstVisibleRow() + visibleRow;
    const int column = d->columnForNewRow();
    if (row < 0 || row >= rowCount() || column < 0) return;
    d->setCurrentQuietly(d->model->index(row, column));
}

int DataGrid::currentColumn() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void DataGrid::setCurrentColumn(int column)
{
    if (column < 0 || column >= columnCount()) return;
    d->preferredColumn = column;
    const QModelIndex current = currentIndex();
    if (current.isValid()) d->setCurrentQuietly(d->model->index(current.row(), column));
}

void DataGrid::scrollBy(int columns, int rows)
{
    // The scroll ranges follow the rows and columns only after the pending layout.
    executeDelayedItemsLayout();
    if (rows != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() + rows);
    if (columns != 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + columns);
}

void DataGrid::ensureCurrentVisible()
{
    const QModelIndex current = currentIndex();
    if (current.isValid()) scrollTo(current);
}

QList<RecordSet::Bookmark> DataGrid::selectedBookmarks() const
{
    QList<RecordSet::Bookmark> result;
    result.reserve(qsizetype(d->bookmarkRows.size()));
    for (int row : d->bookmarkRows)
        result.append(RecordSet::bookmarkOfRow(row));
    return result;
}

void DataGrid::addSelectedBookmark(RecordSet::Bookmark bookmark)
{
    addSelectedBookmarks({bookmark});
}

void DataGrid::addSelectedBookmarks(const QList<RecordSet::Bookmark> &bookmarks)
{
    const std::size_t before = d->bookmarkRows.size();
    const std::vector<int> columns = d->selectedColumns();
    for (RecordSet::Bookmark bookmark : bookmarks) {
        const int row = RecordSet::rowOfBookmark(bookmark);
        if (row >= 0 && row < rowCount()) d->addBookmarkRow(row);
    }
    if (d->bookmarkRows.size() != before) d->applySelection(columns);
}

void DataGrid::clearSelectedBookmarks()
{
    const std::vector<int> columns = d->selectedColumns();
    d->bookmarkRows.clear();
    d->bookmarkSet.clear();
    d->applySelection(columns);
}

int DataGrid::selStartCol() const
{
    const std::vector<int> columns = d->selectedColumns();
    return columns.empty() ? -1 : columns.front();
}

int DataGrid::selEndCol() const
{
    const std::vector<int> columns = d->selectedColumns();
    return columns.empty() ? -1 : columns.back();
}

void DataGrid::clearSelCols()
{
    d->applySelection({});
}

void DataGrid::setEditActive(bool active)
{
    if (!active) {
        d->finishEditing(true);
        return;
    }
    const QModelIndex current = currentIndex();
    if (d->editor || !current.isValid() || !(current.flags() & Qt::ItemIsEditable)) return;
    // The editor takes the focus: not from another widget of the window, which is in use while
    // the host moves the current row (typing into the cell then starts the edit).
    const QWidget *focus = window()->focusWidget();
    if (focus && focus != this && !isAncestorOf(focus)) return;
    edit(current, QAbstractItemView::AllEditTriggers, nullptr);
}

bool DataGrid::isEditActive() const
{
    return d->editor != nullptr;
}

int DataGrid::selStart() const
{
    if (!d->editor) return 0;
    return d->editor->hasSelectedText() ? d->editor->selectionStart() : d->editor->cursorPosition();
}

void DataGrid::setSelStart(int start)
{
    if (d->editor) d->editor->setSelection(start, selLength());
}

int DataGrid::selLength() const
{
    return d->editor ? d->editor->selectionLength() : 0;
}

void DataGrid::setSelLength(int length)
{
    if (d->editor) d->editor->setSelection(selStart(), length);
}

void DataGrid::refresh()
{
    viewport()->update();
}

void DataGrid::setReadOnlyRows(std::function<bool(int row)> isReadOnly)
{
    d->isReadOnlyRow = std::move(isReadOnly);
    viewport()->update();
}

QSize DataGrid::sizeHint() const
{
    const int frame = 2 * frameWidth();
    const int selectors = recordSelectors() ? verticalHeader()->sizeHint().width() : 0;
    return {frame + selectors + 40 * fontMetrics().averageCharWidth(),
            frame + horizontalHeader()->sizeHint().height() +
                10 * verticalHeader()->defaultSectionSize()};
}

QSize DataGrid::minimumSizeHint() const
{
    const int frame = 2 * frameWidth();
    return {frame + 12 * fontMetrics().averageCharWidth(),
            frame + horizontalHeader()->sizeHint().height() +
                3 * verticalHeader()->defaultSectionSize()};
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    if (d->leavesGrid(event)) {
        event->accept();
        return;
    }
    // A key the in-place editor did not use comes here after its editor reported it.
    const QWidget *focus = QApplication::focusWidget();
    const bool fromEditor = focus && focus != this && isAncestorOf(focus);
    if (!fromEditor && d->reportKey(event)) {
        event->accept();
        return;
    }
    const QScopedValueRollback<const QKeyEvent *> handling(d->gridKey, event);
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // No move of their own; a keyDown handler decides.
        event->accept();
        return;
    default:
        break;
    }
    // Typing into a cell that cannot be edited does nothing (no jump to a matching row).
    const QString text = event->text();
    const QModelIndex current = currentIndex();
    if (!fromEditor && !text.isEmpty() && text.front().isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        !(current.flags() & Qt::ItemIsEditable)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (event->button() == Qt::LeftButton && d->showsButton(index) &&
        Private::buttonRect(visualRect(index)).contains(pos)) {
        event->accept();
        Q_EMIT buttonClicked(index.column());
        return;
    }
    QTableView::mousePressEvent(event);
    if (index.isValid()) Q_EMIT gridClicked();
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    {
        // The base class writes an open edit to the row being left, which moves the cursor
        // there for the field-change notification; then the cursor follows the grid.
        const QScopedValueRollback pushing(d->pushingCursor, true);
        QTableView::currentChanged(current, previous);
        if (current.isValid() && d->rs && !d->followingCursor &&
            d->rs->currentRow() != current.row())
            d->rs->setCurrentRow(current.row());
    }
    if (current.isValid()) d->preferredColumn = current.column();
    if (current != previous) {
        Q_EMIT rowColChanged(previous.isValid() ? RecordSet::bookmarkOfRow(previous.row()) : 0,
                             previous.isValid() ? previous.column() : -1);
    }
}

// Qt's item views repaint everything when the focus comes or goes. What the focus changes is
// the current cell's focus frame and the selected rows' highlight, so only the visible rows
// that show either are repainted: an edit hands the focus to the in-place editor and back, and
// two repaints of the whole grid were most of what a typed edit cost.
void DataGrid::focusInEvent(QFocusEvent *event)
{
    const QModelIndex current = currentIndex();
    // Without a current cell, Qt's handler picks one.
    if (!current.isValid()) {
        QTableView::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    setAttribute(Qt::WA_InputMethodEnabled, current.flags().testFlag(Qt::ItemIsEditable));
    d->updateFocusedRows();
}

void DataGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    d->updateFocusedRows();
}

void DataGrid::Private::updateFocusedRows()
{
    QWidget *const viewport = q->viewport();
    const int first = q->rowAt(0);
    if (first < 0) return;
    int last = q->rowAt(viewport->height() - 1);
    if (last < 0) last = model->rowCount() - 1;
    const int current = q->currentIndex().row();
    const QItemSelectionModel *selection = q->selectionModel();
    for (int row = first; row <= last; ++row)
        if (row == current || (selection && selection->rowIntersectsSelection(row)))
            viewport->update(0, q->rowViewportPosition(row), viewport->width(), q->rowHeight(row));
}

void DataGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    // A change of screen resolution arrives as a font change; the row height stays the same
    // in twips.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        d->applyRowHeight();
}

QItemSelectionModel::SelectionFlags DataGrid::selectionCommand(const QModelIndex &index,
                                                               const QEvent *event) const
{
    if (event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
            return QItemSelectionModel::Clear;
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return QItemSelectionModel::NoUpdate;
        default:
            break;
        }
    }
    // The headers select without an event: rows and columns, with Shift and Ctrl as usual.
    return QTableView::selectionCommand(index, event);
}

} // namespace tabulon::platform
