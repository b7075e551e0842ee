#include "postgresengine.h"

#include "postgrescall.h"
#include "postgrespreparedstatement.h"
#include "postgresrowlocks.h"
#include "data/recordsource.h"
#include "statementdeadline.h"
#include "data/statements.h"

#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>

#include <libpq-fe.h>
#include <poll.h>

namespace Torva {

namespace {

// Which deadline each connection's server was told last; told again,
// between transactions, after the host changed it.
QHash<pg_conn *, int> &deadlinesTold()
{
    static QHash<pg_conn *, int> told;
    return told;
}

// The DB2 functions the statements call, with the types DB2 gives them.
const char *const compatibilityFunctions[] = {
    // Digits pads to the precision of the 8-digit date columns; 0 gives 00000000.
    R"(CREATE OR REPLACE FUNCTION public.digits(value numeric) RETURNS text
       LANGUAGE sql IMMUTABLE PARALLEL SAFE
       AS $$ SELECT lpad(trunc(abs(value))::text, greatest(8, length(trunc(abs(value))::text)), '0') $$)",
    R"(CREATE OR REPLACE FUNCTION public.zoned(value numeric, digits integer, scale integer) RETURNS numeric
       LANGUAGE sql IMMUTABLE PARALLEL SAFE
       AS $$ SELECT value $$)",
    // Over anycompatible so that IfNull(CLTBDT,0) mixes numeric and integer as DB2 does.
    R"(CREATE OR REPLACE FUNCTION public.ifnull(value anycompatible, fallback anycompatible) RETURNS anycompatible
       LANGUAGE sql IMMUTABLE PARALLEL SAFE
       AS $$ SELECT coalesce(value, fallback) $$)",
};

} // namespace

QSqlDatabase PostgresEngine::open(const QString &connectionName, bool)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    database.setHostName(location().host());
    database.setPort(location().port());
    database.setUserName(location().userName());
    database.setPassword(location().password());
    database.setDatabaseName(location().databaseName());
    // libpq counts whole seconds, and at least 2.
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(StatementDeadline::value()).count();
    database.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(std::max<qint64>(2, seconds)));
    if (!database.open())
        connectionFailed(database.lastError().databaseText().trimmed());
    PGconn *connection = PostgresCall::handleOf(database);
    // Statements go to libpq directly from here on, and never wait on the
    // socket without a deadline.
    PQsetnonblocking(connection, 1);
    // What the server notes (a rollback with no transaction left to end)
    // is no message for the host's terminal.
    PQsetNoticeProcessor(connection, [](void *, const char *) {}, nullptr);
    run(database, QStringLiteral("SET application_name = 'TORVAProbationParties'"));
    run(database, QStringLiteral("SET client_min_messages = warning"));
    // A statement still running when its client is gone stops, rather
    // than run on for no one.
    if (PQserverVersion(connection) >= 140000)
        run(database, QStringLiteral("SET client_connection_check_interval = '1s'"));
    // A new connection may have the address of one closed before.
    deadlinesTold().remove(connection);
    PostgresPreparedStatement::connectionOpened(connection);
    QSqlError error;
    if (!applyDeadline(connection, &error))
        throw Engine::error(error, QStringLiteral("SET statement_timeout"));
    return database;
}

bool PostgresEngine::applyDeadline(pg_conn *connection, QSqlError *error)
{
    QHash<pg_conn *, int> &told = deadlinesTold();
    const int generation = StatementDeadline::generation();
    const auto known = told.constFind(connection);
    if (known != told.constEnd() && *known == generation)
        return true;
    if (PQtransactionStatus(connection) != PQTRANS_IDLE)
        return true;
    // The server ends a statement at the deadline itself; a writer blocked
    // by another gives up just before, so that it says the database was busy.
    const qint64 deadline = StatementDeadline::value().count();
    PostgresCall call(connection, StatementDeadline::answerWait());
    if (!call.run("SET statement_timeout = " + QByteArray::number(deadline))
        || !call.run("SET lock_timeout = " + QByteArray::number(std::max<qint64>(1, deadline * 19 / 20)))) {
        *error = call.error();
        return false;
    }
    told.insert(connection, generation);
    return true;
}

QSqlError PostgresEngine::runOwn(QSqlDatabase &database, const QString &statement) const
{
    PostgresCall call(PostgresCall::handleOf(database), m_unbounded ? std::nullopt
                                                                    : std::optional(StatementDeadline::answerWait()));
    return call.run(statement.toUtf8()) ? QSqlError() : call.error();
}

QueryResult PostgresEngine::rows(QSqlDatabase &database, const QString &statement, const QVariantList &values) const
{
    PostgresCall call(PostgresCall::handleOf(database), StatementDeadline::answerWait());
    const PostgresCall::Result answer = call.run(PostgresCall::numberedMarkers(statement), values);
    if (!answer)
        throw error(call.error(), statement);
    return PostgresCall::rowsOf(answer.get());
}

