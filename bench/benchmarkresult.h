#pragma once

#include "samplestats.h"

#include <QString>

namespace Torva {

// The figures of one benchmark case or one statement comparison.
struct BenchmarkResult
{
    QString group;
    QString name;
    SampleStats stats;            // the case; for a comparison, through the table object
    double budget = 0;            // of the median, in unit; 0 for none
    QString unit = QStringLiteral("ms");
    int unexpected = 0;           // runs that did not do what they should
    QString note;

    bool isComparison = false;
    SampleStats sqliteStats;      // a comparison: straight through sqlite3
    double budgetRatio = 0;

    double ratio() const { return sqliteStats.median > 0 ? stats.median / sqliteStats.median : 0; }
    // Whether the figure stays within its budget (true where there is none).
    bool withinBudget() const
    {
        if (isComparison)
            return budgetRatio <= 0 || ratio() <= budgetRatio;
        return budget <= 0 || stats.median <= budget;
    }
};

} // namespace Torva
