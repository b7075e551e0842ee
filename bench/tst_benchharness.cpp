// The benchmark harness: the figures it reports (median, 99th percentile,
// ratio, budget) and how it runs and filters cases.

#include "benchmarkresult.h"
#include "benchmarksuite.h"
#include "samplestats.h"

#include <QTest>

#include <numeric>

class TestBenchHarness : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statsOfSamples_data();
    void statsOfSamples();
    void budgetVerdicts_data();
    void budgetVerdicts();
    void suiteRunsWhatTheFilterSelects_data();
    void suiteRunsWhatTheFilterSelects();
};

void TestBenchHarness::statsOfSamples_data()
{
    QTest::addColumn<QList<double>>("samples");
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("p99");
    QTest::addColumn<double>("mean");
    QList<double> hundred(100);
    std::iota(hundred.begin(), hundred.end(), 1.0);  // 1 .. 100
    QList<double> thousand(1000);
    std::iota(thousand.rbegin(), thousand.rend(), 1.0);  // 1000 .. 1, unsorted on purpose
    QTest::newRow("one") << QList<double>{4.0} << 4.0 << 4.0 << 4.0;
    QTest::newRow("odd count, unsorted") << QList<double>{3.0, 1.0, 2.0} << 2.0 << 3.0 << 2.0;
    QTest::newRow("even count") << QList<double>{1.0, 2.0, 3.0, 10.0} << 2.5 << 10.0 << 4.0;
    QTest::newRow("hundred") << hundred << 50.5 << 99.0 << 50.5;
    QTest::newRow("thousand") << thousand << 500.5 << 990.0 << 500.5;
}

void TestBenchHarness::statsOfSamples()
{
    QFETCH(QList<double>, samples);
    const SampleStats stats = SampleStats::of(std::vector<double>(samples.begin(), samples.end()));
    QCOMPARE(stats.count, int(samples.size()));
    QTEST(stats.median, "median");
    QTEST(stats.p99, "p99");
    QTEST(stats.mean, "mean");
    QCOMPARE(stats.min, *std::min_element(samples.begin(), samples.end()));
    QCOMPARE(stats.max, *std::max_element(samples.begin(), samples.end()));
}

void TestBenchHarness::budgetVerdicts_data()
{
    QTest::addColumn<bool>("comparison");
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("sqliteMedian");
    QTest::addColumn<double>("budget");
    QTest::addColumn<bool>("within");
    QTest::newRow("time within") << false << 4.9 << 0.0 << 5.0 << true;
    QTest::newRow("time on the budget") << false << 5.0 << 0.0 << 5.0 << true;
    QTest::newRow("time over") << false << 5.1 << 0.0 << 5.0 << false;
    QTest::newRow("no time budget") << false << 500.0 << 0.0 << 0.0 << true;
    QTest::newRow("ratio within") << true << 1.2 << 1.0 << 1.3 << true;
    QTest::newRow("ratio over") << true << 2.7 << 1.0 << 1.3 << false;
    QTest::newRow("no ratio budget") << true << 80.0 << 1.0 << 0.0 << true;
}

void TestBenchHarness::budgetVerdicts()
{
    QFETCH(bool, comparison);
    QFETCH(double, median);
    QFETCH(double, sqliteMedian);
    QFETCH(double, budget);
    BenchmarkResult result;
    result.isComparison = comparison;
    result.stats = SampleStats::of({median});
    result.sqliteStats = SampleStats::of({sqliteMedian});
    (comparison ? result.budgetRatio : result.budgetMs) = budget;
    QTEST(result.withinBudget(), "within");
    if (comparison)
        QCOMPARE(result.ratio(), median / sqliteMedian);
}

void TestBenchHarness::suiteRunsWhatTheFilterSelects_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("everything") << QString() << QStringList{"Editor: load", "Editor: save", "TableObject against sqlite3: key"};
    QTest::newRow("one group") << QStringLiteral("^Editor") << QStringList{"Editor: load", "Editor: save"};
    QTest::newRow("comparisons only") << QStringLiteral("sqlite3") << QStringList{"TableObject against sqlite3: key"};
    QTest::newRow("nothing") << QStringLiteral("^none$") << QStringList();
}

void TestBenchHarness::suiteRunsWhatTheFilterSelects()
{
    QFETCH(QString, filter);
    int prepared = 0;
    int measured = 0;
    int cleanedUp = 0;
    BenchmarkSuite suite;
    suite.add(BenchmarkCase{QStringLiteral("Editor"), QStringLiteral("load"), 5.0, [&] { ++prepared; },
                            [&] { return ++measured % 2 == 0; }, [&] { ++cleanedUp; }, QString()});
    suite.add(BenchmarkCase{QStringLiteral("Editor"), QStringLiteral("save"), 0.0, {}, [] { return true; }, {}, QString()});
    int throughTable = 0;
    int throughSqlite = 0;
    suite.add(ComparisonCase{QStringLiteral("key"), QStringLiteral("Select 1"), 1.3, [] {}, [&] { ++throughTable; },
                             [&] { ++throughSqlite; }, QString()});

    BenchmarkSuite::Options options;
    options.fixedSamples = 6;
    options.filter = QRegularExpression(filter);
    QString progress;
    QTextStream stream(&progress);
    const QList<BenchmarkResult> results = suite.run(options, stream);

    QStringList names;
    for (const BenchmarkResult &result : results) {
        names << result.group + QStringLiteral(": ") + result.name;
        QCOMPARE(result.stats.count, options.fixedSamples);
    }
    QTEST(names, "names");
    if (names.contains(QStringLiteral("Editor: load"))) {
        QCOMPARE(prepared, options.fixedSamples);  // no warm-up runs with a fixed count
        QCOMPARE(results.first().unexpected, options.fixedSamples / 2);
        QCOMPARE(cleanedUp, 1);
    }
    if (names.contains(QStringLiteral("TableObject against sqlite3: key"))) {
        QCOMPARE(throughTable, options.fixedSamples);
        QCOMPARE(throughSqlite, options.fixedSamples);
        QVERIFY(results.last().isComparison);
    }
}

QTEST_GUILESS_MAIN(TestBenchHarness)
#include "tst_benchharness.moc"
