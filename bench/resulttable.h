#pragma once

#include "benchmarkresult.h"

#include <QList>
#include <QString>
#include <QTextStream>

// The results of a run as two tables, the timings against their budgets and
// the statements through the table object against sqlite3: as plain text
// for the terminal and as Markdown for the README.
class ResultTable
{
public:
    explicit ResultTable(const QList<BenchmarkResult> &results);

    void printText(QTextStream &out) const;
    QString markdown() const;
    // The figures that missed their budget, one line each.
    QStringList missedBudgets() const;

private:
    static QString milliseconds(double value);
    static QString budgetOf(const BenchmarkResult &result);
    static QString verdict(const BenchmarkResult &result);

    QList<BenchmarkResult> m_timings;
    QList<BenchmarkResult> m_comparisons;
};
