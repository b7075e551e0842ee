#pragma once

#include "connectionuse.h"
#include "databaselocation.h"
#include "data/engines/engine.h"
#include "data/engines/preparedstatement.h"

#include <QElapsedTimer>
#include <QHash>

#include <memory>

namespace Torva {

// The open connection that table objects share, with its engine and the
// statements prepared on it so far.
class Connection
{
public:
    // Opens the database; with create set a missing embedded database is made.
    // Throws DataAccessError naming the location.
    Connection(const DatabaseLocation &location, bool create);
    ~Connection();

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    Engine &engine() { return *m_engine; }
    const DatabaseLocation &location() const { return m_engine->location(); }
    QSqlDatabase database() const;

    // A statement prepared with this text, reused while the text is asked for
    // again when keep is set. Throws DataAccessError when the database refuses it.
    PreparedStatement &prepared(const QString &statement, bool keep);

    // The error in our terms; a connection that is lost is marked broken so
    // that the next use opens a new one.
    DataAccessError error(const QSqlError &error, const QString &statement);

    // Whether the connection can take the next statement: not lost, still
    // there, and still on the database's files (not ones replaced under it);
    // inside a transaction it is kept whatever happened to it, so that the
    // transaction's own statements fail rather than go on elsewhere without it.
    bool isUsable(ConnectionUse use);
    // After a write outside a transaction: throws DataAccessError, the
    // connection given up, when the files were replaced meanwhile, so that
    // no write is reported that is not in the files the database has now.
    void confirmWritten(const QString &statement);

    // A write sent without waiting for its answer (TableObject::QueueWrite),
    // noted so that a failure found later names it.
    void noteQueued(const QString &statement) { m_queued << statement; }
    // Waits for the answers of the writes queued so far; throws
    // DataAccessError naming the first that failed.
    void settleQueued();

    // Runs a statement of the data layer's own, unprepared.
    void run(const QString &statement);
    // One transaction around several statements.
    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }

private:
    DataAccessError filesReplacedError(const QString &statement) const;
    // Throws the error of a failed statement of the data layer's own.
    void check(const QSqlError &failure, const QString &statement);
    void forgetStatements();

public:
    void createSchema();

private:
    QString m_name;
    std::unique_ptr<Engine> m_engine;
    // Held here, not looked up by name: at exit Qt may drop its list of
    // connections first, and the statements must be finalized before the
    // database is closed.
    QSqlDatabase m_database;
    QHash<QString, std::shared_ptr<PreparedStatement>> m_statements;
    QString m_lastText;  // the kept statement asked for last, and it
    std::shared_ptr<PreparedStatement> m_lastPrepared;
    std::unique_ptr<PreparedStatement> m_oneOff;
    bool m_broken = false;
    bool m_inTransaction = false;
    QStringList m_queued;  // writes sent whose answers are still due
    QElapsedTimer m_sinceFilesAsked;
};

} // namespace Torva
