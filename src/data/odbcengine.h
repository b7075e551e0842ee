#pragma once

#include "engine.h"

// The agency's own DB2 for i through an ODBC data source the user configured.
// Statements pass through unchanged, "For Update of" included, so the
// database's own row locks decide; the tables already exist there.
class OdbcEngine : public Engine
{
public:
    using Engine::Engine;

    QSqlDatabase open(const QString &connectionName, bool create) override;
    void createSchema(QSqlDatabase &database) override;
    bool rewritesRowLocks() const override { return false; }
    std::unique_ptr<RowLockSession> newLockSession() override;
    bool isConnectionLost(const QSqlError &error) const override;
    bool isRowLockConflict(const QSqlError &error) const override;
};
