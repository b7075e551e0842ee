#pragma once

#include "data/queryresult.h"

#include <QByteArray>
#include <QSqlError>
#include <QVariantList>

#include <chrono>
#include <memory>
#include <vector>
#include <optional>

class QDeadlineTimer;
class QSqlDatabase;
struct pg_conn;
struct pg_result;

namespace Torva {

// One request to a PostgreSQL server and its whole answer, straight through
// libpq on a connection in non-blocking mode, waited for no longer than
// given. A server that has not answered by then is taken for gone (frozen,
// or cut off by the network): the connection is shut, so that nothing more
// is sent on it and the server, once it runs again, ends the statement and
// rolls back its transaction; the caller opens a new one.
class PostgresCall
{
public:
    struct ResultDeleter
    {
        void operator()(pg_result *result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;

    // wait: how long to wait for each answer (none: as long as it takes).
    PostgresCall(pg_conn *connection, std::optional<std::chrono::milliseconds> wait);

    // Each returns the answer, or null with error() saying why.
    Result prepare(const QByteArray &name, const QByteArray &text);
    Result execute(const QByteArray &name, const QVariantList &values);
    // An unnamed statement sent with its values in one request.
    Result run(const QByteArray &text, const QVariantList &values = {});

    QSqlError error() const { return m_error; }

    // Pipelined commands: each is sent without waiting for its answer (kept
    // in libpq's buffer until it fills); settle() sends what is left and
    // reads every answer. exec[i] says
    // whether the ith command sent was a statement run (else a preparation).
    // False with error() when the connection failed, or when settle() found
    // a command that failed: then failedRun is the position of that run
    // among the runs (of the run after it, for a preparation), or -1.
    bool sendPrepare(const QByteArray &name, const QByteArray &text);
    bool sendExecute(const QByteArray &name, const QVariantList &values);
    // With answers given, the answer to each run is kept there, in order.
    bool settle(const QList<bool> &exec, int *failedRun, std::vector<Result> *answers = nullptr);

    // The rows of an answer (at most maxRows when maxRows >= 0), each value
    // as the others engines give it: whole numbers as integers, texts as
    // the server sent them, a byte order mark included.
    static QueryResult rowsOf(const pg_result *result, int maxRows = -1);
    // The libpq connection under a connection of Qt's PostgreSQL driver.
    static pg_conn *handleOf(const QSqlDatabase &database);
    // The statement text with its "?" markers numbered as PostgreSQL's
    // "$1", "$2"... (markers in quotes or comments left alone).
    static QByteArray numberedMarkers(const QString &statement, int *markers = nullptr);

private:
    Result finish(bool sent);
    bool flush(const QDeadlineTimer &deadline);
    // The answers to one command, up to its end; null when the wait failed.
    bool commandAnswered(const QDeadlineTimer &deadline, Result *first);
    bool waitFor(short events, const QDeadlineTimer &deadline);
    Result failed(QSqlError::ErrorType type, const QString &text, const QString &code = QString());
    Result gone(const QString &why);

    pg_conn *m_connection;
    std::optional<std::chrono::milliseconds> m_wait;
    QSqlError m_error;
};

} // namespace Torva
