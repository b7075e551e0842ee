#include "postgresengine.h"

#include "postgrespreparedstatement.h"
#include "postgresrowlocks.h"
#include "schema.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>

#include <libpq-fe.h>
#include <poll.h>

namespace {

QString postgresType(const Schema::Column &column)
{
    switch (column.type) {
    case Schema::ColumnType::Integer: return QStringLiteral("integer");
    case Schema::ColumnType::Decimal: return QStringLiteral("numeric(%1,0)").arg(column.size);
    case Schema::ColumnType::Text: return QStringLiteral("varchar(%1)").arg(column.size);
    }
    return QString();
}

QStringList createStatements(const Schema::Table &table)
{
    QStringList columns;
    for (const Schema::Column &column : table.columns)
        columns << column.name + QLatin1Char(' ') + postgresType(column) + (column.required ? QStringLiteral(" NOT NULL") : QString());
    columns << QStringLiteral("PRIMARY KEY (%1)").arg(table.primaryKey.join(QLatin1Char(',')));
    QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(table.qualifiedName(), columns.join(QLatin1Char(',')))};
    for (const Schema::Index &index : table.indexes) {
        QStringList indexColumns = index.columns;
        if (index.prefixSearch) {
            // Like 'TEXT%' can only use an index that compares characters plainly.
            for (QString &column : indexColumns)
                column += QStringLiteral(" varchar_pattern_ops");
        }
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                          .arg(index.name, table.qualifiedName(), indexColumns.join(QLatin1Char(',')));
    }
    return statements;
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
    database.setConnectOptions(QStringLiteral("connect_timeout=5"));
    if (!database.open())
        connectionFailed(database.lastError().databaseText().trimmed());
    // Like with a bound prefix uses the name index only in a plan made for the value.
    run(database, QStringLiteral("SET plan_cache_mode = force_custom_plan"));
    run(database, QStringLiteral("SET application_name = 'TORVAProbationParties'"));
    run(database, QStringLiteral("SET client_min_messages = warning"));
    // A writer blocked by another waits as long as on the embedded database, then fails.
    run(database, QStringLiteral("SET lock_timeout = '5s'"));
    return database;
}

void PostgresEngine::createSchema(QSqlDatabase &database)
{
    run(database, beginStatement());
    try {
        for (const QString &library : Schema::libraries())
            run(database, QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(library));
        run(database, QStringLiteral("CREATE SCHEMA IF NOT EXISTS torva"));
        for (const char *function : compatibilityFunctions)
            run(database, QString::fromUtf8(function));
        for (const Schema::Table &table : Schema::tables()) {
            for (const QString &statement : createStatements(table))
                run(database, statement);
        }
        run(database, PostgresRowLocks::createHolderTable());
        run(database, QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(database).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

std::unique_ptr<RowLockSession> PostgresEngine::newLockSession()
{
    return std::make_unique<PostgresRowLocks>(location());
}

std::unique_ptr<PreparedStatement> PostgresEngine::newStatement(const QSqlDatabase &database)
{
    return std::make_unique<PostgresPreparedStatement>(database);
}

QString PostgresEngine::translated(const QString &statement) const
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
    return isAliveConnection(database);
}

bool PostgresEngine::isAliveConnection(const QSqlDatabase &database)
{
    // Reading what the socket holds, without waiting, notices a server that
    // ended the connection (a restart, a backend ended) before a statement is
    // sent on it.
    const QVariant handle = database.isOpen() && database.driver() ? database.driver()->handle() : QVariant();
    auto *connection = handle.isValid() ? *static_cast<PGconn *const *>(handle.data()) : nullptr;
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
