// The benchmark harness: the figures it reports (median, 99th percentile,
// ratio, budget), how it runs and filters cases, the exit status it gives,
// its result files and the table of two engines side by side, and how it
// waits for what a control put off to the event loop.

#include "benchexitstatus.h"
#include "benchmarkresult.h"
#include "benchmarksuite.h"
#include "pendingevents.h"
#include "resultfile.h"
#include "resulttable.h"
#include "samplestats.h"
#include "sidebysidetable.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

using namespace Torva;

namespace {

// A timed case's result: a median in ms against a budget (0: none), a
// median of -1 for a case that gave no figure.
BenchmarkResult timing(const QString &name, double median, double budget, int unexpected = 0)
{
    BenchmarkResult result;
    result.group = QStringLiteral("Editor");
    result.name = name;
    result.budget = budget;
    result.unexpected = unexpected;
    if (median >= 0)
        result.stats = SampleStats::of({median, median, median * 2});
    return result;
}

BenchmarkResult comparison(double ratio, double budgetRatio)
{
    BenchmarkResult result;
    result.group = QStringLiteral("TableObject against sqlite3");
    result.name = QStringLiteral("key");
    result.isComparison = true;
    result.budgetRatio = budgetRatio;
    result.stats = SampleStats::of({ratio});
    result.sqliteStats = SampleStats::of({1.0});
    return result;
}

} // namespace

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
    void exitStatusFollowsTheBudgets_data();
    void exitStatusFollowsTheBudgets();
    void resultFileKeepsEveryFigure();
    void resultFileRefusesOtherFiles_data();
    void resultFileRefusesOtherFiles();
    void sideBySideRowsJudgeBothEngines_data();
    void sideBySideRowsJudgeBothEngines();
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

void TestBenchHarness::exitStatusFollowsTheBudgets_data()
{
    QTest::addColumn<QList<BenchmarkResult>>("results");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("unexpectedLines");
    const BenchmarkResult met = timing(QStringLiteral("load"), 1.0, 5.0);
    QTest::newRow("nothing selected") << QList<BenchmarkResult>{} << BenchExitStatus::BudgetsMet << 0;
    QTest::newRow("every budget met")
        << QList<BenchmarkResult>{met, comparison(1.2, 1.3)} << BenchExitStatus::BudgetsMet << 0;
    QTest::newRow("over, with no budget")
        << QList<BenchmarkResult>{met, timing(QStringLiteral("delete"), 90.0, 0.0)} << BenchExitStatus::BudgetsMet << 0;
    QTest::newRow("unexpected runs alone do not count")
        << QList<BenchmarkResult>{met, timing(QStringLiteral("save"), 1.0, 5.0, 4)} << BenchExitStatus::BudgetsMet << 1;
    QTest::newRow("a time over its budget")
        << QList<BenchmarkResult>{timing(QStringLiteral("save"), 6.0, 5.0), met} << BenchExitStatus::BudgetMissed << 0;
    QTest::newRow("a ratio over its budget")
        << QList<BenchmarkResult>{met, comparison(1.4, 1.3)} << BenchExitStatus::BudgetMissed << 0;
    QTest::newRow("a case that gave no figure")
        << QList<BenchmarkResult>{timing(QStringLiteral("save"), 6.0, 5.0), timing(QStringLiteral("memory"), -1, 1024, 3)}
        << BenchExitStatus::Failed << 1;
}

void TestBenchHarness::exitStatusFollowsTheBudgets()
{
    QFETCH(QList<BenchmarkResult>, results);
    QTEST(BenchExitStatus::of(results), "status");
    QTEST(int(ResultTable(results).unexpectedRuns().size()), "unexpectedLines");
}

void TestBenchHarness::resultFileKeepsEveryFigure()
{
    BenchmarkResult memory = timing(QStringLiteral("memory per row"), 311.5, 1024, 2);
    memory.unit = QStringLiteral("B/row");
    memory.note = QStringLiteral("heap in use");
    const ResultFile written{QStringLiteral("SQLite"), QStringLiteral("2 cores"), QStringLiteral("sqlite at /data"),
                             {timing(QStringLiteral("load"), 0.138, 5.0), memory, comparison(1.4, 1.3)}};
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("results.json"));
    written.save(path);

    const ResultFile read = ResultFile::load(path);
    QCOMPARE(read.engine, written.engine);
    QCOMPARE(read.machine, written.machine);
    QCOMPARE(read.database, written.database);
    QCOMPARE(read.results.size(), written.results.size());
    // The tables made from either say the same, every figure and verdict.
    QCOMPARE(ResultTable(read.results).markdown(), ResultTable(written.results).markdown());
    QCOMPARE(read.results.at(1).note, memory.note);
    QCOMPARE(read.results.at(1).stats.max, memory.stats.max);
    QCOMPARE(BenchExitStatus::of(read.results), BenchExitStatus::BudgetMissed);
}

