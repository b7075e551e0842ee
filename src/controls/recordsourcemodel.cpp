#include "recordsourcemodel.h"

#include "data/dataaccesserror.h"

RecordSourceModel::RecordSourceModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordSourceModel::setRecordSource(const QString &source)
{
    m_source = source;
    clear();
}

void RecordSourceModel::setHeaderCaptions(const QStringList &captions)
{
    m_captions = captions;
    if (!m_fieldNames.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_fieldNames.size()) - 1);
}

void RecordSourceModel::load(const QString &typedText)
{
    beginResetModel();
    m_typed = typedText;
    m_bound = RecordSource::bind(m_source, typedText);
    m_fieldNames.clear();
    m_rows.clear();
    m_rowsRead = 0;
    m_databaseHasMore = false;
    m_loaded = false;
    try {
        m_rows = readUpTo(m_pageSize);
        m_loaded = true;
    } catch (const DataAccessError &) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void RecordSourceModel::clear()
{
    beginResetModel();
    m_loaded = false;
    m_typed.clear();
    m_fieldNames.clear();
    m_rows.clear();
    m_rowsRead = 0;
    m_databaseHasMore = false;
    endResetModel();
}

QList<QVariantList> RecordSourceModel::readUpTo(int limit)
{
    const QueryResult result = m_table.Fetch(m_bound.statement(), m_bound.parameters(), limit);
    m_fieldNames = result.fieldNames();
    const int searched = m_bound.needsFiltering() ? result.fieldIndex(m_bound.searchColumn()) : -1;

    QList<QVariantList> added;
    for (int i = m_rowsRead; i < result.rowCount(); ++i) {
        if (searched >= 0 && !m_bound.accepts(result.value(i, searched).toString()))
            continue;
        if (m_maxRecords > 0 && m_rows.size() + added.size() >= m_maxRecords)
            break;
        added << result.row(i);
    }
    m_rowsRead = result.rowCount();
    m_databaseHasMore = result.hasMore();
    return added;
}

int RecordSourceModel::fieldIndex(const QString &name) const
{
    return int(m_fieldNames.indexOf(name.toUpper()));
}

QVariant RecordSourceModel::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows.at(row).size())
        return QVariant();
    return m_rows.at(row).at(column);
}

QVariant RecordSourceModel::value(int row, const QString &field) const
{
    return value(row, fieldIndex(field));
}

int RecordSourceModel::findRow(int column, const QString &text) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (value(row, column).toString() == text)
            return row;
    }
    return -1;
}

int RecordSourceModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordSourceModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fieldNames.size());
}

QVariant RecordSourceModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const QVariant cell = value(index.row(), index.column());
    return role == Qt::DisplayRole ? QVariant(cell.toString()) : cell;
}

QVariant RecordSourceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < m_captions.size())
        return m_captions.at(section);
    return m_fieldNames.value(section);
}

bool RecordSourceModel::canFetchMore(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_loaded || !m_databaseHasMore)
        return false;
    return m_maxRecords <= 0 || m_rows.size() < m_maxRecords;
}

void RecordSourceModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    try {
        const QList<QVariantList> added = readUpTo(m_rowsRead + m_pageSize);
        if (added.isEmpty())
            return;
        beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + added.size()) - 1);
        m_rows += added;
        endInsertRows();
    } catch (const DataAccessError &) {
        // Already reported through the table object's Error signal; a view
        // asking for more rows is no place for an exception.
        m_databaseHasMore = false;
    }
}
