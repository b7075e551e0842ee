#pragma once

#include "data/databaselocation.h"
#include "rowlocksession.h"

#include <QList>
#include <QString>

#include <memory>

namespace Torva {

class Engine;

// Row locks that the database keeps itself (DB2 for i): each row is read
// "For Update" on a connection of the session's own, in a transaction that
// stays open while the session holds any row, so that the database's own
// lock stands against every other job until the session lets go. A row
// held by another job is refused once the database's lock wait for it runs
// out (on DB2 for i the file's record wait, bounded by the statement
// deadline). Nothing is written on the session's connection: letting go is
// a rollback. A row let go while others are still held stays locked until
// the last one goes, as the database releases row locks only with the
// transaction; more stays locked for a while, never less.
class TransactionRowLocks : public RowLockSession
{
public:
    // engine: one of the session's own, of the kind that serves the database.
    explicit TransactionRowLocks(std::unique_ptr<Engine> engine);
    ~TransactionRowLocks() override;

    bool tryLock(const LockKey &key) override;
    void unlock(const LockKey &key) override;
    // The database does not say who holds a row.
    std::optional<LockHolder> holder(const LockKey &) override { return std::nullopt; }
    bool isAlive() const override;
    bool holdsKeysWithoutRows() const override { return false; }

    // The statement that reads a row of the table for update, by its key.
    static QString lockStatement(const QString &table);

private:
    void endTransaction();

    std::unique_ptr<Engine> m_engine;
    QString m_connectionName;
    QList<LockKey> m_held;
    bool m_inTransaction = false;
};

} // namespace Torva
