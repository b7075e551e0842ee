#pragma once

#include "benchcontext.h"
#include "rawstatement.h"

#include "data/tableobject.h"

#include <QTextStream>

#include <functional>
#include <memory>
#include <vector>

namespace Torva {

class BenchmarkSuite;

// Each statement the controls run on every load, check, save and keystroke,
// side by side through our TableObject and straight through the sqlite3 C
// API on the data layer's own connection (the same attached files, functions
// and cache), with the same values and the same number of rows read: one
// row where the controls read one (Execute), a page and the probe for more
// where a list reads a page (Fetch), every row of the small code lists.
// Only on SQLite.
class StatementBenchmarks
{
public:
    static constexpr double BudgetRatio = 1.3;

    // Throws std::runtime_error when the database in force is not SQLite.
    explicit StatementBenchmarks(BenchContext &context);

    void addTo(BenchmarkSuite &suite);
    // EXPLAIN QUERY PLAN of every statement, with values of the kind each runs with.
    void printPlans(QTextStream &out);

private:
    enum class Reading { OneRow, Page, AllRows, Write };

    struct Statement
    {
        QString name;
        QString text;       // as the table object runs it
        QString sqlite;     // as sqlite3 runs it (the same, but for a locked read's clause)
        Reading reading;
        std::function<QVariantList()> values;
        double budgetRatio;
        QString note;
    };

    void define();
    QVariantList updateValues();

    BenchContext &m_context;
    sqlite3 *m_database;
    int m_pageSize;
    std::vector<Statement> m_statements;
    std::vector<std::unique_ptr<TableObject>> m_tables;
    std::vector<std::unique_ptr<RawStatement>> m_raw;
    QVariantList m_values;
    RawStatement::Values m_rawValues;
};

} // namespace Torva
