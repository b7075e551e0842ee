#pragma once

#include <QString>

#include <functional>

namespace Torva {

// One statement run two ways with the same values: through our table object
// and through the sqlite3 C API directly (prepared once, bound, stepped over
// as many rows). prepare picks the values for the next pair of runs; the two
// runs alternate which goes first, so that neither always finds the cache warmed.
struct ComparisonCase
{
    QString name;
    QString statement;         // as the table object runs it
    double budgetRatio = 1.3;  // table object median / sqlite3 median; 0 for none
    std::function<void()> prepare;
    std::function<void()> throughTableObject;
    std::function<void()> throughSqlite;
    QString note;
};

} // namespace Torva
