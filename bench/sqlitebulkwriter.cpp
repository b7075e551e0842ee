#include "sqlitebulkwriter.h"

#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"

#include <sqlite3.h>

namespace Torva {

namespace {
constexpr qint64 RowsPerCommit = 250'000;
constexpr int CacheKiB = 256 * 1024;  // per library file
} // namespace

SqliteBulkWriter::SqliteBulkWriter(const QString &folder)
{
    // The data layer's own connection must not be open while the journal
    // mode changes.
    Database::close();
    check(sqlite3_open(":memory:", &m_database), QStringLiteral("open"));
    for (const QString &library : Schema::libraries()) {
        run(QStringLiteral("ATTACH DATABASE '%1' AS %2")
                .arg(SqliteEngine::libraryFile(folder, library).replace(QLatin1Char('\''), QStringLiteral("''")),
                     library));
        run(QStringLiteral("PRAGMA %1.journal_mode=OFF").arg(library));
        run(QStringLiteral("PRAGMA %1.synchronous=OFF").arg(library));
        run(QStringLiteral("PRAGMA %1.cache_size=-%2").arg(library).arg(CacheKiB));
    }
    run(QStringLiteral("PRAGMA temp_store=MEMORY"));
}

SqliteBulkWriter::~SqliteBulkWriter()
{
    close();
}

void SqliteBulkWriter::close()
{
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    sqlite3_close(m_database);
    m_database = nullptr;
}

void SqliteBulkWriter::check(int result, const QString &statement)
{
    if (result == SQLITE_OK || result == SQLITE_DONE || result == SQLITE_ROW)
        return;
    const QString message = m_database ? QString::fromUtf8(sqlite3_errmsg(m_database))
                                       : QString::fromUtf8(sqlite3_errstr(result));
    throw DataAccessError(DataAccessError::StatementFailed, message, statement, QString::number(result));
}

void SqliteBulkWriter::run(const QString &statement)
{
    const QByteArray text = statement.toUtf8();
    check(sqlite3_exec(m_database, text.constData(), nullptr, nullptr, nullptr), statement);
}

void SqliteBulkWriter::beginTable(const Schema::Table &table)
{
    QStringList markers;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        markers << QStringLiteral("?");
    m_insertText = insertInto(table) + QLatin1Char('(') + markers.join(QLatin1Char(',')) + QLatin1Char(')');
    const QByteArray text = m_insertText.toUtf8();
    check(sqlite3_prepare_v2(m_database, text.constData(), int(text.size()), &m_insert, nullptr), m_insertText);
    run(QStringLiteral("BEGIN"));
    m_uncommitted = 0;
}

void SqliteBulkWriter::addRow(const BulkRow &row)
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int marker = int(i) + 1;
        const BulkValue &value = row[i];
        if (const qint64 *number = std::get_if<qint64>(&value))
            sqlite3_bind_int64(m_insert, marker, *number);
        else if (const std::string *text = std::get_if<std::string>(&value))
            sqlite3_bind_text(m_insert, marker, text->data(), int(text->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(m_insert, marker);
    }
    check(sqlite3_step(m_insert), m_insertText);
    sqlite3_reset(m_insert);
    if (++m_uncommitted >= RowsPerCommit) {
        run(QStringLiteral("COMMIT"));
        run(QStringLiteral("BEGIN"));
        m_uncommitted = 0;
    }
}

void SqliteBulkWriter::endTable()
{
    run(QStringLiteral("COMMIT"));
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
}

void SqliteBulkWriter::finish()
{
    for (const QString &library : Schema::libraries())
        run(QStringLiteral("PRAGMA %1.journal_mode=WAL").arg(library));
    close();
}

} // namespace Torva
