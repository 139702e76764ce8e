#pragma once

#include "platform/RecordSet.h"

#include <QAbstractTableModel>

#include <vector>

namespace tabulon::platform {

// The table model between a RecordSet and the views bound to it. Model rows are the table's
// rows; model columns are the columns appended here, each showing one field of the table by
// the field's name. Every cell is read from the table when it is asked for, so binding costs
// nothing per row. Edits go to the table through setValueAt(), which makes the edited row
// current and raises the table's field-change notification.
class RecordSetModel final : public QAbstractTableModel, public RecordSetObserver
{
    Q_OBJECT
public:
    // What a column shows and whether it may be edited. How wide it is, whether it is shown
    // and where it stands are the views' business.
    struct Column {
        QString dataField;     // the table's field, by name (case-insensitive)
        QString caption;       // header text
        bool locked = false;   // not editable (writeText() still writes)
        bool button = false;   // views show a button in the current cell
        bool wordWrap = false; // long text wraps inside the cell
    };

    explicit RecordSetModel(QObject *parent = nullptr);
    ~RecordSetModel() override;

    // Binds to rs (not owned; nullptr: no table, no rows). Always a model reset. The columns
    // stay and are bound to the new table's fields by name.
    void setRecordSet(RecordSet *rs);
    RecordSet *recordSet() const { return m_rs; }

    // Appends a column, bound to its field if the table has one; returns its index.
    int appendColumn(Column column);
    // The column at `column` (0 <= column < columnCount()).
    const Column &column(int column) const;
    void setCaption(int column, const QString &caption);
    void setLocked(int column, bool locked);
    void setButton(int column, bool button);
    void setWordWrap(int column, bool wrap);
    // The table's field shown in a column; -1 when the table has no such field or is unbound.
    int fieldOfColumn(int column) const;

    // Announces the rows the table has gained since the model last counted them. The table's
    // cursor notification for a new row may come before its row notification.
    void catchUp();
    // True while an edit of this model is being written to the table.
    bool isWriting() const { return m_writing; }
    // Writes text into a cell of the table, whether or not the column is locked; the table
    // converts it to the field's type. Returns false when the cell has no field or the table
    // refused the value (the refusal is logged: this runs inside event handlers, which must
    // not throw).
    bool writeText(int row, int column, const QString &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void rowsAppended(int first, int last) override;
    void valueChanged(int row, int field) override;

Q_SIGNALS:
    // The caption, lock, button or word wrap of a column changed. A caption change is also
    // announced as a header data change.
    void columnChanged(int column);

private:
    struct BoundColumn {
        Column column;
        int field; // index of column.dataField in the table, -1 when none
    };
    int boundField(const QString &dataField) const;
    BoundColumn &at(int column) { return m_columns[std::size_t(column)]; }
    // Sets one property of a column and announces it if it changed; true if it did.
    template <typename T> bool changeColumn(int column, T Column::*property, T value);

    RecordSet *m_rs = nullptr;
    std::vector<BoundColumn> m_columns;
    int m_rows = 0; // rows announced to the views
    bool m_writing = false;
};

} // namespace tabulon::platform
