#include "benchmarksuite.h"

#include <chrono>
#include <optional>

namespace Torva {

namespace {

const QString ComparisonGroup = QStringLiteral("TableObject against sqlite3");

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template<typename Function>
double timed(const Function &function)
{
    const Clock::time_point start = Clock::now();
    function();
    return millisecondsSince(start);
}

bool selected(const QRegularExpression &filter, const QString &group, const QString &name)
{
    return filter.pattern().isEmpty() || filter.match(group + QStringLiteral(": ") + name).hasMatch();
}

QString figures(const BenchmarkResult &result)
{
    QString line = QStringLiteral("median %1 %3  p99 %2 %3")
                       .arg(result.stats.median, 0, 'f', 3)
                       .arg(result.stats.p99, 0, 'f', 3)
                       .arg(result.unit);
    if (result.isComparison)
        line += QStringLiteral("  | sqlite3 median %1 ms  p99 %2 ms  ratio %3")
                    .arg(result.sqliteStats.median, 0, 'f', 3)
                    .arg(result.sqliteStats.p99, 0, 'f', 3)
                    .arg(result.ratio(), 0, 'f', 2);
    line += QStringLiteral("  (%1 runs)").arg(result.stats.count);
    if (result.unexpected > 0)
        line += QStringLiteral("  %1 UNEXPECTED").arg(result.unexpected);
    return line;
}

} // namespace

void BenchmarkSuite::add(const BenchmarkCase &benchmark)
{
    m_cases.push_back(benchmark);
}

void BenchmarkSuite::add(const ComparisonCase &comparison)
{
    m_comparisons.push_back(comparison);
}

bool BenchmarkSuite::enough(int samples, double seconds, const Options &options)
{
    if (options.fixedSamples > 0)
        return samples >= options.fixedSamples;
    if (samples >= options.maxSamples || seconds >= options.maxSeconds)
        return true;
    return samples >= options.minSamples && seconds >= options.minSeconds;
}

QList<BenchmarkResult> BenchmarkSuite::run(const Options &options, QTextStream &progress)
{
    QList<BenchmarkResult> results;
    for (const BenchmarkCase &benchmark : m_cases) {
        if (!selected(options.filter, benchmark.group, benchmark.name))
            continue;
        progress << benchmark.group << ": " << benchmark.name << " ... " << Qt::flush;
        results << runCase(benchmark, options);
        progress << figures(results.last()) << "\n" << Qt::flush;
    }
    for (const ComparisonCase &comparison : m_comparisons) {
        if (!selected(options.filter, ComparisonGroup, comparison.name))
            continue;
        progress << ComparisonGroup << ": " << comparison.name << " ... " << Qt::flush;
        results << runComparison(comparison, options);
        progress << figures(results.last()) << "\n" << Qt::flush;
    }
    return results;
}

BenchmarkResult BenchmarkSuite::runCase(const BenchmarkCase &benchmark, const Options &options)
{
    BenchmarkResult result;
    result.group = benchmark.group;
    result.name = benchmark.name;
    result.budget = benchmark.budget;
    result.unit = benchmark.unit;
    result.note = benchmark.note;

    // One run: its time, or the figure it gives instead (none when it has none).
    const auto run = [&benchmark](bool &asExpected) -> std::optional<double> {
        if (benchmark.prepare)
            benchmark.prepare();
        if (benchmark.figure) {
            const std::optional<double> figure = benchmark.figure();
            asExpected = figure.has_value();
            return figure;
        }
        return timed([&] { asExpected = benchmark.measure(); });
    };
    bool asExpected = true;
    for (int i = 0; i < options.warmUp && options.fixedSamples == 0; ++i)
        run(asExpected);
    std::vector<double> samples;
    int runs = 0;
    const Clock::time_point start = Clock::now();
    while (!enough(runs, millisecondsSince(start) / 1000.0, options)) {
        ++runs;
        if (const std::optional<double> sample = run(asExpected))
            samples.push_back(*sample);
        if (!asExpected)
            ++result.unexpected;
    }
    if (benchmark.cleanUp)
        benchmark.cleanUp();
    result.stats = SampleStats::of(std::move(samples));
    return result;
}

BenchmarkResult BenchmarkSuite::runComparison(const ComparisonCase &comparison, const Options &options)
{
    BenchmarkResult result;
    result.group = ComparisonGroup;
    result.name = comparison.name;
    result.note = comparison.note;
    result.isComparison = true;
    result.budgetRatio = comparison.budgetRatio;

    for (int i = 0; i < options.warmUp && options.fixedSamples == 0; ++i) {
        comparison.prepare();
        comparison.throughTableObject();
        comparison.throughSqlite();
    }
    std::vector<double> tableObject;
    std::vector<double> sqlite;
    const Clock::time_point start = Clock::now();
    while (!enough(int(tableObject.size()), millisecondsSince(start) / 1000.0, options)) {
        comparison.prepare();
        if (tableObject.size() % 2 == 0) {
            tableObject.push_back(timed(comparison.throughTableObject));
            sqlite.push_back(timed(comparison.throughSqlite));
        } else {
            sqlite.push_back(timed(comparison.throughSqlite));
            tableObject.push_back(timed(comparison.throughTableObject));
        }
    }
    result.stats = SampleStats::of(std::move(tableObject));
    result.sqliteStats = SampleStats::of(std::move(sqlite));
    return result;
}

} // namespace Torva
