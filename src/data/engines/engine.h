#pragma once

#include "data/databaselocation.h"
#include "data/dataaccesserror.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <memory>

namespace Torva {

class PreparedStatement;
class RowLockSession;

// What differs between the databases: how a connection is opened and made
// ready for the statements, how the tables are created, how row locks are
// kept and how the database's errors read.
class Engine
{
public:
    explicit Engine(const DatabaseLocation &location);
    virtual ~Engine();

    const DatabaseLocation &location() const { return m_location; }

    // Opens a new connection under the Qt connection name given, ready for the
    // statements. With create set, a missing embedded database is created.
    // Throws DataAccessError(ConnectionFailed) naming the location.
    virtual QSqlDatabase open(const QString &connectionName, bool create) = 0;
    // Creates whatever tables, indexes and functions are missing; never drops or alters.
    virtual void createSchema(QSqlDatabase &database) = 0;
    // The row locks of one table object: a trailing "For Update of" clause
    // comes off the statement, and the session locks the rows it read.
    virtual std::unique_ptr<RowLockSession> newLockSession() = 0;
    // The statement that opens a transaction.
    virtual QString beginStatement() const { return QStringLiteral("BEGIN"); }
    // Begins a transaction on the connection, or ends it (committing or
    // rolling back): the database's error, or none.
    virtual QSqlError beginTransaction(QSqlDatabase &database) { return runOwn(database, beginStatement()); }
    virtual QSqlError endTransaction(QSqlDatabase &database, bool commit)
    {
        return runOwn(database, commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
    }
    // The statement as this database must be given it, for what it reads
    // otherwise than the others do.
    virtual QString translated(const QString &statement) const { return statement; }
    // The form of a statement that reads one page of its rows (see
    // PreparedStatement::setPageForm), or an empty text.
    virtual QString pageForm(const QString &) const { return QString(); }
    // A statement for this connection, not yet prepared.
    virtual std::unique_ptr<PreparedStatement> newStatement(const QSqlDatabase &database) = 0;

    // Runs a statement of the data layer's own (a setting, a transaction's
    // begin or end), unprepared: the database's error, or none.
    virtual QSqlError runOwn(QSqlDatabase &database, const QString &statement) const;

    // Whether a transaction's writes can be sent without waiting for their
    // answers (a server), and the wait for every answer still due: the first
    // failure, with its position among the writes in failedAt (-1 when the
    // connection itself failed).
    virtual bool queuesWrites() const { return false; }
    virtual QSqlError settleQueued(QSqlDatabase &, int *failedAt)
    {
        *failedAt = -1;
        return QSqlError();
    }

    // The error of a failed statement, in our terms.
    DataAccessError error(const QSqlError &error, const QString &statement) const;
    // Whether the connection that reported this error is no longer usable.
    virtual bool isConnectionLost(const QSqlError &error) const;
    // Whether a connection is still there, asked without a round trip to the
    // server (a server that restarted has closed it).
    virtual bool isAlive(const QSqlDatabase &) const { return true; }
    // Whether the files the connection opened are still the database's (an
    // embedded database's folder restored from a backup while the host
    // runs has other files under the same names).
    virtual bool filesReplaced() const { return false; }
    // Whether a text can be stored as it is (PostgreSQL takes no NUL character).
    // Half of a UTF-16 pair (a lone surrogate) is no text: no database can
    // store it, and Qt would write "?" for it. For such a text this throws
    // DataAccessError(BadParameters) naming it, on every engine.
    virtual bool storesText(const QString &text) const;

protected:
    virtual int classify(const QSqlError &error) const;
    // Runs a statement of our own (schema, settings); throws on failure.
    void run(QSqlDatabase &database, const QString &statement) const;
    [[noreturn]] void connectionFailed(const QString &why) const;

private:
    DatabaseLocation m_location;
};

} // namespace Torva
