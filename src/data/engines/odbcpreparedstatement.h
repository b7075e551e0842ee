#pragma once

#include "preparedstatement.h"

#include <QSqlDatabase>

#include <deque>
#include <memory>

namespace Torva {

// A statement run through the ODBC driver manager directly, on the
// connection Qt's driver opened: its errors carry the database's SQLSTATE
// (which Qt's driver does not hand on), the statement deadline is the
// driver's query timeout, a select asked for some rows asks the driver for
// no more, and texts are read exactly as the database holds them.
class OdbcPreparedStatement : public PreparedStatement
{
public:
    // The connection handle (SQLHDBC) under an open Qt ODBC connection.
    explicit OdbcPreparedStatement(void *connection);
    ~OdbcPreparedStatement() override;
    OdbcPreparedStatement(const OdbcPreparedStatement &) = delete;
    OdbcPreparedStatement &operator=(const OdbcPreparedStatement &) = delete;

    bool prepare(const QString &statement, bool keep) override;
    // The page form runs as a statement of its own, each "&ROWS" a marker
    // for the rows wanted.
    void setPageForm(const QString &statement) override;
    bool run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore) override;
    bool isSelect() const override { return m_isSelect; }
    int rowsAffected() const override { return m_rowsAffected; }
    QSqlError lastError() const override { return m_error; }

    // Has the database describe the statement's result, which a driver
    // that prepares lazily does only when asked.
    bool describe() override;

    // The SQLHDBC of an open Qt ODBC connection, or nullptr.
    static void *handleOf(const QSqlDatabase &database);
    // The database's name for itself ("PostgreSQL", "DB2/400 SQL").
    static QString databaseName(void *connection);
    // Whether the driver knows the connection to be gone.
    static bool isDead(void *connection);
    // Turns the connection's automatic commit off (a transaction begins)
    // or ends the transaction, committing or rolling back, and turns it on.
    static QSqlError beginTransaction(void *connection);
    static QSqlError endTransaction(void *connection, bool commit);

private:
    struct Bound;

    bool bind(const QVariantList &values);
    bool readRows(QueryResult &rows, int maxRows, bool noteMore);
    QVariant readValue(int column, short type);
    void setLimits(int maxRows);
    // Records what the driver says about the failure of the statement
    // handle's last call; always false.
    bool fail(const QString &what);
    void closeCursor();

    void *m_connection;
    void *m_statement = nullptr;
    QString m_text;
    std::unique_ptr<OdbcPreparedStatement> m_page;  // the page form, prepared with the statement
    QList<bool> m_rowsMarkers;                      // which of the page form's markers are the rows wanted
    std::deque<Bound> m_bound;  // the values bound, where the driver reads them
    int m_deadlineGeneration = -1;
    qlonglong m_maxRows = 0;
    bool m_isSelect = false;
    int m_rowsAffected = -1;
    QSqlError m_error;
};

} // namespace Torva
