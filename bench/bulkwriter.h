#pragma once

#include "data/schema.h"

#include <QString>

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace Torva {

class DatabaseLocation;

// One value of a bulk-loaded row: null, a whole number or a text.
using BulkValue = std::variant<std::monostate, qint64, std::string>;
// The values of one row, in the order of its table's columns in Schema.
using BulkRow = std::vector<BulkValue>;

// Writes many rows into the tables of the database in force, as fast as its
// engine allows. The tables exist already (Database::initialize()); the
// secondary indexes are dropped before the load, and the data layer makes
// them again afterwards (Database::initialize() once more), which is faster
// than keeping them up to date row by row.
class BulkWriter
{
public:
    virtual ~BulkWriter();

    // The writer for the engine of the location in force.
    static std::unique_ptr<BulkWriter> create(const DatabaseLocation &location);

    void dropSecondaryIndexes();
    virtual void beginTable(const Schema::Table &table) = 0;
    virtual void addRow(const BulkRow &row) = 0;
    virtual void endTable() = 0;
    // Writes whatever is pending and hands the database back to the data layer.
    virtual void finish() = 0;

protected:
    // Runs a statement of the writer's own; throws DataAccessError on failure.
    virtual void run(const QString &statement) = 0;
    static QString insertInto(const Schema::Table &table);
};

} // namespace Torva
