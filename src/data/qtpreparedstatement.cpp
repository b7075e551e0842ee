#include "qtpreparedstatement.h"

#include <QSqlRecord>

QtPreparedStatement::QtPreparedStatement(const QSqlDatabase &database)
    : m_query(database)
{
    m_query.setForwardOnly(true);
}

bool QtPreparedStatement::prepare(const QString &statement, bool)
{
    if (m_query.prepare(statement))
        return true;
    m_error = m_query.lastError();
    return false;
}

bool QtPreparedStatement::run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore)
{
    m_error = QSqlError();
    m_isSelect = false;
    m_rowsAffected = -1;
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(int(i), values.at(i));
    if (!m_query.exec()) {
        m_error = m_query.lastError();
        m_query.finish();
        return false;
    }
    m_isSelect = m_query.isSelect();
    if (!m_isSelect) {
        m_rowsAffected = m_query.numRowsAffected();
        m_query.finish();
        return true;
    }

    const QSqlRecord record = m_query.record();
    const int columns = record.count();
    QStringList fieldNames;
    for (int i = 0; i < columns; ++i)
        fieldNames << record.fieldName(i).toUpper();
    rows = QueryResult(fieldNames);
    int read = 0;
    while ((maxRows < 0 || read < maxRows) && m_query.next()) {
        for (int i = 0; i < columns; ++i)
            rows.append(wholeNumberAsInteger(m_query.value(i)));
        ++read;
    }
    if (noteMore && maxRows >= 0 && read == maxRows)
        rows.setHasMore(m_query.next());
    m_error = m_query.lastError();
    m_query.finish();
    return m_error.type() == QSqlError::NoError;
}
