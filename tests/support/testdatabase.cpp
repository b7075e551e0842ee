#include "testdatabase.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/tableobject.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include <libpq-fe.h>

namespace Torva {

namespace {

const QString Sqlite = QStringLiteral("sqlite");
const QString Postgres = QStringLiteral("postgresql");
const QString Odbc = QStringLiteral("odbc");

// The current test database.
std::unique_ptr<QTemporaryDir> sqliteFolder;
QString currentLocation;
QString postgresDatabase;  // created by this process, dropped at its end

// Runs a statement on the maintenance database of the test server.
bool maintenance(const QString &statement, QString *why = nullptr)
{
    PGconn *server = PQconnectdb(qgetenv("TORVA_TEST_POSTGRES").constData());
    PQsetNoticeProcessor(server, [](void *, const char *) {}, nullptr);
    PGresult *result = PQstatus(server) == CONNECTION_OK ? PQexec(server, statement.toUtf8().constData()) : nullptr;
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    if (!ok && why)
        *why = QString::fromUtf8(PQerrorMessage(server)).trimmed();
    PQclear(result);
    PQfinish(server);
    return ok;
}

void dropPostgresDatabase()
{
    Database::close();
    maintenance(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(postgresDatabase));
}

QString postgresLocation()
{
    if (postgresDatabase.isEmpty()) {
        const QString name = QStringLiteral("torva_%1_%2")
                                 .arg(QCoreApplication::applicationName().toLower().remove(QLatin1Char('-')))
                                 .arg(QCoreApplication::applicationPid());
        QString why;
        maintenance(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        if (!maintenance(QStringLiteral("CREATE DATABASE %1").arg(name), &why))
            qFatal("cannot create the test database %s: %s", qPrintable(name), qPrintable(why));
        postgresDatabase = name;
        qAddPostRoutine(dropPostgresDatabase);
    }
    // The server's own address with this process's database in place of its
    // path, so that a password, an IPv6 host or an escaped name stay as given.
    QUrl location(qEnvironmentVariable("TORVA_TEST_POSTGRES"));
    location.setPath(QLatin1Char('/') + postgresDatabase);
    return location.toString();
}

} // namespace

QStringList TestDatabase::engines()
{
    return {Sqlite, Postgres, Odbc};
}

void TestDatabase::addEngineRows()
{
    QTest::addColumn<QString>("engine");
    for (const QString &engine : engines())
        QTest::newRow(qPrintable(engine)) << engine;
}

bool TestDatabase::isAvailable(const QString &engine, QString *why)
{
    if (engine == Sqlite)
        return true;
    if (engine == Odbc && qEnvironmentVariable("TORVA_TEST_ODBC").isEmpty()) {
        *why = QStringLiteral("no ODBC data source: TORVA_TEST_ODBC is not set (the README's test command sets it)");
        return false;
    }
    if (qEnvironmentVariable("TORVA_TEST_POSTGRES").isEmpty()) {
        *why = QStringLiteral("no PostgreSQL server: TORVA_TEST_POSTGRES is not set (the README's test command sets it)");
        return false;
    }
    static QString unreachable;  // why not, once asked
    static const bool reachable = maintenance(QStringLiteral("SELECT 1"), &unreachable);
    if (!reachable)
        *why = QStringLiteral("the PostgreSQL server of TORVA_TEST_POSTGRES cannot be reached: ") + unreachable;
    return reachable;
}

bool TestDatabase::isRequired(const QString &engine)
{
    if (engine == Odbc)
        return !qEnvironmentVariable("TORVA_REQUIRE_ODBC").isEmpty();
    return engine == Postgres && !qEnvironmentVariable("TORVA_REQUIRE_POSTGRES").isEmpty();
}

QString TestDatabase::create(const QString &engine)
{
    Database::close();
    if (engine == Sqlite) {
        sqliteFolder = std::make_unique<QTemporaryDir>();
        currentLocation = QStringLiteral("sqlite:") + sqliteFolder->path();
        Database::setLocation(currentLocation);
    } else {
        currentLocation = postgresLocation();
        Database::setLocation(currentLocation);
        Database::connection().run(QStringLiteral("DROP SCHEMA IF EXISTS duvprb, duvcrt, torva CASCADE"));
    }
    Database::initialize();
    if (engine == Odbc) {
        Database::close();
        currentLocation = QStringLiteral("odbc:%1;Database=%2").arg(qEnvironmentVariable("TORVA_TEST_ODBC"), postgresDatabase);
        Database::setLocation(currentLocation);
    }
    return currentLocation;
}

void TestDatabase::initialize()
{
    if (!currentLocation.startsWith(QLatin1String("odbc:"))) {
        Database::initialize();
        return;
    }
    Database::close();
    Database::setLocation(postgresLocation());
    Database::initialize();
    Database::close();
    Database::setLocation(currentLocation);
}

QString TestDatabase::location()
{
    return currentLocation;
}

void TestDatabase::exec(const QString &statement, const QVariantList &values)
{
    TableObject().Execute(statement, values);
}

QVariant TestDatabase::value(const QString &statement, const QVariantList &values)
{
    return TableObject().Fetch(statement, values).values().value(0);
}

int TestDatabase::count(const QString &table)
{
    return value(QStringLiteral("Select Count(*) As ROWCOUNT From ") + table).toInt();
}

void TestDatabase::forbidNull(const QString &table, const QStringList &columns)
{
    Connection &connection = Database::connection();
    if (!currentLocation.startsWith(QLatin1String("sqlite:"))) {
        for (const QString &column : columns)
            connection.run(QStringLiteral("Alter Table %1 Alter Column %2 Set Not Null").arg(table, column));
        return;
    }
    const QString schema = table.section(QLatin1Char('.'), 0, 0);
    const QString name = table.section(QLatin1Char('.'), 1);
    QStringList nulls;
    for (const QString &column : columns)
        nulls << QStringLiteral("New.%1 Is Null").arg(column);
    for (const char *event : {"INSERT", "UPDATE"}) {
        connection.run(QStringLiteral("Create Trigger %1.%2_NOT_NULL_%3 Before %3 On %2 When %4 "
                                      "Begin Select Raise(Abort, 'NOT NULL constraint failed'); End")
                           .arg(schema, name, QLatin1String(event), nulls.join(QStringLiteral(" Or "))));
    }
}

int TestDatabase::rowsWithNull(const QString &table, const QStringList &columns)
{
    return value(QStringLiteral("Select Count(*) As ROWCOUNT From %1 Where %2 Is Null")
                     .arg(table, columns.join(QStringLiteral(" Is Null Or "))))
        .toInt();
}

} // namespace Torva
