#pragma once

#include <QList>
#include <QStringList>
#include <QVariant>

// Rows read by TableObject::Fetch: the field names in select order (upper
// case, as DB2 names unquoted columns) and the values of each row.
struct QueryResult
{
    QStringList fieldNames;
    QList<QVariantList> rows;
    bool hasMore = false;  // the statement had rows beyond the ones read

    int fieldIndex(const QString &name) const { return int(fieldNames.indexOf(name.toUpper())); }
};
