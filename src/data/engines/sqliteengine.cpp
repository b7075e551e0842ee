#include "sqliteengine.h"

#include "statementdeadline.h"

#include "data/database.h"
#include "data/schema.h"
#include "sqlitepreparedstatement.h"
#include "sqliterowlocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Torva {

namespace {

// Digits(n): the absolute whole number as text, zero-padded to the 8 digits of
// the date columns it is used on (0 gives "00000000"); longer numbers in full.
void digitsFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const sqlite3_int64 value = sqlite3_value_int64(arguments[0]);
    const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                   : static_cast<unsigned long long>(value);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%08llu", magnitude);
    sqlite3_result_text(context, text, length, SQLITE_TRANSIENT);
}

// Zoned(value, precision, scale): the value itself, as a number.
void zonedFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    sqlite3_value *value = arguments[0];
    switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_INTEGER: sqlite3_result_int64(context, sqlite3_value_int64(value)); break;
    case SQLITE_FLOAT: sqlite3_result_double(context, sqlite3_value_double(value)); break;
    case SQLITE_NULL: sqlite3_result_null(context); break;
    default: sqlite3_result_value(context, value); break;
    }
}

} // namespace

QString SqliteEngine::libraryFile(const QString &folder, const QString &library)
{
    return QDir(folder).filePath(library + QStringLiteral(".sqlite"));
}

sqlite3 *SqliteEngine::handle(const QSqlDatabase &database)
{
    return *static_cast<sqlite3 *const *>(database.driver()->handle().data());
}

QSqlDatabase SqliteEngine::open(const QString &connectionName, bool create)
{
    const QString folder = location().folder();
    if (!QFileInfo(folder).isDir()) {
        if (!create)
            connectionFailed(QStringLiteral("the folder %1 does not exist (create it with: %2)")
                                 .arg(folder, Database::toolCommand(location(), QStringLiteral("init"))));
        if (!QDir().mkpath(folder))
            connectionFailed(QStringLiteral("the folder %1 cannot be created").arg(folder));
    }
    for (const QString &library : Schema::libraries()) {
        const QString file = libraryFile(folder, library);
        if (!create && !QFileInfo::exists(file))
            connectionFailed(QStringLiteral("the file %1 is missing (create it with: %2)")
                                 .arg(file, Database::toolCommand(location(), QStringLiteral("init"))));
    }

    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    database.setDatabaseName(QStringLiteral(":memory:"));
    if (!database.open())
        connectionFailed(database.lastError().text());

    sqlite3 *handle = SqliteEngine::handle(database);
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, int(StatementDeadline::value().count()));
    // A statement still running at the deadline is interrupted (checked
    // every few thousand steps of SQLite's machine).
    sqlite3_progress_handler(handle, 4096, [](void *) { return StatementDeadline::passed() ? 1 : 0; }, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(handle, "Digits", 1, flags, nullptr, digitsFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "Zoned", 3, flags, nullptr, zonedFunction, nullptr, nullptr, nullptr);

    try {
        for (const QString &library : Schema::libraries()) {
            QSqlQuery attach(database);
            attach.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + library);
            attach.addBindValue(libraryFile(folder, library));
            if (!attach.exec())
                connectionFailed(QStringLiteral("the file %1 cannot be opened: %2")
                                     .arg(libraryFile(folder, library), attach.lastError().databaseText()));
            run(database, QStringLiteral("PRAGMA %1.journal_mode=WAL").arg(library));
            // A save reported done is on disk: every commit waits for its
            // write to reach the disk, so that a power cut loses none.
            run(database, QStringLiteral("PRAGMA %1.synchronous=FULL").arg(library));
            // More pages stay cached between statements: loading an outline
            // reads a party or client page for each of its rows. They are not
            // read through a memory map: a file cut short under a running host
            // (a mistaken restore, a full disk) would end the host on its next
            // read of a page past the new end, where a read call only fails.
            run(database, QStringLiteral("PRAGMA %1.mmap_size=0").arg(library));
            run(database, QStringLiteral("PRAGMA %1.cache_size=-%2").arg(library).arg(PageCacheKiB));
        }
        run(database, QStringLiteral("PRAGMA case_sensitive_like=ON"));
        for (const int handle : std::as_const(m_attached))
            ::close(handle);
        m_attached.clear();
        for (const QString &library : Schema::libraries())
            m_attached << ::open(QFile::encodeName(libraryFile(folder, library)).constData(), O_RDONLY | O_CLOEXEC);
    } catch (...) {
        database.close();
        throw;
    }
    return database;
}

void SqliteEngine::createSchema(QSqlDatabase &database)
{
    run(database, beginStatement());
    try {
        for (const Schema::Table &table : Schema::tables()) {
            for (const QString &statement : Schema::createStatements(table, Schema::Dialect::Sqlite))
                run(database, statement);
        }
        run(database, QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(database).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

std::unique_ptr<RowLockSession> SqliteEngine::newLockSession()
{
    return std::make_unique<SqliteRowLocks>(location().folder());
}

std::unique_ptr<PreparedStatement> SqliteEngine::newStatement(const QSqlDatabase &database)
{
    return std::make_unique<SqlitePreparedStatement>(handle(database));
}

SqliteEngine::~SqliteEngine()
{
    for (const int handle : std::as_const(m_attached))
        ::close(handle);
}

bool SqliteEngine::filesReplaced() const
{
    // Asked of the open file, not by its name: cheap enough for every statement.
    struct stat status;
    for (const int handle : m_attached) {
        if (handle < 0 || ::fstat(handle, &status) != 0 || status.st_nlink == 0)
            return true;
    }
    return false;
}

bool SqliteEngine::isConnectionLost(const QSqlError &error) const
{
    // A file that cannot be written, read or recognised, or that holds no
    // tables (emptied), may be mended while the host runs: the connection is
    // opened again for the next call rather than kept failing.
    const int code = error.nativeErrorCode().toInt();
    switch (code & 0xFF) {
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
        return true;
    case SQLITE_ERROR:
        return error.databaseText().startsWith(QLatin1String("no such table"));
    default:
        return false;
    }
}

int SqliteEngine::classify(const QSqlError &error) const
{
    const int code = error.nativeErrorCode().toInt();
    if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE)
        return DataAccessError::DuplicateKey;
    if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED)
        return DataAccessError::DatabaseBusy;
    return DataAccessError::StatementFailed;
}

} // namespace Torva
