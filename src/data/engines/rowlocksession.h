#pragma once

#include "data/lockholder.h"
#include "data/lockkey.h"

#include <QString>

#include <optional>

namespace Torva {

class Engine;

// The row locks of one table object. A lock taken through one session blocks
// every other session, in this process or another, until it is released or
// the session ends; a process that dies loses its locks at once.
class RowLockSession
{
public:
    virtual ~RowLockSession();

    // True when the lock is now held by this session; false when another holds it.
    // Throws DataAccessError(LockFailed) when the lock cannot be taken or checked.
    virtual bool tryLock(const LockKey &key) = 0;
    virtual void unlock(const LockKey &key) = 0;
    // Who holds the lock, when another session holds it.
    virtual std::optional<LockHolder> holder(const LockKey &key) = 0;
    // Whether the session still has what holds its locks (a server that
    // restarted has ended it, and its locks with it).
    virtual bool isAlive() const { return true; }
    // Whether a key no row on file has yet can be held (for a row about to
    // be inserted): our own locks can; a database's own lock needs the row.
    virtual bool holdsKeysWithoutRows() const { return true; }

protected:
    // The holder this process writes down for its own locks.
    static LockHolder ownHolder();
    // Opens the session's own connection under the name given; throws
    // DataAccessError(LockFailed) saying why it cannot.
    static void openConnection(Engine &engine, const QString &connectionName);
};

} // namespace Torva
