// The benchmark harness: the figures it reports (median, 99th percentile,
// ratio, budget), how it runs and filters cases, and how it waits for what
// a control put off to the event loop.

#include "benchmarkresult.h"
#include "benchmarksuite.h"
#include "pendingevents.h"
#include "resulttable.h"
#include "samplestats.h"

#include <QPointer>
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
    void figureCasesReportWhatTheyGive_data();
    void figureCasesReportWhatTheyGive();
    void pendingEventsAreAllHandled_data();
    void pendingEventsAreAllHandled();
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
    (comparison ? result.budgetRatio : result.budget) = budget;
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

void TestBenchHarness::figureCasesReportWhatTheyGive_data()
{
    QTest::addColumn<QList<double>>("given");  // what each run gives; negative: nothing
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("median");
    QTest::addColumn<int>("unexpected");
    QTest::addColumn<QString>("row");  // of the Markdown table
    QTest::newRow("every run gives one")
        << QList<double>{700, 512, 600} << 3 << 600.0 << 0
        << "| Grid: memory per row | 600 B/row | 700 B/row | ≤ 1024 B/row | met |";
    QTest::newRow("a run gives none")
        << QList<double>{2000, -1, 1500} << 2 << 1750.0 << 1
        << "| Grid: memory per row | 1750 B/row | 2000 B/row | ≤ 1024 B/row | MISSED (1 unexpected runs) |";
}

void TestBenchHarness::figureCasesReportWhatTheyGive()
{
    QFETCH(QList<double>, given);
    qsizetype next = 0;
    BenchmarkSuite suite;
    BenchmarkCase memory{QStringLiteral("Grid"), QStringLiteral("memory per row"), 1024, {}, {}, {}, QString()};
    memory.unit = QStringLiteral("B/row");
    memory.figure = [&]() -> std::optional<double> {
        const double value = given.at(next++);
        return value < 0 ? std::nullopt : std::optional<double>(value);
    };
    suite.add(memory);

    BenchmarkSuite::Options options;
    options.fixedSamples = int(given.size());
    QString progress;
    QTextStream stream(&progress);
    const QList<BenchmarkResult> results = suite.run(options, stream);

    QCOMPARE(results.size(), 1);
    QTEST(results.first().stats.count, "count");
    QTEST(results.first().stats.median, "median");
    QTEST(results.first().unexpected, "unexpected");
    QFETCH(QString, row);
    const QString markdown = ResultTable(results).markdown();
    QVERIFY2(markdown.split(QLatin1Char('\n')).contains(row), qPrintable(markdown));
}

void TestBenchHarness::pendingEventsAreAllHandled_data()
{
    QTest::addColumn<int>("chain");  // queued calls, each queueing the next
    QTest::newRow("nothing pending") << 0;
    QTest::newRow("one call") << 1;
    QTest::newRow("each call queues the next") << 5;
}

void TestBenchHarness::pendingEventsAreAllHandled()
{
    QFETCH(int, chain);
    QObject context;
    QPointer<QObject> deletedLast = new QObject;
    int ran = 0;
    std::function<void()> call = [&] {
        if (++ran < chain)
            QMetaObject::invokeMethod(&context, call, Qt::QueuedConnection);
        else
            deletedLast->deleteLater();
    };
    if (chain > 0)
        QMetaObject::invokeMethod(&context, call, Qt::QueuedConnection);
    else
        delete deletedLast;

    PendingEvents::handleAll();

    QCOMPARE(ran, chain);
    QVERIFY(deletedLast.isNull());
}

QTEST_GUILESS_MAIN(TestBenchHarness)
#include "tst_benchharness.moc"
