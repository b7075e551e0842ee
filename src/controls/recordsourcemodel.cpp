#include "recordsourcemodel.h"

#include "data/dataaccesserror.h"

namespace Torva {

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
        m_rows = readMore();
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

QList<QVariantList> RecordSourceModel::readMore()
{
    // Rows the database returns beyond the typed text (a wildcard typed as
    // text) are left out; when a whole page of them sorts before the next
    // row that belongs, reading goes on, in growing steps, until a page of
    // rows that belong is listed or the database has no more.
    QList<QVariantList> added;
    int step = m_pageSize;
    do {
        const QueryResult result = m_table.Fetch(m_bound.statement(), m_bound.parameters(), m_rowsRead + step);
        m_fieldNames = result.fieldNames();
        const int searched = m_bound.needsFiltering() ? result.fieldIndex(m_bound.searchColumn()) : -1;
        for (int i = m_rowsRead; i < result.rowCount(); ++i) {
            if (m_maxRecords > 0 && m_rows.size() + added.size() >= m_maxRecords)
                break;
            if (searched < 0 || m_bound.accepts(result.value(i, searched).toString()))
                added << result.row(i);
        }
        m_rowsRead = result.rowCount();
        m_databaseHasMore = result.hasMore();
        step = qMin(2 * step, 1 << 20);
    } while (added.size() < m_pageSize && m_databaseHasMore
             && (m_maxRecords <= 0 || m_rows.size() + added.size() < m_maxRecords));
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

void RecordSourceModel::setColumnDigits(const QString &field, int digits)
{
    m_digits.insert(field.toUpper(), digits);
}

QVariant RecordSourceModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const QVariant cell = value(index.row(), index.column());
    if (role != Qt::DisplayRole)
        return cell;
    const int digits = m_digits.value(m_fieldNames.value(index.column()));
    bool whole = false;
    const qlonglong number = cell.toLongLong(&whole);
    if (digits > 0 && whole && number >= 0)
        return QString::number(number).rightJustified(digits, QLatin1Char('0'));
    return cell.toString();
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
        const QList<QVariantList> added = readMore();
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

} // namespace Torva
