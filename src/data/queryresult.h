#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QList>
#include <QStringList>
#include <QVariant>

#include <algorithm>

namespace Torva {

/// Rows read by TableObject::Fetch: the field names in select order (upper
/// case, as DB2 names unquoted columns) and the values of each row. The values
/// are kept row after row in one list, so that a result of many short rows
/// costs one allocation for all of them rather than one per row.
class TORVA_EXPORT QueryResult
{
public:
    QueryResult() = default;
    explicit QueryResult(const QStringList &fieldNames)
        : m_fieldNames(fieldNames)
    {
    }

    const QStringList &fieldNames() const { return m_fieldNames; }
    /// The position of a field (any letter case), or -1.
    int fieldIndex(const QString &name) const { return int(m_fieldNames.indexOf(name.toUpper())); }
    int columnCount() const { return int(m_fieldNames.size()); }

    int rowCount() const { return m_fieldNames.isEmpty() ? 0 : int(m_values.size() / m_fieldNames.size()); }
    bool isEmpty() const { return m_values.isEmpty(); }
    const QVariant &value(int row, int column) const { return m_values.at(qsizetype(row) * columnCount() + column); }
    /// A copy of one row's values, in select order.
    QVariantList row(int row) const { return m_values.mid(qsizetype(row) * columnCount(), columnCount()); }
    /// Every value, row after row.
    const QVariantList &values() const { return m_values; }
    /// The same result cut to its first rows (their texts shared, not copied).
    QueryResult head(int rows) const
    {
        if (rows >= rowCount())
            return *this;
        QueryResult cut(m_fieldNames);
        cut.m_values = m_values.first(std::min(m_values.size(), qsizetype(rows) * columnCount()));
        cut.m_hasMore = true;
        return cut;
    }
    /// Every row as a list of its own (copies), for callers that walk rows.
    QList<QVariantList> toRows() const
    {
        QList<QVariantList> rows;
        rows.reserve(rowCount());
        for (int i = 0; i < rowCount(); ++i)
            rows << row(i);
        return rows;
    }

    /// The statement had rows beyond the ones read.
    bool hasMore() const { return m_hasMore; }

    /// For the statements that read a result: room for rows, then each row's
    /// values in select order, value after value.
    void reserveRows(int rows) { m_values.reserve(qsizetype(rows) * columnCount()); }
    void append(QVariant &&value) { m_values.append(std::move(value)); }
    void setHasMore(bool more) { m_hasMore = more; }

private:
    QStringList m_fieldNames;
    QVariantList m_values;
    bool m_hasMore = false;
};

} // namespace Torva
