#include "databaselocation.h"

#include "dataaccesserror.h"

#include <QDir>
#include <QUrl>

namespace {
[[noreturn]] void refuse(const QString &text, const QString &origin, const QString &why)
{
    const QString where = origin.isEmpty() ? QString() : origin + QStringLiteral(": ");
    throw DataAccessError(DataAccessError::ConfigurationError,
                          QStringLiteral("%1cannot use the database location \"%2\": %3. Use sqlite:/folder, "
                                         "postgresql://user@host:port/database or odbc:DSN=name.")
                              .arg(where, text, why));
}
} // namespace

DatabaseLocation DatabaseLocation::sqliteFolder(const QString &folder)
{
    // Blanks around the name are no part of it (not even before a last "/"),
    // and a name beginning with ":" is a folder here, not one of Qt's resource paths.
    QString path = QDir::cleanPath(folder.trimmed()).trimmed();
    if (path.startsWith(QLatin1Char(':')))
        path.prepend(QStringLiteral("./"));
    DatabaseLocation location;
    location.m_engine = Engine::Sqlite;
    location.m_folder = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    return location;
}

DatabaseLocation DatabaseLocation::parse(const QString &text, const QString &origin)
{
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    if (trimmed.isEmpty() || colon <= 0)
        refuse(text, origin, QStringLiteral("no engine is named"));
    const QString scheme = trimmed.left(colon).toLower();
    const QString rest = trimmed.mid(colon + 1);

    if (scheme == QLatin1String("sqlite")) {
        if (rest.isEmpty())
            refuse(text, origin, QStringLiteral("no folder is given"));
        return sqliteFolder(rest);
    }
    if (scheme == QLatin1String("odbc")) {
        if (rest.trimmed().isEmpty())
            refuse(text, origin, QStringLiteral("no ODBC connection string is given"));
        DatabaseLocation location;
        location.m_engine = Engine::Odbc;
        location.m_odbc = rest;
        return location;
    }
    if (scheme == QLatin1String("postgresql") || scheme == QLatin1String("postgres")) {
        const QUrl url(trimmed, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty())
            refuse(text, origin, QStringLiteral("the server address is not valid"));
        const QString database = url.path().mid(1);
        if (database.isEmpty() || database.contains(QLatin1Char('/')))
            refuse(text, origin, QStringLiteral("no database name is given after the server"));
        DatabaseLocation location;
        location.m_engine = Engine::Postgres;
        location.m_host = url.host();
        location.m_port = url.port(5432);
        location.m_userName = url.userName();
        location.m_password = url.password();
        location.m_databaseName = database;
        return location;
    }
    refuse(text, origin, QStringLiteral("the engine \"%1\" is unknown").arg(scheme));
}

QString DatabaseLocation::engineName() const
{
    switch (m_engine) {
    case Engine::Sqlite: return QStringLiteral("sqlite");
    case Engine::Postgres: return QStringLiteral("postgresql");
    case Engine::Odbc: return QStringLiteral("odbc");
    }
    return QString();
}

QString DatabaseLocation::toDisplayString() const
{
    switch (m_engine) {
    case Engine::Sqlite:
        return QStringLiteral("sqlite:") + m_folder;
    case Engine::Postgres: {
        const QString user = m_userName.isEmpty() ? QString() : m_userName + QLatin1Char('@');
        return QStringLiteral("postgresql://%1%2:%3/%4").arg(user, m_host).arg(m_port).arg(m_databaseName);
    }
    case Engine::Odbc: {
        // Leave out any password the connection string carries.
        QStringList parts;
        for (const QString &part : m_odbc.split(QLatin1Char(';'))) {
            if (!part.trimmed().startsWith(QLatin1String("PWD="), Qt::CaseInsensitive))
                parts << part;
        }
        return QStringLiteral("odbc:") + parts.join(QLatin1Char(';'));
    }
    }
    return QString();
}
