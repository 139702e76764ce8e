#include "platform/RecordSetModel.h"

#include "core/Error.h"

#include <QScopedValueRollback>
#include <QtDebug>

namespace tabulon::platform {

RecordSetModel::RecordSetModel(QObject *parent) : QAbstractTableModel(parent) {}

RecordSetModel::~RecordSetModel()
{
    if (m_rs) m_rs->removeObserver(this);
}

void RecordSetModel::setRecordSet(RecordSet *rs)
{
    beginResetModel();
    if (m_rs) m_rs->removeObserver(this);
    m_rs = rs;
    for (BoundColumn &bound : m_columns)
        bound.field = boundField(bound.column.dataField);
    m_rows = m_rs && m_rs->isOpen() ? m_rs->recordCount() : 0;
    if (m_rs) m_rs->addObserver(this);
    endResetModel();
}

int RecordSetModel::boundField(const QString &dataField) const
{
    return m_rs ? m_rs->fieldIndex(dataField) : -1;
}

int RecordSetModel::appendColumn(Column column)
{
    const int index = int(m_columns.size());
    beginInsertColumns(QModelIndex(), index, index);
    const int field = boundField(column.dataField);
    m_columns.push_back({std::move(column), field});
    endInsertColumns();
    return index;
}

const RecordSetModel::Column &RecordSetModel::column(int column) const
{
    return m_columns[std::size_t(column)].column;
}

void RecordSetModel::setCaption(int column, const QString &caption)
{
    if (changeColumn(column, &Column::caption, caption))
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void RecordSetModel::setLocked(int column, bool locked)
{
    changeColumn(column, &Column::locked, locked);
}

void RecordSetModel::setButton(int column, bool button)
{
    changeColumn(column, &Column::button, button);
}

void RecordSetModel::setWordWrap(int column, bool wrap)
{
    changeColumn(column, &Column::wordWrap, wrap);
}

template <typename T> bool RecordSetModel::changeColumn(int column, T Column::*property, T value)
{
    T &current = at(column).column.*property;
    // Edits set a column's lock and button on every move; only a change repaints it.
    if (current == value) return false;
    current = std::move(value);
    Q_EMIT columnChanged(column);
    return true;
}

int RecordSetModel::fieldOfColumn(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[std::size_t(column)].field : -1;
}

void RecordSetModel::catchUp()
{
    if (!m_rs || !m_rs->isOpen()) return;
    const int count = m_rs->recordCount();
    if (count <= m_rows) return;
    // The rows are in the table already; rowCount() keeps answering the old count until
    // the insertion is announced, as the views expect.
    beginInsertRows(QModelIndex(), m_rows, count - 1);
    m_rows = count;
    endInsertRows();
}

bool RecordSetModel::writeText(int row, int column, const QString &text)
{
    const int field = fieldOfColumn(column);
    if (!m_rs || field < 0 || row < 0 || row >= m_rows) return false;
    const QScopedValueRollback writing(m_writing, true);
    try {
        m_rs->setValueAt(row, field, Variant(text));
    } catch (const std::exception &e) {
        qWarning().noquote() << "DataGrid: the table refused the value:" << describe(e);
        return false;
    }
    return true;
}

int RecordSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid)) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const int field = m_columns[std::size_t(index.column())].field;
        return field < 0 ? QString() : m_rs->valueAt(index.row(), field).toText();
    }
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool RecordSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    return writeText(index.row(), index.column(), value.toString());
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const BoundColumn &bound = m_columns[std::size_t(index.column())];
    if (bound.field >= 0 && !bound.column.locked) result |= Qt::ItemIsEditable;
    return result;
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Row headers are the record selectors: plain buttons without text.
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return m_columns[std::size_t(section)].column.caption;
}

void RecordSetModel::rowsAppended(int, int)
{
    catchUp();
}

void RecordSetModel::valueChanged(int row, int field)
{
    if (row < 0 || row >= m_rows) return;
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].field == field) {
            const QModelIndex cell = index(row, int(c));
            Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        }
    }
}

} // namespace tabulon::platform
