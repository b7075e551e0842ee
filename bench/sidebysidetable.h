#pragma once

#include "resultfile.h"

#include <QString>

namespace Torva {

// The runs of the benchmarks on two engines as one Markdown table: each
// benchmark with its budget, the median and p99 on either engine, and
// whether the budget was met on both. A benchmark run on one engine only
// shows a dash for the other and is judged on the one. The statements
// compared with sqlite3 (run on SQLite only) follow in their own table.
class SideBySideTable
{
public:
    // The files must outlive the table.
    SideBySideTable(const ResultFile &left, const ResultFile &right);

    QString markdown() const;

private:
    struct Row
    {
        const BenchmarkResult *left = nullptr;
        const BenchmarkResult *right = nullptr;
    };

    static QString figures(const BenchmarkResult *result);
    QString verdict(const Row &row) const;

    const ResultFile &m_left;
    const ResultFile &m_right;
    QList<Row> m_rows;
    QList<BenchmarkResult> m_comparisons;
};

} // namespace Torva
