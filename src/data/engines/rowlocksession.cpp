#include "rowlocksession.h"

#include "data/database.h"
#include "engine.h"

#include <QCoreApplication>
#include <QSysInfo>

namespace Torva {

RowLockSession::~RowLockSession() = default;

void RowLockSession::openConnection(Engine &engine, const QString &connectionName)
{
    try {
        engine.open(connectionName, false);
    } catch (const DataAccessError &error) {
        QSqlDatabase::removeDatabase(connectionName);
        throw DataAccessError(DataAccessError::LockFailed,
                              QStringLiteral("cannot open a connection for row locks: ") + error.description());
    }
}

LockHolder RowLockSession::ownHolder()
{
    LockHolder holder;
    holder.userName = Database::userName();
    holder.machine = QSysInfo::machineHostName();
    holder.processId = QCoreApplication::applicationPid();
    holder.since = QDateTime::currentDateTimeUtc();
    return holder;
}

} // namespace Torva
