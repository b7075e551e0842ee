#pragma once

#include "preparedstatement.h"

#include <QSqlDatabase>
#include <QSqlQuery>

// A statement run through the connection's Qt SQL driver (ODBC).
class QtPreparedStatement : public PreparedStatement
{
public:
    explicit QtPreparedStatement(const QSqlDatabase &database);

    bool prepare(const QString &statement, bool keep) override;
    bool run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore) override;
    bool isSelect() const override { return m_isSelect; }
    int rowsAffected() const override { return m_rowsAffected; }
    QSqlError lastError() const override { return m_error; }

private:
    QSqlQuery m_query;
    bool m_isSelect = false;
    int m_rowsAffected = -1;
    QSqlError m_error;
};