void PostgresEngine::createSchema(QSqlDatabase &database)
{
    // Indexes made over a large table take their time.
    m_unbounded = true;
    const auto bounded = qScopeGuard([this] { m_unbounded = false; });
    run(database, beginStatement());
    try {
        run(database, QStringLiteral("SET LOCAL statement_timeout = 0"));
        for (const QString &library : Schema::libraries())
            run(database, QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(library));
        run(database, QStringLiteral("CREATE SCHEMA IF NOT EXISTS torva"));
        for (const char *function : compatibilityFunctions)
            run(database, QString::fromUtf8(function));
        for (const Schema::Table &table : Schema::tables()) {
            const QStringList statements = Schema::createStatements(table, Schema::Dialect::Postgres);
            run(database, statements.first());
            upgradeOrderedColumns(database, table);
            for (const QString &statement : statements.mid(1))
                run(database, statement);
        }
        run(database, PostgresRowLocks::createHolderTable());
        run(database, QStringLiteral("COMMIT"));
    } catch (...) {
        runOwn(database, QStringLiteral("ROLLBACK"));
        throw;
    }
}

void PostgresEngine::upgradeOrderedColumns(QSqlDatabase &database, const Schema::Table &table) const
{
    // A database made before the searched names sorted by character code:
    // the name columns take the "C" collation, and the index that served
    // the prefix alone (varchar_pattern_ops) makes way for one that serves
    // the order too (made right after, under the same name).
    for (const Schema::Index &index : table.indexes) {
        if (!index.prefixSearch)
            continue;
        const QueryResult found = rows(database,
            QStringLiteral("SELECT indexdef FROM pg_indexes WHERE schemaname = ? AND indexname = ?"),
            {table.library.toLower(), index.name.toLower()});
        if (found.rowCount() > 0 && found.value(0, 0).toString().contains(QLatin1String("pattern_ops")))
            run(database, QStringLiteral("DROP INDEX %1.%2").arg(table.library, index.name));
        for (const QString &name : index.columns) {
            const QueryResult collation = rows(database,
                QStringLiteral("SELECT collation_name FROM information_schema.columns"
                               " WHERE table_schema = ? AND table_name = ? AND column_name = ?"),
                {table.library.toLower(), table.name.toLower(), name.toLower()});
            if (collation.rowCount() == 0 || collation.value(0, 0).toString() == QLatin1String("C"))
                continue;
            const auto column = std::find_if(table.columns.cbegin(), table.columns.cend(),
                                             [&](const Schema::Column &c) { return c.name == name; });
            run(database, QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE %3 COLLATE \"C\"")
                              .arg(table.qualifiedName(), name, Schema::columnType(*column, Schema::Dialect::Postgres)));
        }
    }
}

std::unique_ptr<RowLockSession> PostgresEngine::newLockSession()
{
    return std::make_unique<PostgresRowLocks>(std::make_unique<PostgresEngine>(location()));
}

std::unique_ptr<PreparedStatement> PostgresEngine::newStatement(const QSqlDatabase &database)
{
    return std::make_unique<PostgresPreparedStatement>(PostgresCall::handleOf(database));
}

QSqlError PostgresEngine::settleQueued(QSqlDatabase &database, int *failedAt)
{
    return PostgresPreparedStatement::settle(PostgresCall::handleOf(database), failedAt);
}

QString PostgresEngine::pageForm(const QString &statement) const
{
    return pageFormOf(statement);
}

QString PostgresEngine::pageFormOf(const QString &statement)
{
    // The name search with the typed text bound, as the list runs it.
    static const QString nameSearch = RecordSource::bind(Statements::NameSearchSource, QString()).statement();
    return statement == nameSearch ? Statements::NameSearchPage : QString();
}

QString PostgresEngine::translated(const QString &statement) const
{
    return withoutLikeEscape(statement);
}

QString PostgresEngine::withoutLikeEscape(const QString &statement)
{
    static const QRegularExpression boundPattern(QStringLiteral(R"(\bLike\s+\?(?!\s*Escape\b))"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (!statement.contains(QLatin1String("like"), Qt::CaseInsensitive))
        return statement;
    QString text = statement;
    return text.replace(boundPattern, QStringLiteral("Like ? Escape ''"));
}

bool PostgresEngine::isAlive(const QSqlDatabase &database) const
{
    // Reading what the socket holds, without waiting, notices a server that
    // ended the connection (a restart, a backend ended) before a statement is
    // sent on it.
    PGconn *connection = PostgresCall::handleOf(database);
    if (!connection)
        return false;
    // A server that ended the session first says why, then closes the
    // socket: what is waiting is read until there is nothing more, or the
    // end is found.
    for (int reads = 0; reads < 8 && PQstatus(connection) == CONNECTION_OK; ++reads) {
        pollfd waiting{PQsocket(connection), POLLIN, 0};
        if (::poll(&waiting, 1, 0) <= 0 || !PQconsumeInput(connection))
            break;
    }
    return PQstatus(connection) == CONNECTION_OK;
}

bool PostgresEngine::storesText(const QString &text) const
{
    return Engine::storesText(text) && !text.contains(QChar(0));
}

bool PostgresEngine::isConnectionLost(const QSqlError &error) const
{
    // Class 08 is a connection exception, 57P0x a server shutting down; a
    // dropped socket gives no state at all.
    const QString state = error.nativeErrorCode();
    return error.type() == QSqlError::ConnectionError || state.isEmpty() || state.startsWith(QLatin1String("08"))
           || state.startsWith(QLatin1String("57P0"));
}

int PostgresEngine::classify(const QSqlError &error) const
{
    const QString state = error.nativeErrorCode();
    if (state == QLatin1String("23505"))
        return DataAccessError::DuplicateKey;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
        return DataAccessError::DatabaseBusy;
    return Engine::classify(error);
}

} // namespace Torva
