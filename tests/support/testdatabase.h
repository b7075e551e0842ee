#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace Torva {

// A fresh, empty database with every table for one test, on any engine.
//
// SQLite gets a new temporary folder per test. PostgreSQL uses the server
// named by TORVA_TEST_POSTGRES (postgresql://user@host:port/maintenance-db):
// each test process makes a database of its own there, and every test starts
// from freshly created schemas. ODBC reaches that same database through the
// data source TORVA_TEST_ODBC names (an ODBC connection string, DSN=name),
// its tables made beforehand on the direct route, as an agency's are there
// before the controls come. Without those variables the rows are skipped,
// unless TORVA_REQUIRE_POSTGRES (TORVA_REQUIRE_ODBC) is set, which makes
// them fail.
class TestDatabase
{
public:
    static QStringList engines();              // "sqlite", "postgresql", "odbc"
    // The data column "engine" with one row per engine, named after it; as
    // a test class's global data (initTestCase_data) it runs every test once
    // per engine, with TORVA_USE_GLOBAL_ENGINE_ROW() in its init().
    static void addEngineRows();
    static bool isAvailable(const QString &engine, QString *why);
    static bool isRequired(const QString &engine);

    // Makes the fresh database current for the data layer; returns its location text.
    static QString create(const QString &engine);
    // Makes the current test database's missing tables again, as
    // Database::initialize() does; through ODBC, where nothing is made, on
    // the direct route to the same database.
    static void initialize();
    // The current test database's location text (for child processes).
    static QString location();

    // Runs a statement of the test's own through a table object; throws on failure.
    static void exec(const QString &statement, const QVariantList &values = {});
    // The first column of the first row of a select.
    static QVariant value(const QString &statement, const QVariantList &values = {});
    static int count(const QString &table);
    // Makes the table refuse NULL in these columns, as a host's table may:
    // NOT NULL on PostgreSQL; on SQLite, which cannot add that to a column of
    // a table that exists, triggers that refuse such an insert or update.
    static void forbidNull(const QString &table, const QStringList &columns);
    // How many rows of the table hold NULL in any of these columns.
    static int rowsWithNull(const QString &table, const QStringList &columns);
};

// Opens a fresh database for the engine of the current data row, or skips
// (fails when required) with the reason the engine is not there.
#define TORVA_USE_DATABASE(engine)                                                                                     \
    do {                                                                                                               \
        QString torvaWhy;                                                                                              \
        if (!TestDatabase::isAvailable(engine, &torvaWhy)) {                                                           \
            if (TestDatabase::isRequired(engine))                                                                      \
                QFAIL(qPrintable(torvaWhy));                                                                           \
            QSKIP(qPrintable(torvaWhy));                                                                               \
        }                                                                                                              \
        TestDatabase::create(engine);                                                                                  \
    } while (false)

// Opens a fresh database for the engine of the current global data row, or
// skips the row as TORVA_USE_DATABASE does.
#define TORVA_USE_GLOBAL_ENGINE_ROW()                                                                                  \
    QFETCH_GLOBAL(QString, engine);                                                                                    \
    TORVA_USE_DATABASE(engine)

} // namespace Torva
