#include "faultinjector.h"

#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/engines/odbcpreparedstatement.h"
#include "data/tableobject.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QThread>

#include <csignal>

#include <libpq-fe.h>

namespace Torva {

namespace {

// The backend process of the shared connection.
qint64 sharedBackend()
{
    if (Database::connection().location().engine() == DatabaseLocation::Engine::Odbc) {
        // Through ODBC nothing is on its way unanswered: the server is asked.
        OdbcPreparedStatement asked(OdbcPreparedStatement::handleOf(Database::connection().database()));
        QueryResult backend;
        if (!asked.prepare(QStringLiteral("Select pg_backend_pid()"), false) || !asked.run({}, backend, -1, false)
            || backend.isEmpty())
            throw DataAccessError(DataAccessError::StatementFailed, QStringLiteral("cannot read the backend id"));
        return backend.value(0, 0).toLongLong();
    }
    // Asked of libpq, not the server: the connection may have writes on
    // their way whose answers are still due.
    const QVariant handle = Database::connection().database().driver()->handle();
    const int backend = PQbackendPID(*static_cast<PGconn *const *>(handle.constData()));
    if (backend <= 0)
        throw DataAccessError(DataAccessError::StatementFailed, QStringLiteral("cannot read the backend id"));
    return backend;
}

// Waits (a while) until the server has ended the backend.
void waitUntilGone(qint64 backend)
{
    // Until then its transaction may still hold rows a retry would wait for.
    Connection other(Database::location(), false);
    QSqlQuery query(other.database());
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        query.exec(QStringLiteral("Select count(*) From pg_stat_activity Where pid=%1").arg(backend));
        if (query.next() && query.value(0).toInt() == 0)
            break;
        QThread::msleep(10);
    }
}

} // namespace

FaultInjector::FaultInjector()
{
    TableObject::setBeforeExecuteHook([this](const QString &statement, const QVariantList &) {
        m_seen << statement;
        if (!m_fired && m_seen.size() == m_failAt)
            fire(statement);
    });
}

FaultInjector::~FaultInjector()
{
    TableObject::setBeforeExecuteHook({});
    if (m_stopped > 0) {
        ::kill(pid_t(m_stopped), SIGCONT);
        waitUntilGone(m_stopped);
    }
}

void FaultInjector::failStatement(int n, Fault fault)
{
    m_seen.clear();
    m_failAt = n;
    m_fault = fault;
    m_fired = false;
}

void FaultInjector::fire(const QString &statement)
{
    m_fired = true;
    if (m_fault == Fault::StatementFails)
        throw DataAccessError(DataAccessError::StatementFailed, QStringLiteral("injected failure"), statement);
    if (Database::connection().location().engine() != DatabaseLocation::Engine::Sqlite) {
        const qint64 backend = sharedBackend();
        if (m_fault == Fault::ServerStopsAnswering) {
            if (::kill(pid_t(backend), SIGSTOP) != 0)
                throw DataAccessError(DataAccessError::StatementFailed,
                                      QStringLiteral("cannot stop the backend (is the server on this machine?)"));
            m_stopped = backend;
            return;
        }
        // The statement itself then meets the dead connection: another
        // user's connection ends it.
        Connection other(Database::location(), false);
        QSqlQuery(other.database()).exec(QStringLiteral("Select pg_terminate_backend(%1)").arg(backend));
        waitUntilGone(backend);
        return;
    }
    throw DataAccessError(DataAccessError::ConnectionFailed,
                          QStringLiteral("the connection to the database was lost (injected)"), statement);
}

} // namespace Torva
