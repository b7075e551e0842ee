#include "rawstatement.h"

#include <sqlite3.h>

#include <QHash>
#include <QStringList>

#include <stdexcept>

namespace Torva {

RawStatement::RawStatement(sqlite3 *database, const QString &statement)
    : m_database(database)
    , m_text(statement)
{
    const QByteArray text = statement.toUtf8();
    if (sqlite3_prepare_v3(database, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &m_statement,
                           nullptr)
        != SQLITE_OK)
        throw std::runtime_error("sqlite3 refuses " + text.toStdString() + ": " + sqlite3_errmsg(database));
}

RawStatement::~RawStatement()
{
    sqlite3_finalize(m_statement);
}

RawStatement::Values RawStatement::valuesOf(const QVariantList &values)
{
    Values raw;
    raw.reserve(std::size_t(values.size()));
    for (const QVariant &value : values) {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool: raw.emplace_back(value.toLongLong()); break;
        case QMetaType::Double:
        case QMetaType::Float: raw.emplace_back(value.toDouble()); break;
        default:
            if (value.isNull())
                raw.emplace_back(std::monostate());
            else
                raw.emplace_back(value.toString().toUtf8());
        }
    }
    return raw;
}

void RawStatement::readRow()
{
    const int columns = sqlite3_column_count(m_statement);
    for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(m_statement, i)) {
        case SQLITE_INTEGER: m_checksum += sqlite3_column_int64(m_statement, i); break;
        case SQLITE_FLOAT: m_checksum += qint64(sqlite3_column_double(m_statement, i)); break;
        case SQLITE_TEXT:
            if (const unsigned char *text = sqlite3_column_text(m_statement, i))
                m_checksum += *text + sqlite3_column_bytes(m_statement, i);
            break;
        default: break;
        }
    }
}

void RawStatement::bind(const Values &values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int marker = int(i) + 1;
        if (const qint64 *number = std::get_if<qint64>(&values[i]))
            sqlite3_bind_int64(m_statement, marker, *number);
        else if (const double *real = std::get_if<double>(&values[i]))
            sqlite3_bind_double(m_statement, marker, *real);
        else if (const QByteArray *text = std::get_if<QByteArray>(&values[i]))
            sqlite3_bind_text(m_statement, marker, text->constData(), int(text->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(m_statement, marker);
    }
}

int RawStatement::run(const Values &values, int maxRows, bool probeMore)
{
    bind(values);
    int rows = 0;
    int result = SQLITE_ROW;
    while (maxRows < 0 || rows < maxRows) {
        result = sqlite3_step(m_statement);
        if (result != SQLITE_ROW)
            break;
        readRow();
        ++rows;
    }
    if (result == SQLITE_ROW && probeMore)
        result = sqlite3_step(m_statement);
    const bool failed = result != SQLITE_ROW && result != SQLITE_DONE;
    if (sqlite3_column_count(m_statement) == 0 && !failed)
        rows = sqlite3_changes(m_database);
    sqlite3_reset(m_statement);
    if (failed)
        throw std::runtime_error("sqlite3 fails " + m_text.toStdString() + ": " + sqlite3_errmsg(m_database));
    return rows;
}

QStringList RawStatement::queryPlan(sqlite3 *database, const QString &statement, const Values &values)
{
    RawStatement explain(database, QStringLiteral("EXPLAIN QUERY PLAN ") + statement);
    explain.bind(values);
    QStringList lines;
    QHash<int, int> depthOf;  // step id -> depth
    while (sqlite3_step(explain.m_statement) == SQLITE_ROW) {
        const int id = sqlite3_column_int(explain.m_statement, 0);
        const int parent = sqlite3_column_int(explain.m_statement, 1);
        const int depth = depthOf.value(parent, -1) + 1;
        depthOf.insert(id, depth);
        lines << QString(depth * 2, QLatin1Char(' '))
                     + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(explain.m_statement, 3)));
    }
    sqlite3_reset(explain.m_statement);
    return lines;
}

} // namespace Torva
