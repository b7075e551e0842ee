#include "bulkwriter.h"

#include "postgresbulkwriter.h"
#include "sqlitebulkwriter.h"

#include "data/dataaccesserror.h"
#include "data/databaselocation.h"

namespace Torva {

BulkWriter::~BulkWriter() = default;

std::unique_ptr<BulkWriter> BulkWriter::create(const DatabaseLocation &location)
{
    switch (location.engine()) {
    case DatabaseLocation::Engine::Sqlite: return std::make_unique<SqliteBulkWriter>(location.folder());
    case DatabaseLocation::Engine::Postgres: return std::make_unique<PostgresBulkWriter>();
    case DatabaseLocation::Engine::Odbc: break;
    }
    throw DataAccessError(DataAccessError::ConfigurationError,
                          QStringLiteral("scale data is made on SQLite or PostgreSQL, not on %1")
                              .arg(location.engineName()));
}

void BulkWriter::dropSecondaryIndexes()
{
    for (const Schema::Table &table : Schema::tables()) {
        for (const Schema::Index &index : table.indexes)
            run(QStringLiteral("DROP INDEX IF EXISTS %1.%2").arg(table.library, index.name));
    }
}

QString BulkWriter::insertInto(const Schema::Table &table)
{
    QStringList columns;
    for (const Schema::Column &column : table.columns)
        columns << column.name;
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table.qualifiedName(), columns.join(QLatin1Char(',')));
}

} // namespace Torva
