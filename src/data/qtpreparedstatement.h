#pragma once

#include "preparedstatement.h"

#include <QSqlDatabase>
#include <QSqlQuery>

class QSqlRecord;

// A statement run through the connection's Qt SQL driver (ODBC; PostgreSQL
// through a subclass that reads some values as the server sent them).
class QtPreparedStatement : public PreparedStatement
{
public:
    explicit QtPreparedStatement(const QSqlDatabase &database);

    bool prepare(const QString &statement, bool keep) override;
    bool run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore) override;
    bool isSelect() const override { return m_isSelect; }
    int rowsAffected() const override { return m_rowsAffected; }
    QSqlError lastError() const override { return m_error; }

protected:
    // The columns of a select's result, before its rows are read.
    virtual void columnsKnown(const QSqlRecord &) {}
    // A column's value in the row the query stands on.
    virtual QVariant columnValue(int column) { return m_query.value(column); }
    const QSqlQuery &query() const { return m_query; }

private:
    QSqlQuery m_query;
    bool m_isSelect = false;
    int m_rowsAffected = -1;
    QSqlError m_error;
};
