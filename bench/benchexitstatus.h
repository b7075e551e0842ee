#pragma once

#include "benchmarkresult.h"

#include <QList>

namespace Torva {

// What torva-bench's exit status says, and run-benchmarks.sh's after it:
// whether every budget was met. Runs that did not do what they should are
// reported apart and leave it as it is; a case that gave no figure at all
// has measured nothing, so the run failed.
namespace BenchExitStatus {

constexpr int BudgetsMet = 0;
constexpr int Failed = 1;  // the database, a file or a benchmark failed: no verdict
constexpr int UsageError = 2;
constexpr int BudgetMissed = 3;

// BudgetsMet, BudgetMissed or Failed.
int of(const QList<BenchmarkResult> &results);

} // namespace BenchExitStatus

} // namespace Torva
