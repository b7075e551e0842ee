#include "odbcengine.h"

#include "rowlocksession.h"

QSqlDatabase OdbcEngine::open(const QString &connectionName, bool)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName);
    database.setDatabaseName(location().odbcConnectString());
    if (!database.open())
        connectionFailed(database.lastError().text());
    return database;
}

void OdbcEngine::createSchema(QSqlDatabase &)
{
    throw DataAccessError(DataAccessError::ConfigurationError,
                          QStringLiteral("tables are not created through ODBC (%1): the libraries DUVPRB and DUVCRT "
                                         "must already exist on the server")
                              .arg(location().toDisplayString()));
}

std::unique_ptr<RowLockSession> OdbcEngine::newLockSession()
{
    return nullptr;
}

bool OdbcEngine::isConnectionLost(const QSqlError &error) const
{
    return error.type() == QSqlError::ConnectionError || error.nativeErrorCode().startsWith(QLatin1String("08"));
}

bool OdbcEngine::isRowLockConflict(const QSqlError &error) const
{
    // DB2: 57033 a row held by another job past the lock wait, 40001 a deadlock or timeout.
    const QString state = error.nativeErrorCode();
    return state.startsWith(QLatin1String("57033")) || state.startsWith(QLatin1String("40001"));
}
