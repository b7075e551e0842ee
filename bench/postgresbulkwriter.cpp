#include "postgresbulkwriter.h"

#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Torva {

namespace {
constexpr int RowsPerInsert = 1'000;
constexpr qint64 RowsPerCommit = 100'000;

void appendLiteral(std::string &out, const BulkValue &value)
{
    if (const qint64 *number = std::get_if<qint64>(&value)) {
        out += std::to_string(*number);
    } else if (const std::string *text = std::get_if<std::string>(&value)) {
        out += '\'';
        for (const char c : *text) {
            if (c == '\'')
                out += '\'';
            out += c;
        }
        out += '\'';
    } else {
        out += "NULL";
    }
}
} // namespace

PostgresBulkWriter::PostgresBulkWriter()
    : m_database(Database::connection().database())
{
    run(QStringLiteral("SET synchronous_commit = off"));
}

void PostgresBulkWriter::run(const QString &statement)
{
    QSqlQuery query(m_database);
    if (!query.exec(statement))
        throw DataAccessError(DataAccessError::StatementFailed, query.lastError().databaseText().trimmed(),
                              statement.left(200), query.lastError().nativeErrorCode());
}

void PostgresBulkWriter::beginTable(const Schema::Table &table)
{
    m_table = table.qualifiedName();
    m_insert = insertInto(table).toStdString();
    m_values.clear();
    m_gathered = 0;
    m_uncommitted = 0;
    run(QStringLiteral("BEGIN"));
}

void PostgresBulkWriter::addRow(const BulkRow &row)
{
    m_values += m_gathered == 0 ? "(" : ",(";
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            m_values += ',';
        appendLiteral(m_values, row[i]);
    }
    m_values += ')';
    if (++m_gathered >= RowsPerInsert)
        flush();
    if (++m_uncommitted >= RowsPerCommit) {
        flush();
        run(QStringLiteral("COMMIT"));
        run(QStringLiteral("BEGIN"));
        m_uncommitted = 0;
    }
}

void PostgresBulkWriter::flush()
{
    if (m_gathered == 0)
        return;
    run(QString::fromStdString(m_insert + m_values));
    m_values.clear();
    m_gathered = 0;
}

void PostgresBulkWriter::endTable()
{
    flush();
    run(QStringLiteral("COMMIT"));
}

void PostgresBulkWriter::finish()
{
    // Column statistics do not depend on the indexes made afterwards.
    run(QStringLiteral("ANALYZE"));
    run(QStringLiteral("SET synchronous_commit = on"));
}

} // namespace Torva
