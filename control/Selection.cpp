// What the host asks of the grid's rows: the selected attributes, and a step to the next row.
// Nothing here traps errors; they reach the host as the failure of the call.

#include "control/ctlAttributes_p.h"

#include "control/RowDisplay.h"
#include "core/Error.h"
#include "platform/DataGrid.h"

#include <QPointer>

namespace tabulon {

using platform::RecordSet;
using platform::Variant;

int ctlAttributes::SelectedCount() const
{
    return int(d->grdEdit->selectedBookmarks().size());
}

QString ctlAttributes::GetSelected(int Index) const
{
    const QList<RecordSet::Bookmark> selected = d->grdEdit->selectedBookmarks();
    if (Index < 0 || Index >= selected.size()) return QString();
    if (!d->m_rs) throw platform::Error::standard(platform::Error::ObjectClosed, messageTitle());
    // An independent cursor visits the row: moving the table's own would move the grid's
    // current cell there and back, ending and restarting an edit on the way.
    const std::unique_ptr<RecordSet> row = d->m_rs->clone();
    row->setBookmark(selected[Index]);
    return row->value(fName).toText();
}

Variant ctlAttributes::GotoNextRow()
{
    platform::DataGrid *grid = d->grdEdit;
    const RecordSet *table = grid->dataSource();
    if (!table) throw platform::Error::standard(platform::Error::ObjectClosed, messageTitle());
    const RowStep step = NextRowOnGotoNextRow(d->gridRows());
    if (step.row >= 0) {
        // Leaving the row writes an open edit, and the write runs host code, which may detach,
        // load another object or delete this control.
        const QPointer<ctlAttributes> alive(this);
        grid->setCurrentRow(step.row);
        if (!alive || grid->dataSource() != table) return {};
    }
    if (step.makeVisible) grid->ensureCurrentVisible();
    d->ApplyEditMode(true);
    return {};
}

} // namespace tabulon
