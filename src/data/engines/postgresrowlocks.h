#pragma once

#include "data/databaselocation.h"
#include "data/queryresult.h"
#include "rowlocksession.h"

#include <QSqlDatabase>

#include <memory>

namespace Torva {

class Engine;

// Row locks on PostgreSQL: session advisory locks keyed by the row's lock
// number, taken on a connection of the session's own (a lock taken twice on
// one connection would not block), with the holder written to
// torva.lock_holders. Connections of ended sessions are kept for the next.
// The connection is opened by the engine given, directly or through an ODBC
// data source: the same locks either way.
class PostgresRowLocks : public RowLockSession
{
public:
    // engine: one of the session's own, of the kind that serves the database.
    explicit PostgresRowLocks(std::unique_ptr<Engine> engine);
    ~PostgresRowLocks() override;

    bool tryLock(const LockKey &key) override;
    void unlock(const LockKey &key) override;
    std::optional<LockHolder> holder(const LockKey &key) override;
    bool isAlive() const override;

    static QString createHolderTable();
    // Closes the kept connections (when the database is closed or changed).
    static void closeIdleConnections();

private:
    // Runs a statement on the session's connection; throws DataAccessError(LockFailed).
    QueryResult run(const QString &statement, const QVariantList &values);

    std::unique_ptr<Engine> m_engine;
    QString m_connectionName;
    bool m_lockedAny = false;
};

} // namespace Torva
