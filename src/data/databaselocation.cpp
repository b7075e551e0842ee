#include "databaselocation.h"

#include "dataaccesserror.h"

#include <QDir>
#include <QUrl>

namespace Torva {

namespace {
[[noreturn]] void refuse(const QString &text, const QString &origin, const QString &why)
{
    const QString where = origin.isEmpty() ? QString() : origin + QStringLiteral(": ");
    throw DataAccessError(DataAccessError::ConfigurationError,
                          QStringLiteral("%1cannot use the database location \"%2\": %3. Use sqlite:/folder, "
                                         "postgresql://user@host:port/database or odbc:DSN=name.")
                              .arg(where, text, why));
}

// The index just past the brace that closes a value opened at open, or -1
// when none does. Inside the braces "}}" stands for one "}".
qsizetype pastClosingBrace(const QString &text, qsizetype open)
{
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('}'))
            continue;
        if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('}'))
            ++i;
        else
            return i + 1;
    }
    return -1;
}

// An ODBC connection string cut into its attributes, each as written. A value
// in braces may hold ";"; a brace never closed protects nothing, so that no
// password behind it is taken for part of another value.
QStringList odbcAttributes(const QString &text)
{
    QStringList attributes;
    qsizetype start = 0;
    bool inValue = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(';')) {
            attributes << text.mid(start, i - start);
            start = i + 1;
            inValue = false;
        } else if (c == QLatin1Char('=') && !inValue) {
            inValue = true;
            qsizetype value = i + 1;
            while (value < text.size() && text.at(value) == QLatin1Char(' '))
                ++value;
            if (value < text.size() && text.at(value) == QLatin1Char('{')) {
                const qsizetype past = pastClosingBrace(text, value);
                if (past > 0)
                    i = past - 1;
            }
        }
    }
    attributes << text.mid(start);
    return attributes;
}

// Whether an attribute gives a password (PWD, or PASSWORD as IBM's driver also takes it).
bool isOdbcPassword(const QString &attribute)
{
    const qsizetype equals = attribute.indexOf(QLatin1Char('='));
    if (equals < 0)
        return false;
    const QString keyword = attribute.left(equals).trimmed();
    return keyword.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0
           || keyword.compare(QLatin1String("PASSWORD"), Qt::CaseInsensitive) == 0;
}
} // namespace

DatabaseLocation DatabaseLocation::sqliteFolder(const QString &folder)
{
    // Blanks around the name are no part of it (not even before a last "/",
    // however many times the two alternate), and a name beginning with ":" is
    // a folder here, not one of Qt's resource paths.
    QString path = folder;
    for (QString before; before != path;) {
        before = path;
        path = QDir::cleanPath(path.trimmed()).trimmed();
    }
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
        // Written by QUrl so that it reads back as the same server, user and
        // database: an IPv6 address in brackets, "@", ":", "/", "%", blanks and
        // anything beyond ASCII in the user and database names percent-encoded.
        QUrl url;
        url.setScheme(QStringLiteral("postgresql"));
        if (!m_userName.isEmpty())
            url.setUserName(m_userName, QUrl::DecodedMode);
        url.setHost(m_host);
        url.setPort(m_port);
        url.setPath(QLatin1Char('/') + m_databaseName, QUrl::DecodedMode);
        return url.toString(QUrl::FullyEncoded);
    }
    case Engine::Odbc: {
        QStringList kept;
        for (const QString &attribute : odbcAttributes(m_odbc)) {
            if (!isOdbcPassword(attribute))
                kept << attribute;
        }
        // parse() trims the text and refuses a blank connection string: a
        // string that held nothing but a password shows as an empty one.
        QString shown = kept.join(QLatin1Char(';'));
        while (!shown.isEmpty() && shown.back().isSpace())
            shown.chop(1);
        return QStringLiteral("odbc:") + (shown.isEmpty() ? QStringLiteral(";") : shown);
    }
    }
    return QString();
}

} // namespace Torva
