#pragma once

#include "preparedstatement.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace Torva {

// A statement run on the sqlite3 handle directly: values are bound and read
// by their storage class, the column names are taken once per preparation,
// and a kept statement is reset for its next run rather than prepared again.
class SqlitePreparedStatement : public PreparedStatement
{
public:
    explicit SqlitePreparedStatement(sqlite3 *handle);
    ~SqlitePreparedStatement() override;
    SqlitePreparedStatement(const SqlitePreparedStatement &) = delete;
    SqlitePreparedStatement &operator=(const SqlitePreparedStatement &) = delete;

    bool prepare(const QString &statement, bool keep) override;
    bool run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore) override;
    bool isSelect() const override { return m_isSelect; }
    int rowsAffected() const override { return m_rowsAffected; }
    QSqlError lastError() const override { return m_error; }

private:
    bool bind(int position, const QVariant &value);
    // The same cell in the last run's result, and the cell above in this one
    // (either may be missing): a text equal to one of them is shared.
    struct Neighbours
    {
        const QVariant *lastRun;
        const QVariant *above;
    };
    // The value of a column of the current row.
    QVariant column(int index, const Neighbours &neighbours) const;
    // Keeps a small result's values for the next run to share from.
    void remember(const QueryResult &rows);
    const QStringList &fieldNames();
    bool failed(int code, QSqlError::ErrorType type);
    // Ends a run: the statement lets go of its read snapshot and its values.
    void release();

    sqlite3 *m_handle;
    sqlite3_stmt *m_statement = nullptr;
    QStringList m_fieldNames;
    QVariantList m_lastValues;  // the last run's values, row after row, when few
    int m_lastColumns = 0;
    std::vector<QByteArray> m_texts;  // the bound texts in UTF-8, kept until the run ends
    bool m_isSelect = false;
    int m_rowsAffected = -1;
    int m_deadlineGeneration = -1;  // the deadline this statement last told the handle
    QSqlError m_error;
};

} // namespace Torva