void TestBenchHarness::resultFileRefusesOtherFiles_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: no file at all
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("| Benchmark | Median |\n");
    QTest::newRow("other JSON") << QByteArray(R"({"results": []})");
}

void TestBenchHarness::resultFileRefusesOtherFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("results.json"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ResultFile::load(path));
}

void TestBenchHarness::sideBySideRowsJudgeBothEngines_data()
{
    QTest::addColumn<QList<BenchmarkResult>>("sqlite");
    QTest::addColumn<QList<BenchmarkResult>>("postgres");
    QTest::addColumn<QString>("row");
    const BenchmarkResult fast = timing(QStringLiteral("save"), 1.0, 5.0);
    const BenchmarkResult slow = timing(QStringLiteral("save"), 12.0, 5.0);
    QTest::newRow("met on both") << QList<BenchmarkResult>{fast} << QList<BenchmarkResult>{fast}
                                 << "| Editor: save | ≤ 5 ms | 1.000 ms / 2.000 ms | 1.000 ms / 2.000 ms | met |";
    QTest::newRow("missed on one") << QList<BenchmarkResult>{fast} << QList<BenchmarkResult>{slow}
                                   << "| Editor: save | ≤ 5 ms | 1.000 ms / 2.000 ms | 12.0 ms / 24.0 ms | MISSED on PostgreSQL |";
    QTest::newRow("missed on both") << QList<BenchmarkResult>{slow} << QList<BenchmarkResult>{slow}
                                    << "| Editor: save | ≤ 5 ms | 12.0 ms / 24.0 ms | 12.0 ms / 24.0 ms | MISSED on both |";
    QTest::newRow("ran on one engine only")
        << QList<BenchmarkResult>{timing(QStringLiteral("load"), 1.0, 5.0)} << QList<BenchmarkResult>{slow}
        << "| Editor: save | ≤ 5 ms | — | 12.0 ms / 24.0 ms | MISSED on PostgreSQL |";
    QTest::newRow("no budget, unexpected runs")
        << QList<BenchmarkResult>{timing(QStringLiteral("delete"), 1.0, 0.0, 2)}
        << QList<BenchmarkResult>{timing(QStringLiteral("delete"), 3.0, 0.0)}
        << "| Editor: delete | — | 1.000 ms / 2.000 ms | 3.000 ms / 6.000 ms | (2 unexpected runs on SQLite) |";
    QTest::newRow("statements compared with sqlite3 in their own table")
        << QList<BenchmarkResult>{fast, comparison(1.2, 1.3)} << QList<BenchmarkResult>{fast}
        << "| key | 1.200 ms / 1.200 ms | 1.000 ms / 1.000 ms | 1.20 | ≤ 1.3× | met |";
}

void TestBenchHarness::sideBySideRowsJudgeBothEngines()
{
    QFETCH(QList<BenchmarkResult>, sqlite);
    QFETCH(QList<BenchmarkResult>, postgres);
    QFETCH(QString, row);
    const ResultFile left{QStringLiteral("SQLite"), QStringLiteral("2 cores"), QStringLiteral("sqlite at /data"), sqlite};
    const ResultFile right{QStringLiteral("PostgreSQL"), QStringLiteral("2 cores"), QStringLiteral("postgresql at db"),
                           postgres};
    const QStringList lines = SideBySideTable(left, right).markdown().split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("| Benchmark | Budget (median) | SQLite median / p99 | PostgreSQL median / p99 | |")));
    QVERIFY2(lines.contains(row), qPrintable(lines.join(QLatin1Char('\n'))));
    // One row per benchmark, whichever engine ran it.
    QSet<QString> names;
    for (const QList<BenchmarkResult> &side : {sqlite, postgres})
        for (const BenchmarkResult &result : side)
            if (!result.isComparison)
                names << result.name;
    const qsizetype rows = std::count_if(lines.begin(), lines.end(),
                                         [](const QString &line) { return line.startsWith(QLatin1String("| Editor: ")); });
    QCOMPARE(rows, names.size());
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
