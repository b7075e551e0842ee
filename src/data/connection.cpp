#include "connection.h"

#include "data/engines/odbcengine.h"
#include "data/engines/postgresengine.h"
#include "data/engines/sqliteengine.h"

#include <utility>

namespace Torva {

namespace {
constexpr int KeptStatements = 128;
// Statements this close together are taken for one call's.
constexpr qint64 BurstMs = 2;

// The engine that serves the database the location names.
std::unique_ptr<Engine> engineFor(const DatabaseLocation &location)
{
    switch (location.engine()) {
    case DatabaseLocation::Engine::Sqlite: return std::make_unique<SqliteEngine>(location);
    case DatabaseLocation::Engine::Postgres: return std::make_unique<PostgresEngine>(location);
    case DatabaseLocation::Engine::Odbc: return std::make_unique<OdbcEngine>(location);
    }
    return nullptr;
}
} // namespace

Connection::Connection(const DatabaseLocation &location, bool create)
    : m_engine(engineFor(location))
{
    static int counter = 0;
    m_name = QStringLiteral("torva-%1").arg(++counter);
    try {
        m_database = m_engine->open(m_name, create);
    } catch (...) {
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

Connection::~Connection()
{
    forgetStatements();
    m_oneOff.reset();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const
{
    return m_database;
}

PreparedStatement &Connection::prepared(const QString &statement, bool keep)
{
    if (keep) {
        // The text run last is known by where its characters are (held, so
        // they stay there), unhashed: a statement run again and again.
        if (m_lastPrepared && statement.constData() == m_lastText.constData() && statement.size() == m_lastText.size())
            return *m_lastPrepared;
        const auto found = m_statements.find(statement);
        if (found != m_statements.end()) {
            m_lastText = statement;
            m_lastPrepared = found.value();
            return *m_lastPrepared;
        }
        if (m_statements.size() >= KeptStatements)
            forgetStatements();
    }
    m_oneOff.reset();
    std::unique_ptr<PreparedStatement> prepared = m_engine->newStatement(database());
    if (const QString page = m_engine->pageForm(statement); !page.isEmpty())
        prepared->setPageForm(m_engine->translated(page));
    if (!prepared->prepare(m_engine->translated(statement), keep))
        throw error(prepared->lastError(), statement);
    if (!keep) {
        m_oneOff = std::move(prepared);
        return *m_oneOff;
    }
    m_lastText = statement;
    m_lastPrepared = m_statements.insert(statement, std::shared_ptr<PreparedStatement>(std::move(prepared))).value();
    return *m_lastPrepared;
}

void Connection::forgetStatements()
{
    m_statements.clear();
    m_lastPrepared.reset();
    m_lastText.clear();
}

DataAccessError Connection::error(const QSqlError &sqlError, const QString &statement)
{
    if (m_engine->isConnectionLost(sqlError))
        m_broken = true;
    return m_engine->error(sqlError, statement);
}

void Connection::createSchema()
{
    QSqlDatabase db = database();
    forgetStatements();
    m_engine->createSchema(db);
}

bool Connection::isUsable(ConnectionUse use)
{
    if (m_broken)
        return false;
    if (m_inTransaction)
        return true;
    if (!m_engine->isAlive(m_database))
        return false;
    // The files are asked about before every write, and before a read that
    // begins a burst: the statements of one call come microseconds apart,
    // and asking before each would cost a small read a third of its time.
    if (use == ConnectionUse::Reading && m_sinceFilesAsked.isValid() && !m_sinceFilesAsked.hasExpired(BurstMs))
        return true;
    m_sinceFilesAsked.start();
    return !m_engine->filesReplaced();
}

void Connection::confirmWritten(const QString &statement)
{
    if (m_inTransaction || !m_engine->filesReplaced())
        return;
    m_broken = true;
    throw filesReplacedError(statement);
}

DataAccessError Connection::filesReplacedError(const QString &statement) const
{
    return DataAccessError(DataAccessError::ConnectionFailed,
                           QStringLiteral("the database files at %1 were replaced while this was saved, so it is not "
                                          "in them; saved again, it goes into the files there now")
                               .arg(location().toDisplayString()),
                           statement);
}

void Connection::settleQueued()
{
    if (m_queued.isEmpty())
        return;
    const QStringList queued = std::exchange(m_queued, {});
    int failedAt = -1;
    const QSqlError failure = m_engine->settleQueued(m_database, &failedAt);
    if (failure.type() != QSqlError::NoError)
        throw error(failure, queued.value(failedAt, queued.last()));
}

void Connection::beginTransaction()
{
    check(m_engine->beginTransaction(m_database), m_engine->beginStatement());
    m_inTransaction = true;
}

void Connection::commitTransaction()
{
    // The transaction is over whether the commit succeeds or not: a failed
    // commit leaves nothing of it. Files replaced before it are not
    // committed to; replaced as it commits, what it wrote is not in them.
    m_inTransaction = false;
    try {
        settleQueued();
    } catch (const DataAccessError &) {
        m_engine->endTransaction(m_database, false);
        throw;
    }
    if (m_engine->filesReplaced()) {
        m_engine->endTransaction(m_database, false);
        m_broken = true;
        throw filesReplacedError(QStringLiteral("COMMIT"));
    }
    check(m_engine->endTransaction(m_database, true), QStringLiteral("COMMIT"));
    confirmWritten(QStringLiteral("COMMIT"));
}

void Connection::rollbackTransaction()
{
    m_inTransaction = false;
    try {
        settleQueued();
    } catch (const DataAccessError &) {
        // rolled back all the same
    }
    check(m_engine->endTransaction(m_database, false), QStringLiteral("ROLLBACK"));
}

void Connection::run(const QString &statement)
{
    check(m_engine->runOwn(m_database, statement), statement);
}

void Connection::check(const QSqlError &failure, const QString &statement)
{
    if (failure.type() != QSqlError::NoError)
        throw error(failure, statement);
}

} // namespace Torva
