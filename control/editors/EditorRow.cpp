#include "control/editors/EditorRow.h"

namespace tabulon {

using platform::Variant;

EditorRow::EditorRow(const std::unique_ptr<platform::RecordSet> &table)
    : m_table(table), m_opened(table.get())
{
    if (m_opened && !m_opened->isBOF() && !m_opened->isEOF()) m_bookmark = m_opened->bookmark();
}

QString EditorRow::name() const
{
    return m_opened->value(fName).toText();
}

Variant EditorRow::value() const
{
    return m_opened->value(fValue);
}

bool EditorRow::setValue(const Variant &value)
{
    return write(fValue, value);
}

bool EditorRow::setRawValue(const QString &text)
{
    return write(fRawValue, text);
}

bool EditorRow::write(AttributeField field, const Variant &value)
{
    platform::RecordSet *table = m_table.get();
    if (!table || table != m_opened || m_bookmark == 0) return false;
    // The editor may have run an event loop in which the current row moved.
    table->setBookmark(m_bookmark);
    table->setValue(field, value);
    return true;
}

} // namespace tabulon
