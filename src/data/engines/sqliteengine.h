#pragma once

#include "engine.h"

#include <QList>

struct sqlite3;

namespace Torva {

// The embedded database: a folder holding one SQLite file per library
// (DUVPRB.sqlite, DUVCRT.sqlite), attached under the library's name, with the
// DB2 functions the statements use, case-sensitive Like, WAL and a busy
// timeout so that several processes can share the folder.
class SqliteEngine : public Engine
{
public:
    using Engine::Engine;

    static constexpr int PageCacheKiB = 16 * 1024;

    QSqlDatabase open(const QString &connectionName, bool create) override;
    void createSchema(QSqlDatabase &database) override;
    std::unique_ptr<RowLockSession> newLockSession() override;
    // Takes the write lock at once, so that two writers queue on the busy
    // timeout instead of one failing when it upgrades a read.
    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    std::unique_ptr<PreparedStatement> newStatement(const QSqlDatabase &database) override;
    bool isConnectionLost(const QSqlError &error) const override;
    bool filesReplaced() const override;
    ~SqliteEngine() override;

    static QString libraryFile(const QString &folder, const QString &library);
    // The sqlite3 handle under an open connection of this engine.
    static sqlite3 *handle(const QSqlDatabase &database);

protected:
    int classify(const QSqlError &error) const override;

private:
    // The library files as attached, held open to ask whether a file of
    // that name is still the one attached (a file renamed over it, or
    // deleted, leaves this one without a name).
    QList<int> m_attached;
};

} // namespace Torva
