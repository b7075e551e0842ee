#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace Torva {

// A statement run straight through the sqlite3 C API, as the yardstick for
// the table object: prepared once, then for each run bound, stepped over
// the rows wanted (every column of each read out, as a caller would) and
// reset. Values are converted from a QVariantList before the run is timed.
class RawStatement
{
public:
    using Value = std::variant<std::monostate, qint64, double, QByteArray>;
    using Values = std::vector<Value>;

    // Throws std::runtime_error when sqlite3 refuses the statement.
    RawStatement(sqlite3 *database, const QString &statement);
    ~RawStatement();
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    static Values valuesOf(const QVariantList &values);

    // Binds the values and steps over at most maxRows rows (every row when
    // maxRows < 0); with probeMore one step more, as a page read asks
    // whether more rows follow. Returns the rows read (for a write, the rows
    // it changed). Throws std::runtime_error when a step fails.
    int run(const Values &values, int maxRows = -1, bool probeMore = false);

    // What sqlite3 plans for the statement with these values bound (a
    // prefix bound to a Like can change the plan): one line per step of
    // EXPLAIN QUERY PLAN, indented by depth.
    static QStringList queryPlan(sqlite3 *database, const QString &statement, const Values &values);

private:
    void bind(const Values &values);
    void readRow();

    sqlite3 *m_database;
    sqlite3_stmt *m_statement = nullptr;
    QString m_text;
    qint64 m_checksum = 0;  // what the columns read add up to, so that reading them is not left out
};

} // namespace Torva
