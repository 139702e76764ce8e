#pragma once

#include "core/Export.h"
#include "core/Variant.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace tabulon::platform {

class RecordSetStorage;

// Receives changes of the rows that a record set and all its clones share. Used by views
// (DataGrid's model) to stay in step with the table.
class TABULON_AUTOTEST_EXPORT RecordSetObserver
{
public:
    virtual ~RecordSetObserver();
    virtual void rowsAppended(int first, int last) = 0;
    virtual void valueChanged(int row, int field) = 0;
};

// An in-memory table with a client-side cursor: typed fields, rows appended one at a time,
// bookmarks, find, clones that share the rows with independent cursors, and a field-change
// notification raised synchronously after every completed field write, with this record set
// positioned on the changed row.
//
// Rows are never removed, so a bookmark (the row's 1-based number) stays valid for the life
// of the rows.
class TABULON_AUTOTEST_EXPORT RecordSet
{
public:
    enum class FieldType { VarWChar = 202, Boolean = 11, Variant = 12 };
    enum class CursorLocation { Server = 2, Client = 3 };
    enum class CursorType {
        Unspecified = -1,
        ForwardOnly = 0,
        Keyset = 1,
        Dynamic = 2,
        Static = 3
    };

    struct Field
    {
        QString name;
        FieldType type;
        int definedSize; // characters, for VarWChar; 0 otherwise
        bool nullable;
    };
    // A field named in a change notification. Its value is read from the row when asked, so
    // a handler sees what an earlier handler may have written there since.
    class TABULON_AUTOTEST_EXPORT ChangedField
    {
    public:
        const QString &name() const;
        Variant value() const;

    private:
        friend class RecordSet;
        ChangedField(const RecordSetStorage &storage, int row, int field)
            : m_storage(&storage), m_row(row), m_field(field)
        {}
        const RecordSetStorage *m_storage;
        int m_row;
        int m_field;
    };
    using Bookmark = int;
    // count, the changed fields, and the record set through which the change was made (on
    // the changed row).
    using FieldChangeHandler =
        std::function<void(int count, std::span<const ChangedField> fields, RecordSet &rs)>;

    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet &) = delete;
    RecordSet &operator=(const RecordSet &) = delete;

    // Settings and schema; only before open().
    void setCursorLocation(CursorLocation location);
    CursorLocation cursorLocation() const;
    void setCursorType(CursorType type);
    CursorType cursorType() const;
    void appendField(const QString &name, FieldType type, int definedSize = 0,
                     bool nullable = true);
    // Declares that a text field holds few distinct texts, repeated over many rows: each is
    // then kept once, and a row holds only its number (four bytes instead of a value). Texts
    // written to such a field are kept as long as the table. Raises OperationNotAllowed when
    // open, InvalidProcedureCall for a field that is not a text field.
    void setRepeatedTexts(int field);
    // Opens the table with no source and no connection. Raises OperationNotAllowed when open.
    void open();
    bool isOpen() const;

    int fieldCount() const;
    const Field &field(int index) const;
    // Case-insensitive lookup by name; -1 when there is no such field.
    int fieldIndex(QStringView name) const;

    // Appends an empty row (every field empty) and makes it current.
    void addNew();
    // Appends a row holding `values`, one per field in field order, and makes it current: one
    // row-level change and one field-change notification listing every field. The values are
    // moved into the row. They are checked as setValue() checks them; a refused value raises
    // its error, leaves no row and hands the values back (those accepted as the field stores
    // them). Fewer or more values than fields raise InvalidProcedureCall.
    void addNew(std::span<Variant> values);
    // Commits pending rows. Rows are committed as they are written, so this only checks that
    // the table is open; kept so that callers read like the algorithm they implement.
    void updateBatch();

    // Values of the current row. Reading or writing with no current row raises
    // NoCurrentRecord; an unknown field raises ItemNotFound; a text longer than a text field's
    // defined size raises DataTooLarge; a value of the wrong type for a boolean or text field
    // raises TypeMismatch. A write raises the field-change notification.
    Variant value(QStringView fieldName) const;
    Variant value(int field) const;
    void setValue(QStringView fieldName, const Variant &value);
    void setValue(int field, const Variant &value);

    // Values by row index (0-based), without moving the cursor. setValueAt() makes `row`
    // current and then writes, as a grid edit does.
    Variant valueAt(int row, int field) const;
    void setValueAt(int row, int field, const Variant &value);

    // Cursor. The current position is -1 before the first row (BOF) and recordCount() after
    // the last (EOF). Moving before BOF or past EOF raises NoCurrentRecord.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool isBOF() const;
    bool isEOF() const;
    int recordCount() const;
    // 0-based index of the current row, -1 at BOF, recordCount() at EOF.
    int currentRow() const;
    // Make the row with this 0-based index current (-1 or recordCount() for BOF and EOF).
    void setCurrentRow(int row);

    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);
    static int rowOfBookmark(Bookmark bookmark) { return bookmark - 1; }
    static Bookmark bookmarkOfRow(int row) { return row + 1; }

    // Finds, from the current row on (the current row included), the first row whose field
    // matches the criterion "Field = 'text'" (field name case-insensitive, '' for a quote in
    // the text, comparison case-insensitive as the table's find does). Leaves the cursor on
    // that row, or at EOF. Returns whether a row was found. A criterion that does not parse
    // raises InvalidProcedureCall; an unknown field ItemNotFound.
    bool find(QStringView criterion);

    // The 0-based index of the first row whose field holds exactly `text` (a text value,
    // compared case-sensitively); -1 when none. Does not move the cursor. Answered through an
    // index over one field, shared by every clone, built on first use and kept up to date as
    // rows are added and written; asking about another field rebuilds it for that field. An
    // unknown field raises ItemNotFound.
    int firstRowOf(int field, const QString &text) const;

    // A second cursor over the same rows, positioned at BOF, with no handlers of its own.
    std::unique_ptr<RecordSet> clone() const;

    // Field-change notification. Returns an id for disconnect.
    int connectFieldChangeComplete(FieldChangeHandler handler);
    void disconnectFieldChangeComplete(int id);

    // Cursor-moved notification for views bound to this cursor (the new 0-based row).
    int connectCurrentChanged(std::function<void(int row)> handler);
    void disconnectCurrentChanged(int id);

    // Row-level changes shared by every clone.
    void addObserver(RecordSetObserver *observer);
    void removeObserver(RecordSetObserver *observer);

    // Checks the invariants (cursor in range, rows of full width, texts within size, clones
    // sharing rows). Raises std::logic_error with the broken invariant.
    void checkConsistency() const;

private:
    friend class RecordSetReuse; // reloads write over a discarded table's rows
    explicit RecordSet(std::shared_ptr<RecordSetStorage> storage);
    void requireOpen() const;
    void requireCurrent() const;
    void moveTo(int row);
    void write(int field, const Variant &value);

    std::shared_ptr<RecordSetStorage> m_storage;
    int m_current = -1;
    CursorLocation m_location = CursorLocation::Server;
    CursorType m_type = CursorType::ForwardOnly;
    // Held by shared_ptr so that a handler that disconnects itself, or connects another, while
    // it runs stays alive until it returns.
    std::vector<std::pair<int, std::shared_ptr<const FieldChangeHandler>>> m_fieldHandlers;
    std::vector<std::pair<int, std::shared_ptr<const std::function<void(int)>>>> m_currentHandlers;
    int m_nextHandlerId = 1;
};

} // namespace tabulon::platform
