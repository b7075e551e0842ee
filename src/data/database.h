#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/data/connectionuse.h>
#include <TORVAProbationParties/data/databaselocation.h>

#include <QString>

#include <chrono>

namespace Torva {

class Connection;

/// Where the table objects find their database. The host may name it once at
/// start-up; otherwise TORVA_DATABASE in the environment names it; otherwise
/// an embedded folder under the user's data location is used, created with its
/// tables on first use. The controls never pass a connection.
class TORVA_EXPORT Database
{
public:
    /// The host's choice, which wins over the environment. Throws
    /// DataAccessError(ConfigurationError) for a text that names no database.
    static void setLocation(const QString &location);
    static void setLocation(const DatabaseLocation &location);
    /// Forgets the host's choice, so that the environment or the default applies again.
    static void clearLocation();
    /// The location in force. Throws for a TORVA_DATABASE that names no database.
    static DatabaseLocation location();
    static QString defaultFolder();
    /// The probation-db command line that runs arguments ("init", "seed --demo")
    /// on the database at where, ready to paste into a shell: it names the
    /// location with --database unless that is the embedded default.
    static QString toolCommand(const DatabaseLocation &where, const QString &arguments);

    /// The user name written down with the row locks this process holds.
    /// Defaults to the login name.
    static void setUserName(const QString &userName);
    static QString userName();

    /// How long a statement may take: 5 s unless the host sets another. A
    /// server that has not ended the statement by then has it cancelled, and
    /// the call fails through Error; one that does not answer at all (frozen,
    /// or cut off by the network) is given up a second later, and the next
    /// call opens a new connection. Applies to the connections open already
    /// from their next statement on.
    static constexpr std::chrono::milliseconds DefaultDeadline{5000};
    static void setStatementDeadline(std::chrono::milliseconds deadline);
    static std::chrono::milliseconds statementDeadline();

    /// The shared connection, opened on first use (and again after it was lost).
    /// Throws DataAccessError when the database cannot be opened.
    static Connection &connection(ConnectionUse use = ConnectionUse::Reading);
    /// Creates the database at the current location if needed, with every
    /// missing table, index and function. Never drops or changes data.
    static void initialize();
    /// Closes the shared connection; the next use opens the location in force.
    static void close();
};

} // namespace Torva
