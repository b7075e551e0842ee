#include "connection.h"

#include <QSqlQuery>

namespace {
constexpr int KeptStatements = 128;
}

Connection::Connection(const DatabaseLocation &location, bool create)
    : m_engine(Engine::create(location))
{
    static int counter = 0;
    m_name = QStringLiteral("torva-%1").arg(++counter);
    try {
        m_database = m_engine->open(m_name, create);
    } catch (...) {
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

Connection::~Connection()
{
    m_statements.clear();
    m_oneOff.reset();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const
{
    return m_database;
}

PreparedStatement &Connection::prepared(const QString &statement, bool keep)
{
    if (keep) {
        const auto found = m_statements.find(statement);
        if (found != m_statements.end())
            return *found.value();
        if (m_statements.size() >= KeptStatements)
            m_statements.clear();
    }
    m_oneOff.reset();
    std::unique_ptr<PreparedStatement> prepared = m_engine->newStatement(database());
    if (!prepared->prepare(m_engine->translated(statement), keep))
        throw error(prepared->lastError(), statement);
    if (!keep) {
        m_oneOff = std::move(prepared);
        return *m_oneOff;
    }
    return *m_statements.insert(statement, std::shared_ptr<PreparedStatement>(std::move(prepared))).value();
}

DataAccessError Connection::error(const QSqlError &sqlError, const QString &statement)
{
    if (m_engine->isConnectionLost(sqlError))
        m_broken = true;
    return m_engine->error(sqlError, statement);
}

void Connection::createSchema()
{
    QSqlDatabase db = database();
    m_statements.clear();
    m_engine->createSchema(db);
}

void Connection::run(const QString &statement)
{
    QSqlQuery query(database());
    if (!query.exec(statement))
        throw error(query.lastError(), statement);
}
