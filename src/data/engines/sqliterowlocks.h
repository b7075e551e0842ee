#pragma once

#include "rowlocksession.h"

#include <QSet>
#include <QString>

namespace Torva {

// Row locks of the embedded database: Linux open-file-description locks, one
// byte per row at the row's lock number in the folder's lock file. Every
// session opens the file itself, so two sessions of one process block each
// other as two processes do, and the kernel drops a dead process's locks.
// Beside each lock a small holder file says who holds it.
class SqliteRowLocks : public RowLockSession
{
public:
    explicit SqliteRowLocks(const QString &folder);
    ~SqliteRowLocks() override;

    bool tryLock(const LockKey &key) override;
    void unlock(const LockKey &key) override;
    std::optional<LockHolder> holder(const LockKey &key) override;

private:
    QString holderFile(qint64 number) const;
    void writeHolder(const LockKey &key) const;

    QString m_folder;  // <database folder>/locks
    int m_fd = -1;
    QSet<qint64> m_held;
};

} // namespace Torva
