#pragma once

#include "bulkwriter.h"

struct sqlite3;
struct sqlite3_stmt;

namespace Torva {

// Bulk load of an embedded database folder through the sqlite3 C API: a
// connection of its own with both library files attached, no rollback
// journal and no syncing while it loads (a failed load leaves a folder to
// throw away), one prepared insert per table and a commit every few hundred
// thousand rows. At the end the files go back to WAL, as the data layer
// keeps them.
class SqliteBulkWriter : public BulkWriter
{
public:
    explicit SqliteBulkWriter(const QString &folder);
    ~SqliteBulkWriter() override;

    void beginTable(const Schema::Table &table) override;
    void addRow(const BulkRow &row) override;
    void endTable() override;
    void finish() override;

protected:
    void run(const QString &statement) override;

private:
    void check(int result, const QString &statement);
    void close();

    sqlite3 *m_database = nullptr;
    sqlite3_stmt *m_insert = nullptr;
    QString m_insertText;
    qint64 m_uncommitted = 0;
};

} // namespace Torva
