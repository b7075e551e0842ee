#include "odbcengine.h"

#include "data/databasecheck.h"
#include "odbcpreparedstatement.h"
#include "postgresengine.h"
#include "postgresrowlocks.h"
#include "statementdeadline.h"
#include "transactionrowlocks.h"

#include <QHash>
#include <QRegularExpression>

namespace Torva {

namespace {

// Which deadline each connection's server was told last.
QHash<void *, int> &deadlinesTold()
{
    static QHash<void *, int> told;
    return told;
}

bool inState(const QSqlError &error, std::initializer_list<const char *> states)
{
    const QString state = error.nativeErrorCode();
    return std::any_of(states.begin(), states.end(), [&state](const char *s) { return state == QLatin1String(s); });
}

} // namespace

QString OdbcEngine::qtDatabaseName(const QString &connectString)
{
    static const QRegularExpression namesDriver(QStringLiteral(R"((^|;)\s*(DRIVER|SERVER)\s*=)"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression dataSource(QStringLiteral(R"((^|;)\s*DSN\s*=\s*([^;]*);?)"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (namesDriver.match(connectString).hasMatch())
        return connectString;
    const QRegularExpressionMatch found = dataSource.match(connectString);
    if (!found.hasMatch())
        return connectString;
    QString rest = connectString;
    rest.remove(found.capturedStart(), found.capturedLength());
    if (found.capturedStart() > 0 && !rest.isEmpty() && !rest.endsWith(QLatin1Char(';')))
        rest.insert(found.capturedStart(), QLatin1Char(';'));
    const QString name = found.captured(2).trimmed();
    return rest.isEmpty() ? name : name + QLatin1Char(';') + rest;
}

QSqlDatabase OdbcEngine::open(const QString &connectionName, bool)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName);
    database.setDatabaseName(qtDatabaseName(location().odbcConnectString()));
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(StatementDeadline::value()).count();
    database.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(std::max<qint64>(2, seconds)));
    if (!database.open())
        connectionFailed(database.lastError().databaseText().trimmed());
    void *handle = OdbcPreparedStatement::handleOf(database);
    m_serverName = OdbcPreparedStatement::databaseName(handle);
    m_postgres = m_serverName.startsWith(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);
    if (m_postgres) {
        run(database, QStringLiteral("SET application_name = 'TORVAProbationParties'"));
        run(database, QStringLiteral("SET client_min_messages = warning"));
        // A new connection may have the handle of one closed before.
        deadlinesTold().remove(handle);
        applyDeadline(database);
    }
    return database;
}

void OdbcEngine::applyDeadline(QSqlDatabase &database)
{
    if (!m_postgres)
        return;
    void *handle = OdbcPreparedStatement::handleOf(database);
    const int generation = StatementDeadline::generation();
    if (deadlinesTold().value(handle, -1) == generation)
        return;
    // The driver ends a statement at the deadline; a writer blocked by
    // another gives up just before, so that it says the database was busy.
    const qint64 deadline = StatementDeadline::value().count();
    run(database, QStringLiteral("SET statement_timeout = %1").arg(deadline));
    run(database, QStringLiteral("SET lock_timeout = %1").arg(std::max<qint64>(1, deadline * 19 / 20)));
    deadlinesTold().insert(handle, generation);
}

void OdbcEngine::createSchema(QSqlDatabase &database)
{
    // Nothing is made here; what is there is what the controls need, or
    // the administrator learns what is not.
    QStringList wanting;
    for (const DatabaseCheck::Line &line : DatabaseCheck::tables(*this, database)) {
        if (!line.passed)
            wanting << line.subject + QStringLiteral(" ") + line.detail;
    }
    if (wanting.isEmpty())
        return;
    throw DataAccessError(DataAccessError::ConfigurationError,
                          QStringLiteral("tables are not created through ODBC (%1), and the controls need them as they "
                                         "are on the agency's server: %2")
                              .arg(location().toDisplayString(), wanting.join(QStringLiteral("; "))));
}

std::unique_ptr<RowLockSession> OdbcEngine::newLockSession()
{
    auto sessionEngine = std::make_unique<OdbcEngine>(location());
    if (m_postgres)
        return std::make_unique<PostgresRowLocks>(std::move(sessionEngine));
    return std::make_unique<TransactionRowLocks>(std::move(sessionEngine));
}

std::unique_ptr<PreparedStatement> OdbcEngine::newStatement(const QSqlDatabase &database)
{
    QSqlDatabase open = database;
    applyDeadline(open);
    return std::make_unique<OdbcPreparedStatement>(OdbcPreparedStatement::handleOf(database));
}

QSqlError OdbcEngine::runOwn(QSqlDatabase &database, const QString &statement) const
{
    OdbcPreparedStatement own(OdbcPreparedStatement::handleOf(database));
    QueryResult none;
    if (!own.prepare(statement, false) || !own.run({}, none, -1, false))
        return own.lastError();
    return QSqlError();
}

QSqlError OdbcEngine::beginTransaction(QSqlDatabase &database)
{
    return OdbcPreparedStatement::beginTransaction(OdbcPreparedStatement::handleOf(database));
}

QSqlError OdbcEngine::endTransaction(QSqlDatabase &database, bool commit)
{
    return OdbcPreparedStatement::endTransaction(OdbcPreparedStatement::handleOf(database), commit);
}

QString OdbcEngine::translated(const QString &statement) const
{
    return m_postgres ? PostgresEngine::withoutLikeEscape(statement) : statement;
}

QString OdbcEngine::pageForm(const QString &statement) const
{
    return m_postgres ? PostgresEngine::pageFormOf(statement) : QString();
}

bool OdbcEngine::isAlive(const QSqlDatabase &database) const
{
    void *handle = OdbcPreparedStatement::handleOf(database);
    return handle && !OdbcPreparedStatement::isDead(handle);
}

bool OdbcEngine::storesText(const QString &text) const
{
    return Engine::storesText(text) && !text.contains(QChar(0));
}

bool OdbcEngine::isConnectionLost(const QSqlError &error) const
{
    // Class 08 is a connection exception; 57P0x a PostgreSQL server shutting down.
    const QString state = error.nativeErrorCode();
    return error.type() == QSqlError::ConnectionError || state.startsWith(QLatin1String("08"))
           || (m_postgres && state.startsWith(QLatin1String("57P0")));
}

int OdbcEngine::classify(const QSqlError &error) const
{
    if (inState(error, {"23505"}))
        return DataAccessError::DuplicateKey;
    // PostgreSQL: 55P03 the lock wait ran out, 40P01 a deadlock; DB2: 57033
    // a row held by another job past the lock wait, 40001 a deadlock.
    if (inState(error, {"55P03", "40P01", "57033", "40001"}))
        return DataAccessError::DatabaseBusy;
    return Engine::classify(error);
}

} // namespace Torva
