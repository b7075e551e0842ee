#pragma once

#include "bulkwriter.h"

#include <QSqlDatabase>

#include <string>

namespace Torva {

// Bulk load of a PostgreSQL database through the data layer's connection:
// inserts of a thousand rows each, written as literals (the values are our
// own, never typed by a user), in transactions of a hundred thousand rows,
// without waiting for the server to flush each commit. The tables are
// analysed afterwards so that the planner knows their sizes.
class PostgresBulkWriter : public BulkWriter
{
public:
    PostgresBulkWriter();

    void beginTable(const Schema::Table &table) override;
    void addRow(const BulkRow &row) override;
    void endTable() override;
    void finish() override;

protected:
    void run(const QString &statement) override;

private:
    void flush();

    QSqlDatabase m_database;
    QString m_table;
    std::string m_insert;   // "INSERT INTO ... VALUES "
    std::string m_values;   // the rows gathered for the next insert
    int m_gathered = 0;
    qint64 m_uncommitted = 0;
};

} // namespace Torva
