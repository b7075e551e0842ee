#pragma once

#include "data/queryresult.h"

#include <QSqlError>
#include <QString>
#include <QVariantList>

namespace Torva {

// One statement prepared on a connection and run with positional values,
// each engine on its database's own interface (sqlite3, libpq, ODBC).
class PreparedStatement
{
public:
    virtual ~PreparedStatement() = default;

    // Prepares the text; keep says it will be run again. False when the
    // database refuses it, with the reason in lastError().
    virtual bool prepare(const QString &statement, bool keep) = 0;

    // Has the database check the prepared statement (its tables, columns
    // and functions) without running it, where prepare() left that to the
    // first run. False when it refuses it, with the reason in lastError().
    virtual bool describe() { return true; }

    // The form of the same statement that reads one page of its rows, the
    // same rows in the same order, with "&ROWS" where the number of rows
    // goes; set before prepare() by an engine that has one. Engines that
    // read rows one at a time need none.
    virtual void setPageForm(const QString &) {}

    // Binds the values (one per marker) and runs the statement. A select
    // reads up to maxRows rows (every row when maxRows < 0) into rows, with
    // noteMore set also whether more were left, and lets the statement go at
    // once: a result left open would hold the connection's read snapshot.
    // False on failure, with the reason in lastError().
    virtual bool run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore) = 0;

    // Runs a write whose answer the caller does not wait for, where the
    // engine can send several before their answers (see
    // TableObject::QueueWrite); elsewhere it simply runs.
    virtual bool queue(const QVariantList &values)
    {
        QueryResult none;
        return run(values, none, -1, false);
    }

    // Runs a select once for each set of values, every row of each into
    // results; where the engine can, all are sent before the first answer
    // is read. False on failure, with the reason in lastError().
    virtual bool runEach(const QList<QVariantList> &valueSets, QList<QueryResult> &results)
    {
        results.clear();
        for (const QVariantList &values : valueSets) {
            QueryResult rows;
            if (!run(values, rows, -1, false))
                return false;
            results << rows;
        }
        return true;
    }

    // After a run: whether it was a select, and the rows a write affected.
    virtual bool isSelect() const = 0;
    virtual int rowsAffected() const = 0;
    virtual QSqlError lastError() const = 0;

protected:
    // Engines differ in how they hand back whole numbers held in decimal
    // columns (PostgreSQL as double, SQLite as integer); callers get integers.
    static QVariant wholeNumberAsInteger(const QVariant &value);
    static bool wholeNumber(double number);

public:
    // A timestamp as servers write it ("2026-12-07 09:15:00.123+00", the
    // zone's minutes optional, or no zone for local time).
    static QVariant dateTimeFromText(QString text);

public:
    // How a value goes to the database: as a whole number (any integer
    // type, a bool), a real number, bytes, or else as its text.
    enum class Binding { WholeNumber, RealNumber, Bytes, Text };
    static Binding bindingOf(const QVariant &value);

    // As Qt's drivers see it: no value, or a value of a type that can be null
    // and is (a null text is bound as NULL, an empty one as '').
    static bool isNullValue(const QVariant &value);
};

} // namespace Torva
