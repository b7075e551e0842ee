#include "rowlocksession.h"

#include "database.h"

#include <QCoreApplication>
#include <QSysInfo>

RowLockSession::~RowLockSession() = default;

LockHolder RowLockSession::ownHolder()
{
    LockHolder holder;
    holder.userName = Database::userName();
    holder.machine = QSysInfo::machineHostName();
    holder.processId = QCoreApplication::applicationPid();
    holder.since = QDateTime::currentDateTimeUtc();
    return holder;
}
