#pragma once

#include "engine.h"

namespace Torva {

// A database reached through an ODBC data source the user configured: the
// agency's own DB2 for i, or a PostgreSQL server. Statements pass through
// unchanged and go to the driver manager directly. What the row locks are
// follows the database behind the data source, as it names itself:
// PostgreSQL gets the same advisory locks as on the direct route; any other
// (DB2 for i) keeps its own, each row read For Update in a transaction held
// open for as long as the row is (TransactionRowLocks). The
// tables already exist there: they are not made through ODBC.
class OdbcEngine : public Engine
{
public:
    using Engine::Engine;

    QSqlDatabase open(const QString &connectionName, bool create) override;
    // Makes nothing: checks that every table is there with its columns.
    void createSchema(QSqlDatabase &database) override;
    std::unique_ptr<RowLockSession> newLockSession() override;
    std::unique_ptr<PreparedStatement> newStatement(const QSqlDatabase &database) override;
    QSqlError runOwn(QSqlDatabase &database, const QString &statement) const override;
    QSqlError beginTransaction(QSqlDatabase &database) override;
    QSqlError endTransaction(QSqlDatabase &database, bool commit) override;
    QString translated(const QString &statement) const override;
    QString pageForm(const QString &statement) const override;
    bool isConnectionLost(const QSqlError &error) const override;
    bool isAlive(const QSqlDatabase &database) const override;
    // No text with a NUL character: drivers end a text there.
    bool storesText(const QString &text) const override;

    // The database's name for itself, once open ("PostgreSQL", "DB2/400 SQL").
    QString serverName() const { return m_serverName; }

    // The connection string as Qt's ODBC driver must be given it: the driver
    // puts "DSN=" before any text that names no driver or server, so a
    // data source named by DSN= goes first, without its keyword.
    static QString qtDatabaseName(const QString &connectString);

protected:
    int classify(const QSqlError &error) const override;

private:
    // Tells a PostgreSQL server the lock wait that goes with the statement
    // deadline, unless it knows it already.
    void applyDeadline(QSqlDatabase &database);

    QString m_serverName;
    bool m_postgres = false;
};

} // namespace Torva
