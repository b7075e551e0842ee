#include "faultinjector.h"

#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/tableobject.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

FaultInjector::FaultInjector()
{
    TableObject::setBeforeExecuteHook([this](const QString &statement, const QVariantList &) { before(statement); });
}

FaultInjector::~FaultInjector()
{
    TableObject::setBeforeExecuteHook({});
}

void FaultInjector::failStatement(int n, Fault fault)
{
    m_seen.clear();
    m_failAt = n;
    m_fault = fault;
    m_fired = false;
}

void FaultInjector::before(const QString &statement)
{
    m_seen << statement;
    if (m_fired)
        return;
    if (m_failAt > 0 && m_seen.size() == m_failAt)
        fire(statement);
}

void FaultInjector::fire(const QString &statement)
{
    m_fired = true;
    if (m_fault == Fault::StatementFails)
        throw DataAccessError(DataAccessError::StatementFailed, QStringLiteral("injected failure"), statement);
    if (Database::connection().location().engine() == DatabaseLocation::Engine::Postgres) {
        // The statement itself then meets the dead connection.
        terminateSharedBackend();
        return;
    }
    throw DataAccessError(DataAccessError::ConnectionFailed,
                          QStringLiteral("the connection to the database was lost (injected)"), statement);
}

void FaultInjector::terminateSharedBackend()
{
    QSqlQuery own(Database::connection().database());
    if (!own.exec(QStringLiteral("Select pg_backend_pid()")) || !own.next())
        throw DataAccessError(DataAccessError::StatementFailed, QStringLiteral("cannot read the backend id"));
    const qint64 pid = own.value(0).toLongLong();
    own.finish();

    // Another user's connection ends ours, and waits until the server has let it go.
    Connection other(Database::connection().location(), false);
    QSqlQuery query(other.database());
    query.exec(QStringLiteral("Select pg_terminate_backend(%1)").arg(pid));
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        query.exec(QStringLiteral("Select count(*) From pg_stat_activity Where pid=%1").arg(pid));
        if (query.next() && query.value(0).toInt() == 0)
            break;
        QThread::msleep(10);
    }
}
