#include "engine.h"

#include <QSqlQuery>

namespace Torva {

Engine::Engine(const DatabaseLocation &location)
    : m_location(location)
{
}

Engine::~Engine() = default;

DataAccessError Engine::error(const QSqlError &error, const QString &statement) const
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("the statement failed without a message");
    const QString code = error.nativeErrorCode();
    const QString detail = code.isEmpty() ? QStringLiteral(" (%1)").arg(m_location.toDisplayString())
                                          : QStringLiteral(" (%1 error %2 at %3)")
                                                .arg(m_location.engineName(), code, m_location.toDisplayString());
    return DataAccessError(classify(error), text + detail, statement, code);
}

bool Engine::storesText(const QString &text) const
{
    const QChar *chars = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (!chars[i].isSurrogate())
            continue;
        if (chars[i].isHighSurrogate() && i + 1 < size && chars[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        throw DataAccessError(DataAccessError::BadParameters,
                              QStringLiteral("a text holding half of a character (U+%1, a lone UTF-16 surrogate, at "
                                             "position %2) cannot be stored in %3")
                                  .arg(QString::number(chars[i].unicode(), 16).toUpper())
                                  .arg(i + 1)
                                  .arg(m_location.toDisplayString()));
    }
    return true;
}

bool Engine::isConnectionLost(const QSqlError &error) const
{
    return error.type() == QSqlError::ConnectionError;
}

int Engine::classify(const QSqlError &error) const
{
    return isConnectionLost(error) ? DataAccessError::ConnectionFailed : DataAccessError::StatementFailed;
}

QSqlError Engine::runOwn(QSqlDatabase &database, const QString &statement) const
{
    QSqlQuery query(database);
    return query.exec(statement) ? QSqlError() : query.lastError();
}

void Engine::run(QSqlDatabase &database, const QString &statement) const
{
    const QSqlError failure = runOwn(database, statement);
    if (failure.type() != QSqlError::NoError)
        throw error(failure, statement);
}

void Engine::connectionFailed(const QString &why) const
{
    throw DataAccessError(DataAccessError::ConnectionFailed,
                          QStringLiteral("cannot open the database at %1: %2").arg(m_location.toDisplayString(), why));
}

} // namespace Torva
