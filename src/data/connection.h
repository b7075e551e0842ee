#pragma once

#include "databaselocation.h"
#include "engine.h"
#include "preparedstatement.h"

#include <QHash>

#include <memory>

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
    bool isBroken() const { return m_broken; }

    // Runs a statement of the data layer's own, unprepared (COMMIT, ROLLBACK).
    void run(const QString &statement);
    void createSchema();

private:
    QString m_name;
    std::unique_ptr<Engine> m_engine;
    // Held here, not looked up by name: at exit Qt may drop its list of
    // connections first, and the statements must be finalized before the
    // database is closed.
    QSqlDatabase m_database;
    QHash<QString, std::shared_ptr<PreparedStatement>> m_statements;
    std::unique_ptr<PreparedStatement> m_oneOff;
    bool m_broken = false;
};
