// Edit modes and the grid's notifications: the current row's mode is applied to the value
// column whenever the current cell changes; keys walk the rows and clear file and folder
// values; a column selection selects every row; a column resize keeps the columns' split.

#include "control/ctlAttributes_p.h"

#include "control/EditMode.h"
#include "control/RowDisplay.h"
#include "core/Error.h"
#include "platform/DataGrid.h"
#include "platform/KeyCode.h"

#include <QPointer>

namespace tabulon {

using platform::DataGrid;
using platform::RecordSet;

namespace {

// The fields that decide a row's mode, read by `read(field)`.
template <typename Read> EditModeFields editModeFields(Read read)
{
    return {read(fEditable), read(fExpression), read(fUnitsType), read(fAllowableValues),
            read(fDataType)};
}

// Runs a handler for a notification of the grid. Nothing may leave it: the notification comes
// from inside the grid's event handling, which an exception must not cross.
template <typename Handler> void trapped(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (...) {
    }
}

} // namespace

QString ctlAttributesPrivate::GetEditMode() const
{
    if (!m_rs) throw platform::Error::standard(platform::Error::ObjectClosed, messageTitle());
    return tabulon::GetEditMode(
        editModeFields([this](AttributeField field) { return m_rs->value(field); }));
}

void ctlAttributesPrivate::ApplyEditMode(bool selectText)
{
    m_iLastCol = grdEdit->currentColumn();
    m_iLastRow = grdEdit->currentRow();
    // Without a current record the mode is empty, which is set up as "Edit".
    QString mode;
    try {
        mode = GetEditMode();
    } catch (...) {
    }
    const ValueColumnSetup setup = ValueColumnSetupForMode(mode, selectText);
    if (setup.locked) {
        m_colValue->setButton(setup.button);
        m_colValue->setLocked(true);
        // Ending an edit writes it, and the write runs host code.
        const QPointer<ctlAttributes> alive(q);
        grdEdit->setEditActive(false);
        if (alive && setup.refresh) grdEdit->refresh();
        return;
    }
    m_colValue->setLocked(false);
    m_colValue->setButton(false);
    grdEdit->setEditActive(true);
    if (setup.selectWholeText) {
        const platform::DataGridColumn *current = grdEdit->column(grdEdit->currentColumn());
        grdEdit->setSelStart(0);
        grdEdit->setSelLength(current ? int(current->text().size()) : 0);
    }
}

bool ctlAttributesPrivate::IsReadOnlyRow(int row) const
{
    const RecordSet *table = grdEdit->dataSource();
    if (!table || row < 0 || row >= table->recordCount()) return false;
    try {
        const QString mode = tabulon::GetEditMode(
            editModeFields([&](AttributeField field) { return table->valueAt(row, field); }));
        return mode == kModeLocked || mode == kModeExpression;
    } catch (...) {
        return false; // a data type that is no number: the row is an editable one
    }
}

GridRows ctlAttributesPrivate::gridRows() const
{
    return {grdEdit->currentRow(), grdEdit->visibleRows(), grdEdit->firstVisibleRow(),
            grdEdit->rowCount()};
}

void ctlAttributesPrivate::ConnectGrid()
{
    QObject::connect(grdEdit, &DataGrid::rowColChanged, q,
                     [this](RecordSet::Bookmark row, int col) {
                         trapped([&] { grdEdit_RowColChange(row, col); });
                     });
    QObject::connect(grdEdit, &DataGrid::gridClicked, q,
                     [this] { trapped([&] { grdEdit_Click(); }); });
    QObject::connect(grdEdit, &DataGrid::keyDown, q, [this](int &keyCode, int shift) {
        trapped([&] { grdEdit_KeyDown(keyCode, shift); });
    });
    QObject::connect(grdEdit, &DataGrid::selectionRangeChanged, q,
                     [this](bool &cancel) { trapped([&] { grdEdit_SelChange(cancel); }); });
    QObject::connect(grdEdit, &DataGrid::columnResizedByUser, q, [this](int column, bool &cancel) {
        trapped([&] { grdEdit_ColResize(column, cancel); });
    });
    QObject::connect(grdEdit, &DataGrid::buttonClicked, q,
                     [this](int column) { trapped([&] { grdEdit_ButtonClick(column); }); });
}

void ctlAttributesPrivate::grdEdit_RowColChange(RecordSet::Bookmark, int)
{
    if (!m_bUpdating) ApplyEditMode(true);
}

void ctlAttributesPrivate::grdEdit_Click()
{
    if (grdEdit->currentRow() == m_iLastRow && grdEdit->currentColumn() == m_iLastCol)
        ApplyEditMode(false);
}

void ctlAttributesPrivate::grdEdit_KeyDown(int &KeyCode, int)
{
    if (KeyCode == platform::kKeyTab || KeyCode == platform::kKeyEnter) {
        const RowStep step = NextRowOnTabOrEnter(gridRows());
        if (step.row >= 0) grdEdit->setCurrentRow(step.row);
    } else if (KeyCode == platform::kKeyDelete && m_rs &&
               grdEdit->currentColumn() == m_colValue->index()) {
        // The stored units text, as it is: unlike the edit mode, no trimming and no case folding.
        const QString units = m_rs->value(fUnitsType).toText();
        if (units == u"File" || units == u"Folder") m_colValue->setText(QString());
    }
}

void ctlAttributesPrivate::grdEdit_SelChange(bool &)
{
    if (!q->RecordSelectors()) return;
    if ((grdEdit->selStartCol() >= 0 || grdEdit->selEndCol() >= 0) && m_rs) {
        // An independent cursor walks the rows: the table's own would drag the grid's current
        // cell, and with it the edit mode, through every row. The grid takes them in one go.
        const std::unique_ptr<RecordSet> rows = m_rs->clone();
        QList<RecordSet::Bookmark> all;
        all.reserve(rows->recordCount());
        if (rows->recordCount() > 0) rows->moveFirst();
        for (; !rows->isEOF(); rows->moveNext())
            all.append(rows->bookmark());
        grdEdit->addSelectedBookmarks(all);
    }
    Q_EMIT q->SelectionChange();
}

void ctlAttributesPrivate::grdEdit_ColResize(int ColIndex, bool &)
{
    platform::DataGridColumn *column = grdEdit->column(ColIndex);
    if (!column) return;
    FitValueColumn(column);
    // A grid no wider than the margin has no width to share out; the fraction stays.
    const double usable = grdEdit->gridWidth() - m_sngRightMargin;
    if (usable > 0) m_sngPropFraction = float(m_colProperty->width() / usable);
}

QString ctlAttributesPrivate::grdEdit_ButtonClick(int)
{
    return GetEditMode();
}

} // namespace tabulon
