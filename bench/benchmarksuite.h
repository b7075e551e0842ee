#pragma once

#include "benchmarkcase.h"
#include "benchmarkresult.h"
#include "comparisoncase.h"

#include <QList>
#include <QRegularExpression>
#include <QTextStream>

#include <vector>

namespace Torva {

// The benchmarks of one run. Each group of benchmarks adds its cases (a
// class with addTo(BenchmarkSuite &)); run() times them one after the other
// and prints a line per case as it finishes.
//
// A case runs until it has had at least minSamples runs and minSeconds
// have passed, and stops at maxSamples or maxSeconds, whichever comes
// first; fixedSamples, when set, is the exact number of runs instead (the
// smoke test's quick run). A few untimed warm-up runs come first.
class BenchmarkSuite
{
public:
    struct Options
    {
        int warmUp = 5;
        int minSamples = 200;
        int maxSamples = 10000;
        double minSeconds = 1.0;
        double maxSeconds = 3.0;
        int fixedSamples = 0;
        QRegularExpression filter;  // group and name, "Group: name"; empty matches every case
    };

    void add(const BenchmarkCase &benchmark);
    void add(const ComparisonCase &comparison);

    QList<BenchmarkResult> run(const Options &options, QTextStream &progress);

private:
    BenchmarkResult runCase(const BenchmarkCase &benchmark, const Options &options);
    BenchmarkResult runComparison(const ComparisonCase &comparison, const Options &options);
    static bool enough(int samples, double seconds, const Options &options);

    std::vector<BenchmarkCase> m_cases;
    std::vector<ComparisonCase> m_comparisons;
};

} // namespace Torva
