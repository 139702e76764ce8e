#pragma once

#include "platform/RecordSet.h"

#include <QAbstractTableModel>

#include <vector>

namespace tabulon::platform {

class DataGrid;

// The table model between a DataGrid and the RecordSet it is bound to. Model rows are the
// table's rows, model columns the grid's columns; every cell is read from the table when it is
// asked for, so binding costs nothing per row. Captions and locks are read from the grid's
// columns, the values from the table. Edits go to the table through setValueAt(), which makes
// the edited row current and raises the table's field-change notification.
class RecordSetModel final : public QAbstractTableModel, public RecordSetObserver
{
    Q_OBJECT
public:
    explicit RecordSetModel(const DataGrid *grid, QObject *parent = nullptr);
    ~RecordSetModel() override;

    // Binds to rs (not owned; nullptr: no table, no rows). Always a model reset.
    void setRecordSet(RecordSet *rs);
    RecordSet *recordSet() const { return m_rs; }

    // The grid gained a column (its last); announces it, bound to its field if the table has
    // one.
    void appendColumn();
    // A column's caption changed.
    void captionChanged(int column);
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

private:
    int boundField(const QString &dataField) const;

    const DataGrid *m_grid;
    RecordSet *m_rs = nullptr;
    std::vector<int> m_fields; // field index per announced column
    int m_rows = 0;            // rows announced to the views
    bool m_writing = false;
};

} // namespace tabulon::platform
