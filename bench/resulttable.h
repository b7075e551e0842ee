#pragma once

#include "benchmarkresult.h"

#include <QList>
#include <QString>
#include <QTextStream>

namespace Torva {

// The results of a run as two tables, the timings (and figures in other
// units, such as bytes per grid row) against their budgets and the
// statements through the table object against sqlite3: as plain text for
// the terminal and as Markdown for the README.
class ResultTable
{
public:
    explicit ResultTable(const QList<BenchmarkResult> &results);

    void printText(QTextStream &out) const;
    QString markdown() const;
    // The figures that missed their budget, one line each.
    QStringList missedBudgets() const;
    // The cases with runs that did not do what they should, one line each
    // with their count, and the cases that gave no figure at all.
    QStringList unexpectedRuns() const;

    // A result's figures as the tables show them ("0.138 ms", "311 B/row").
    static QString median(const BenchmarkResult &result);
    static QString p99(const BenchmarkResult &result);
    static QString budgetOf(const BenchmarkResult &result);

private:
    static QString figure(double value, const QString &unit);
    static QString milliseconds(double value);
    static QString verdict(const BenchmarkResult &result);

    QList<BenchmarkResult> m_timings;
    QList<BenchmarkResult> m_comparisons;
};

} // namespace Torva
