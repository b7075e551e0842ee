#include "database.h"

#include "connection.h"
#include "data/engines/postgresrowlocks.h"
#include "data/engines/statementdeadline.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <memory>
#include <optional>

namespace Torva {

namespace {
struct State
{
    std::optional<DatabaseLocation> hostLocation;
    QString userName;
    std::unique_ptr<Connection> connection;
};

State &state()
{
    static State instance;
    return instance;
}

// A word as a shell reads it back: as it is when it holds nothing the shell
// would take apart, else in single quotes.
QString shellWord(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9@%+=:,./_-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Connections must close while Qt's SQL drivers are still loaded, so the
// shared one goes when the application object does.
void closeAtExit()
{
    static bool registered = false;
    if (!registered && QCoreApplication::instance()) {
        qAddPostRoutine(Database::close);
        registered = true;
    }
}
} // namespace

void Database::setStatementDeadline(std::chrono::milliseconds deadline)
{
    StatementDeadline::set(deadline);
}

std::chrono::milliseconds Database::statementDeadline()
{
    return StatementDeadline::value();
}

void Database::setLocation(const QString &location)
{
    setLocation(DatabaseLocation::parse(location, QStringLiteral("the host")));
}

void Database::setLocation(const DatabaseLocation &location)
{
    state().hostLocation = location;
    close();
}

void Database::clearLocation()
{
    state().hostLocation.reset();
    close();
}

DatabaseLocation Database::location()
{
    if (state().hostLocation)
        return *state().hostLocation;
    const QString fromEnvironment = qEnvironmentVariable("TORVA_DATABASE");
    if (!fromEnvironment.trimmed().isEmpty())
        return DatabaseLocation::parse(fromEnvironment, QStringLiteral("TORVA_DATABASE"));
    return DatabaseLocation::sqliteFolder(defaultFolder());
}

QString Database::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("TORVAProbationParties"));
}

QString Database::toolCommand(const DatabaseLocation &where, const QString &arguments)
{
    if (where == DatabaseLocation::sqliteFolder(defaultFolder()))
        return QStringLiteral("probation-db ") + arguments;
    return QStringLiteral("probation-db --database %1 %2").arg(shellWord(where.toDisplayString()), arguments);
}

void Database::setUserName(const QString &userName)
{
    state().userName = userName;
}

QString Database::userName()
{
    if (!state().userName.isEmpty())
        return state().userName;
    const QString login = qEnvironmentVariable("USER");
    return login.isEmpty() ? qEnvironmentVariable("LOGNAME") : login;
}

Connection &Database::connection(ConnectionUse use)
{
    State &current = state();
    if (current.connection && current.connection->isUsable(use))
        return *current.connection;
    current.connection.reset();
    closeAtExit();
    const DatabaseLocation where = location();
    // Only the embedded default is made on first use; a named location must
    // exist, so that a mistyped one fails instead of showing an empty database.
    const bool isDefault = where == DatabaseLocation::sqliteFolder(defaultFolder());
    auto opened = std::make_unique<Connection>(where, isDefault);
    if (isDefault)
        opened->createSchema();
    state().connection = std::move(opened);
    return *current.connection;
}

void Database::initialize()
{
    close();
    closeAtExit();
    auto opened = std::make_unique<Connection>(location(), true);
    opened->createSchema();
    state().connection = std::move(opened);
}

void Database::close()
{
    state().connection.reset();
    PostgresRowLocks::closeIdleConnections();
}

} // namespace Torva
