#pragma once

#include "preparedstatement.h"

#include <QByteArray>

struct pg_conn;

namespace Torva {

class PostgresCall;

// A statement run on the libpq connection directly, waited for no longer
// than the statement deadline: a kept one prepared once on the server, any
// other sent with its values in one request. The server plans a prepared
// statement once for all values where that costs nothing (a lookup by key),
// and for each run's values where they make the plan (a Like prefix and the
// name index). A select asked for some rows only asks the server for that many:
// in its page form when it has one, else with a limit added.
class PostgresPreparedStatement : public PreparedStatement
{
public:
    explicit PostgresPreparedStatement(pg_conn *connection);

    bool prepare(const QString &statement, bool keep) override;
    void setPageForm(const QString &statement) override;
    // Prepares the text as the server's unnamed statement, which the
    // server checks; kept statements are prepared on their first run.
    bool describe() override;
    bool run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore) override;
    // Sends the run into the connection's pipeline, its answer left for settle().
    bool queue(const QVariantList &values) override;
    bool runEach(const QList<QVariantList> &valueSets, QList<QueryResult> &results) override;
    // Waits for the answers to everything the connection's pipeline holds;
    // the first failure, with its position among the runs in failedRun.
    static QSqlError settle(pg_conn *connection, int *failedRun);
    bool isSelect() const override { return m_isSelect; }
    int rowsAffected() const override { return m_rowsAffected; }
    QSqlError lastError() const override { return m_error; }

    // Forgets what an earlier connection at the same address had prepared.
    static void connectionOpened(pg_conn *connection);

    // The marker that stands for the number of rows wanted in a page form.
    static constexpr char RowsMarker[] = "&ROWS";

private:
    // A name the server has for no statement yet.
    static QByteArray newName();
    // The server's name for the text; when the connection has none yet, a
    // new one whose preparation goes into the pipeline first (prepared set).
    // False with lastError() when it cannot be sent.
    bool sendPrepared(PostgresCall &call, QByteArray *name, bool *prepared);

    pg_conn *m_connection;
    bool m_keep = false;  // run again: prepared on the server once
    QByteArray m_text;
    QByteArray m_pageText;  // with the rows wanted as its last parameter; empty when it has none
    bool m_isSelect = false;
    int m_rowsAffected = -1;
    QSqlError m_error;
};

} // namespace Torva
