#include "demodatabase.h"

#include "base/messageservice.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "demodata.h"
#include "data/schema.h"
#include "data/engines/sqliteengine.h"
#include "data/tableobject.h"

#include <QFileInfo>

namespace Torva {

namespace {

const QString Title = QStringLiteral("Probation parties");

// The database's own message and the statement it failed on.
QString detailsOf(const DataAccessError &error)
{
    QString details = error.description();
    if (!error.statement().isEmpty())
        details += QStringLiteral("\n\nStatement: ") + error.statement();
    return details;
}

// The tool's commands for the database at where, one to a line.
QString commands(const DatabaseLocation &where, const QStringList &arguments)
{
    QString lines;
    for (const QString &argument : arguments)
        lines += QStringLiteral("\n  ") + Database::toolCommand(where, argument);
    return lines;
}

// How to make the tables and the demo agency at where, after lead.
QString makeIt(const DatabaseLocation &where, const QString &lead)
{
    if (where.engine() == DatabaseLocation::Engine::Odbc)
        return QStringLiteral("The libraries DUVPRB and DUVCRT must already exist in the data source, with the "
                              "demo agency in them. What is missing there, this says:")
               + commands(where, {QStringLiteral("check")});
    return lead + commands(where, {QStringLiteral("init"), QStringLiteral("seed --demo")});
}

// What is wrong with a database that could not be opened, and what to do.
QString openingFailure(const DatabaseLocation &where, bool embedded)
{
    const QString shown = where.toDisplayString();
    if (embedded)
        return QStringLiteral("The demo database at %1 could not be made.\n\n").arg(shown)
               + makeIt(where, QStringLiteral("Make it by hand to see why:"));
    switch (where.engine()) {
    case DatabaseLocation::Engine::Sqlite: {
        if (!QFileInfo(where.folder()).isDir())
            return QStringLiteral("There is no probation database at %1: the folder does not exist.\n\n").arg(shown)
                   + makeIt(where, QStringLiteral("Make one there, with the demo agency, with:"));
        QStringList missing;
        for (const QString &library : Schema::libraries()) {
            const QString file = SqliteEngine::libraryFile(where.folder(), library);
            if (!QFileInfo::exists(file))
                missing << file;
        }
        if (missing.size() == Schema::libraries().size())
            return QStringLiteral("There is no probation database at %1: the folder holds no database files.\n\n")
                       .arg(shown)
                   + makeIt(where, QStringLiteral("Make one there, with the demo agency, with:"));
        if (!missing.isEmpty())
            return QStringLiteral("The probation database at %1 is incomplete: %2 is missing.\n\n")
                       .arg(shown, missing.join(QStringLiteral(", ")))
                   + makeIt(where, QStringLiteral("Make what is missing, with the demo agency, with:"));
        return QStringLiteral("The probation database at %1 cannot be opened.").arg(shown);
    }
    case DatabaseLocation::Engine::Postgres:
        return QStringLiteral("The database server of %1 cannot be reached, or it did not let the user in.\n\n"
                              "Check that the server is running, that the database exists on it and that the "
                              "user may sign on. ")
                   .arg(shown)
               + makeIt(where, QStringLiteral("Then make the tables and the demo agency with:"));
    case DatabaseLocation::Engine::Odbc:
        return QStringLiteral("The ODBC data source %1 cannot be opened; check its configuration.").arg(shown);
    }
    return QString();
}

void tell(const QString &text, const QString &details = QString())
{
    MessageService::instance().showDetailedMessage(nullptr, text, Title, details);
}

} // namespace

bool openDemoDatabase(const QString &location)
{
    DatabaseLocation where;
    try {
        if (!location.isEmpty())
            Database::setLocation(DatabaseLocation::parse(location, QStringLiteral("--database")));
        where = Database::location();
    } catch (const DataAccessError &error) {
        tell(QStringLiteral("The database location cannot be used.\n\n") + error.description());
        return false;
    }
    const bool embedded = where == DatabaseLocation::sqliteFolder(Database::defaultFolder());

    try {
        if (embedded)
            DemoData::seed();
        else
            Database::connection();
    } catch (const DataAccessError &error) {
        tell(openingFailure(where, embedded), detailsOf(error));
        return false;
    }

    TableObject table;
    for (const Schema::Table &definition : Schema::tables()) {
        try {
            table.Execute(QStringLiteral("Select Count(*) As ROWCOUNT From %1 Where 1 = 0").arg(definition.qualifiedName()));
        } catch (const DataAccessError &error) {
            tell(QStringLiteral("The table %1 cannot be read in the database at %2; most likely its tables were "
                                "never made.\n\n")
                         .arg(definition.qualifiedName(), where.toDisplayString())
                     + makeIt(where, QStringLiteral("Make them, with the demo agency, with:")),
                 detailsOf(error));
            return false;
        }
    }
    try {
        if (table.Fetch(QStringLiteral("Select CLTCNO From DUVPRB.PRBCLT"), QVariant(), 1).rowCount() == 0) {
            tell(QStringLiteral("The database at %1 holds no clients: the demo agency is not there.\n\n"
                                "Fill it with:%2")
                     .arg(where.toDisplayString(), commands(where, {QStringLiteral("seed --demo")})));
            return false;
        }
    } catch (const DataAccessError &error) {
        tell(QStringLiteral("The clients cannot be read in the database at %1.").arg(where.toDisplayString()),
             detailsOf(error));
        return false;
    }
    return true;
}

} // namespace Torva
