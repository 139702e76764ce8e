#pragma once

// What a cell editor gets of the attribute table: the row it was opened on. Editors read the
// row's "Name" and "Value" and end by writing "Value" or "RawValue"; the write reaches the
// attribute object through the table's field-change handling, never directly.

#include "control/AttributeTable.h"
#include "core/Export.h"
#include "core/Variant.h"
#include "platform/RecordSet.h"

#include <QString>

#include <memory>

namespace tabulon {

class TABULON_AUTOTEST_EXPORT EditorRow
{
public:
    /// The current row of the table that `table` holds now. Editors outlive modal dialogs, in
    /// which the host may load another object: a write then goes nowhere, since its row is gone.
    explicit EditorRow(const std::unique_ptr<platform::RecordSet> &table);

    /// The row's "Name" and "Value" fields. Raise NoCurrentRecord without a current row.
    QString name() const;
    platform::Variant value() const;

    /// Write "Value" or "RawValue" on the row the editor was opened on. False, with nothing
    /// written, when the table holding that row has been replaced.
    bool setValue(const platform::Variant &value);
    bool setRawValue(const QString &text);

private:
    bool write(AttributeField field, const platform::Variant &value);

    const std::unique_ptr<platform::RecordSet> &m_table;
    const platform::RecordSet *m_opened;
    platform::RecordSet::Bookmark m_bookmark = 0;
};

} // namespace tabulon
