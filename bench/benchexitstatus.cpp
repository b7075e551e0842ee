#include "benchexitstatus.h"

namespace Torva {

int BenchExitStatus::of(const QList<BenchmarkResult> &results)
{
    int status = BudgetsMet;
    for (const BenchmarkResult &result : results) {
        if (result.stats.count == 0)
            return Failed;
        if (!result.withinBudget())
            status = BudgetMissed;
    }
    return status;
}

} // namespace Torva
