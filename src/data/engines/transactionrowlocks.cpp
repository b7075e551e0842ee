#include "transactionrowlocks.h"

#include "engine.h"
#include "preparedstatement.h"
#include "data/schema.h"

namespace Torva {

TransactionRowLocks::TransactionRowLocks(std::unique_ptr<Engine> engine)
    : m_engine(std::move(engine))
{
    static int counter = 0;
    m_connectionName = QStringLiteral("torva-rowlocks-held-%1").arg(++counter);
    openConnection(*m_engine, m_connectionName);
}

TransactionRowLocks::~TransactionRowLocks()
{
    endTransaction();
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString TransactionRowLocks::lockStatement(const QString &table)
{
    QStringList conditions;
    const QStringList keys = Schema::keyColumns(table);
    for (const QString &column : keys)
        conditions << column + QStringLiteral("=?");
    return QStringLiteral("Select %1 From %2 Where %3 For Update")
        .arg(keys.join(QLatin1Char(',')), table, conditions.join(QStringLiteral(" And ")));
}

bool TransactionRowLocks::tryLock(const LockKey &key)
{
    if (m_held.contains(key))
        return true;
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    const QString statement = lockStatement(key.table());
    const auto failed = [&](const QSqlError &error) {
        return DataAccessError(DataAccessError::LockFailed,
                               QStringLiteral("the row lock failed at %1: %2")
                                   .arg(m_engine->location().toDisplayString(), error.databaseText().trimmed()),
                               statement, error.nativeErrorCode());
    };
    if (!m_inTransaction) {
        if (const QSqlError error = m_engine->beginTransaction(database); error.type() != QSqlError::NoError)
            throw failed(error);
        m_inTransaction = true;
    }
    const std::unique_ptr<PreparedStatement> read = m_engine->newStatement(database);
    QueryResult rows;
    if (read->prepare(statement, false) && read->run(key.values(), rows, -1, false)) {
        m_held << key;
        return true;
    }
    const QSqlError error = read->lastError();
    // With nothing else held the transaction goes, whatever the database
    // made of it.
    if (m_held.isEmpty())
        endTransaction();
    if (m_engine->error(error, statement).number() == DataAccessError::DatabaseBusy)
        return false;
    throw failed(error);
}

void TransactionRowLocks::unlock(const LockKey &key)
{
    m_held.removeAll(key);
    if (m_held.isEmpty())
        endTransaction();
}

bool TransactionRowLocks::isAlive() const
{
    return m_engine->isAlive(QSqlDatabase::database(m_connectionName, false));
}

void TransactionRowLocks::endTransaction()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    // A connection that cannot roll back is gone, and its locks with it.
    m_engine->endTransaction(database, false);
}

} // namespace Torva
