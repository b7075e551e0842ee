#include "postgresrowlocks.h"

#include "engine.h"
#include "preparedstatement.h"

#include <QHash>

namespace Torva {

namespace {
constexpr int KeptConnections = 4;

QHash<QString, QStringList> &idleConnections()
{
    static QHash<QString, QStringList> idle;
    return idle;
}

void dropConnection(const QString &name)
{
    {
        QSqlDatabase database = QSqlDatabase::database(name, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
}
} // namespace

PostgresRowLocks::PostgresRowLocks(std::unique_ptr<Engine> engine)
    : m_engine(std::move(engine))
{
    const DatabaseLocation &location = m_engine->location();
    // A kept connection the server has ended meanwhile (a restart) is not
    // handed out again: it goes, and the next one is tried.
    QStringList &idle = idleConnections()[location.toDisplayString()];
    while (!idle.isEmpty()) {
        m_connectionName = idle.takeLast();
        if (isAlive())
            return;
        dropConnection(m_connectionName);
    }
    static int counter = 0;
    m_connectionName = QStringLiteral("torva-rowlocks-%1").arg(++counter);
    openConnection(*m_engine, m_connectionName);
}

bool PostgresRowLocks::isAlive() const
{
    return m_engine->isAlive(QSqlDatabase::database(m_connectionName, false));
}

PostgresRowLocks::~PostgresRowLocks()
{
    bool reusable = isAlive();
    if (reusable && m_lockedAny) {
        try {
            run(QStringLiteral("DELETE FROM torva.lock_holders WHERE backend_pid = pg_backend_pid()"), {});
            run(QStringLiteral("SELECT pg_advisory_unlock_all()"), {});
        } catch (const DataAccessError &) {
            reusable = false;  // the connection goes, and its locks with it
        }
    }
    QStringList &idle = idleConnections()[m_engine->location().toDisplayString()];
    if (reusable && idle.size() < KeptConnections)
        idle << m_connectionName;
    else
        dropConnection(m_connectionName);
}

QueryResult PostgresRowLocks::run(const QString &statement, const QVariantList &values)
{
    const std::unique_ptr<PreparedStatement> prepared =
        m_engine->newStatement(QSqlDatabase::database(m_connectionName, false));
    QueryResult rows;
    if (!prepared->prepare(statement, false) || !prepared->run(values, rows, -1, false)) {
        throw DataAccessError(DataAccessError::LockFailed,
                              QStringLiteral("the row lock failed at %1: %2")
                                  .arg(m_engine->location().toDisplayString(), prepared->lastError().databaseText().trimmed()),
                              statement, prepared->lastError().nativeErrorCode());
    }
    return rows;
}

bool PostgresRowLocks::tryLock(const LockKey &key)
{
    const QueryResult taken = run(QStringLiteral("SELECT pg_try_advisory_lock(?)"), {key.number()});
    if (taken.isEmpty() || !taken.value(0, 0).toBool())
        return false;
    m_lockedAny = true;
    const LockHolder own = ownHolder();
    run(QStringLiteral("INSERT INTO torva.lock_holders (lock_key, table_name, row_key, user_name, machine, process_id,"
                       " since, backend_pid) VALUES (?, ?, ?, ?, ?, ?, now(), pg_backend_pid())"
                       " ON CONFLICT (lock_key) DO UPDATE SET table_name = excluded.table_name,"
                       " row_key = excluded.row_key, user_name = excluded.user_name, machine = excluded.machine,"
                       " process_id = excluded.process_id, since = excluded.since, backend_pid = excluded.backend_pid"),
        {key.number(), key.table(), key.rowKey(), own.userName, own.machine, own.processId});
    return true;
}

void PostgresRowLocks::unlock(const LockKey &key)
{
    run(QStringLiteral("DELETE FROM torva.lock_holders WHERE lock_key = ? AND backend_pid = pg_backend_pid()"),
        {key.number()});
    run(QStringLiteral("SELECT pg_advisory_unlock(?)"), {key.number()});
}

std::optional<LockHolder> PostgresRowLocks::holder(const LockKey &key)
{
    // Only a lock that is really held counts; a row left by a holder that died is stale.
    const QueryResult found = run(QStringLiteral("SELECT h.user_name, h.machine, h.process_id, h.since, l.pid IS NOT NULL"
                                         " FROM (SELECT ?::bigint AS lock_key) k"
                                         " LEFT JOIN torva.lock_holders h ON h.lock_key = k.lock_key"
                                         " LEFT JOIN pg_locks l ON l.locktype = 'advisory' AND l.granted"
                                         " AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database())"
                                         " AND ((l.classid::bigint << 32) | l.objid::bigint) = k.lock_key"
                                         " AND l.objsubid = 1"),
                          {key.number()});
    if (found.isEmpty() || !found.value(0, 4).toBool())
        return std::nullopt;
    LockHolder holder;
    holder.userName = found.value(0, 0).toString();
    holder.machine = found.value(0, 1).toString();
    holder.processId = found.value(0, 2).toLongLong();
    holder.since = found.value(0, 3).toDateTime();
    return holder;
}

QString PostgresRowLocks::createHolderTable()
{
    return QStringLiteral("CREATE UNLOGGED TABLE IF NOT EXISTS torva.lock_holders (lock_key bigint PRIMARY KEY,"
                          " table_name text, row_key text, user_name text, machine text, process_id bigint,"
                          " since timestamptz, backend_pid integer)");
}

void PostgresRowLocks::closeIdleConnections()
{
    for (const QStringList &names : std::as_const(idleConnections())) {
        for (const QString &name : names)
            dropConnection(name);
    }
    idleConnections().clear();
}

} // namespace Torva
