#pragma once

#include "engine.h"
#include "data/queryresult.h"
#include "data/schema.h"

struct pg_conn;

namespace Torva {

// A PostgreSQL server for agencies with many users. The libraries are schemas
// (duvprb, duvcrt), the DB2 functions come from our schema script, and row
// locks are session advisory locks, recorded in torva.lock_holders.
class PostgresEngine : public Engine
{
public:
    using Engine::Engine;

    QSqlDatabase open(const QString &connectionName, bool create) override;
    void createSchema(QSqlDatabase &database) override;
    std::unique_ptr<RowLockSession> newLockSession() override;
    std::unique_ptr<PreparedStatement> newStatement(const QSqlDatabase &database) override;
    QString pageForm(const QString &statement) const override;
    // The same for any connection to a PostgreSQL server.
    static QString pageFormOf(const QString &statement);
    QSqlError runOwn(QSqlDatabase &database, const QString &statement) const override;
    bool queuesWrites() const override { return true; }
    QSqlError settleQueued(QSqlDatabase &database, int *failedAt) override;
    bool isConnectionLost(const QSqlError &error) const override;
    bool isAlive(const QSqlDatabase &database) const override;
    bool storesText(const QString &text) const override;
    // A bound Like pattern gets "Escape ''": PostgreSQL alone takes a
    // backslash in a pattern for an escape, the others search it as text.
    QString translated(const QString &statement) const override;
    // The same for any connection to a PostgreSQL server.
    static QString withoutLikeEscape(const QString &statement);

    // Tells the server of a connection the statement deadline, unless it
    // knows it already or a transaction is open; false with the error when
    // it cannot be told.
    static bool applyDeadline(pg_conn *connection, QSqlError *error);

protected:
    int classify(const QSqlError &error) const override;

private:
    QueryResult rows(QSqlDatabase &database, const QString &statement, const QVariantList &values) const;
    void upgradeOrderedColumns(QSqlDatabase &database, const Schema::Table &table) const;

    bool m_unbounded = false;  // while the schema is made: no deadline
};

} // namespace Torva
