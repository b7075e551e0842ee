// The benchmark harness: the figures it reports (median, 99th percentile,
// ratio, budget), how it runs and filters cases, the exit status it gives,
// its result files and its table of one or two engines, and how it waits
// for what a control put off to the event loop.

#include "harness.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

using namespace Torva;

namespace {

// A case's result: median ms (a p99 of twice that) against a budget (0: none); a median of -1 gave no figure.
QJsonObject timing(const QString &name, double median, double budget, int unexpected = 0)
{
    const QList<double> samples = median < 0 ? QList<double>() : QList<double>{median, median, 2 * median};
    return {{QStringLiteral("group"), QStringLiteral("Editor")}, {QStringLiteral("name"), name},
            {QStringLiteral("unit"), QStringLiteral("ms")},      {QStringLiteral("budget"), budget},
            {QStringLiteral("unexpected"), unexpected},
            {QStringLiteral("figures"), Bench::figuresOf(samples)}};
}

QJsonObject comparison(double ratio, double budgetRatio)
{
    return {{QStringLiteral("group"), Bench::ComparisonGroup}, {QStringLiteral("name"), QStringLiteral("key")},
            {QStringLiteral("budget"), budgetRatio},           {QStringLiteral("figures"), Bench::figuresOf({ratio})},
            {QStringLiteral("sqlite3"), Bench::figuresOf({1.0})}};
}

QJsonObject run(const QString &engine, const QList<QJsonObject> &results)
{
    QJsonArray array;
    for (const QJsonObject &result : results)
        array << result;
    return {{QStringLiteral("engine"), engine}, {QStringLiteral("machine"), QStringLiteral("2 cores")},
            {QStringLiteral("database"), engine + QStringLiteral(" at /data")}, {QStringLiteral("results"), array}};
}

} // namespace

class TestBenchHarness : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void figuresOfSamples_data();
    void figuresOfSamples();
    void runTimesWhatTheFilterSelects_data();
    void runTimesWhatTheFilterSelects();
    void tableAndExitStatusJudgeTheBudgets_data();
    void tableAndExitStatusJudgeTheBudgets();
    void resultFilesKeepARunAndRefuseOthers();
    void pendingEventsAreAllHandled();
};

void TestBenchHarness::figuresOfSamples_data()
{
    QTest::addColumn<QList<double>>("samples");
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("p99");
    QList<double> hundred(100);
    std::iota(hundred.begin(), hundred.end(), 1.0);  // 1 .. 100
    QList<double> thousand(1000);
    std::iota(thousand.rbegin(), thousand.rend(), 1.0);  // 1000 .. 1, unsorted on purpose
    QTest::newRow("odd count, unsorted") << QList<double>{3.0, 1.0, 2.0} << 2.0 << 3.0;
    QTest::newRow("even count") << QList<double>{1.0, 2.0, 3.0, 10.0} << 2.5 << 10.0;
    QTest::newRow("hundred") << hundred << 50.5 << 99.0;
    QTest::newRow("thousand") << thousand << 500.5 << 990.0;
}

void TestBenchHarness::figuresOfSamples()
{
    QFETCH(QList<double>, samples);
    const QJsonObject figures = Bench::figuresOf(samples);
    QCOMPARE(figures[u"count"].toInt(), samples.size());
    QTEST(figures[u"median"].toDouble(), "median");
    QTEST(figures[u"p99"].toDouble(), "p99");
}

void TestBenchHarness::runTimesWhatTheFilterSelects_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("results");  // "group: name figures/unexpected runs"
    const QStringList all{"Editor: load 6/3", "Grid: memory per row 5/1", "TableObject against sqlite3: key 6/0"};
    QTest::newRow("everything") << QString() << all;
    QTest::newRow("one group") << QStringLiteral("^editor") << all.mid(0, 1);
    QTest::newRow("comparisons only") << QStringLiteral("sqlite3") << all.mid(2);
    QTest::newRow("nothing") << QStringLiteral("^none$") << QStringList();
}

void TestBenchHarness::runTimesWhatTheFilterSelects()
{
    QFETCH(QString, filter);
    // Given a case whose every other run goes wrong, one that gives a figure
    // (or nothing, once) instead of a time, and a comparison with sqlite3
    int prepared = 0;
    int measured = 0;
    int cleanedUp = 0;
    int baselines = 0;
    QList<double> given{700, 512, -1, 600, 650, 640};
    const QList<Bench::Case> cases{
        {.group = QStringLiteral("Editor"), .name = QStringLiteral("load"), .budget = 5, .prepare = [&] { ++prepared; },
         .measure = [&] { return ++measured % 2 == 0; }, .cleanUp = [&] { ++cleanedUp; }},
        {.group = QStringLiteral("Grid"), .name = QStringLiteral("memory per row"), .budget = 1024,
         .unit = QStringLiteral("B/row"), .figure = [&]() -> std::optional<double> {
             const double value = given.takeFirst();
             return value < 0 ? std::nullopt : std::optional<double>(value);
         }},
        {.group = Bench::ComparisonGroup, .name = QStringLiteral("key"), .budget = 1.3, .measure = [] { return true; },
         .baseline = [&] { ++baselines; }}};
    Bench::Options options;
    options.fixedSamples = 6;
    options.filter = QRegularExpression(filter, QRegularExpression::CaseInsensitiveOption);

    // When they run, a fixed number of times
    QString progress;
    QTextStream stream(&progress);
    const QJsonArray results = Bench::run(cases, options, stream);

    // Then only the selected ones run, each exactly so often (no warm-ups),
    // the runs that went wrong or gave nothing counted apart
    QStringList summaries;
    for (const QJsonValue &result : results) {
        summaries << QStringLiteral("%1: %2 %3/%4")
                         .arg(result[u"group"].toString(), result[u"name"].toString())
                         .arg(result[u"figures"][u"count"].toInt())
                         .arg(result[u"unexpected"].toInt());
        if (result[u"name"] == QStringLiteral("memory per row"))
            QCOMPARE(result[u"figures"][u"median"].toDouble(), 640.0);
        if (result[u"name"] == QStringLiteral("key"))
            QCOMPARE(QList<int>({result[u"sqlite3"][u"count"].toInt(), baselines}), QList<int>({6, 6}));
    }
    QTEST(summaries, "results");
    const bool loadRan = !summaries.filter(QStringLiteral("Editor: load")).isEmpty();
    QCOMPARE(QList<int>({prepared, cleanedUp}), loadRan ? QList<int>({6, 1}) : QList<int>({0, 0}));
}

void TestBenchHarness::tableAndExitStatusJudgeTheBudgets_data()
{
    QTest::addColumn<QList<QJsonObject>>("sqlite");
    QTest::addColumn<QList<QJsonObject>>("postgres");  // empty: a run on SQLite alone
    QTest::addColumn<int>("status");                   // of the SQLite run
    QTest::addColumn<int>("rows");                     // of benchmarks, whichever engines ran them
    QTest::addColumn<QString>("row");
    const QJsonObject fast = timing(QStringLiteral("save"), 1.0, 5.0);
    const QJsonObject slow = timing(QStringLiteral("save"), 12.0, 5.0);
    QJsonObject memory = timing(QStringLiteral("memory"), 311.5, 1024);
    memory[QStringLiteral("unit")] = QStringLiteral("B/row");
    const QList<QJsonObject> none;
    QTest::newRow("met") << QList<QJsonObject>{fast} << none << int(Bench::BudgetsMet) << 1
                         << "| Editor: save | ≤ 5 ms | 1.000 ms / 2.000 ms | met |";
    QTest::newRow("a figure in its unit") << QList<QJsonObject>{memory} << none << int(Bench::BudgetsMet) << 1
                                          << "| Editor: memory | ≤ 1024 B/row | 312 B/row / 623 B/row | met |";
    QTest::newRow("missed on both")
        << QList<QJsonObject>{slow, memory} << QList<QJsonObject>{slow} << int(Bench::BudgetMissed) << 2
        << "| Editor: save | ≤ 5 ms | 12.0 ms / 24.0 ms | 12.0 ms / 24.0 ms | MISSED on SQLite and PostgreSQL |";
    QTest::newRow("ran on one engine only, missed there")
        << QList<QJsonObject>{memory} << QList<QJsonObject>{slow} << int(Bench::BudgetsMet) << 2
        << "| Editor: save | ≤ 5 ms | — | 12.0 ms / 24.0 ms | MISSED on PostgreSQL |";
    QTest::newRow("no budget, unexpected runs alone do not count")
        << QList<QJsonObject>{timing(QStringLiteral("delete"), 90.0, 0.0, 2)}
        << QList<QJsonObject>{timing(QStringLiteral("delete"), 3.0, 0.0)} << int(Bench::BudgetsMet) << 1
        << "| Editor: delete | — | 90.0 ms / 180 ms | 3.000 ms / 6.000 ms | (2 unexpected runs on SQLite) |";
    QTest::newRow("no figure fails the run")
        << QList<QJsonObject>{slow, timing(QStringLiteral("memory"), -1, 1024, 3)} << none << int(Bench::Failed) << 2
        << "| Editor: memory | ≤ 1024 ms | no figure | MISSED on SQLite (3 unexpected runs on SQLite) |";
    QTest::newRow("ratio within") << QList<QJsonObject>{comparison(1.2, 1.3)} << none << int(Bench::BudgetsMet) << 0
                                  << "| key | 1.200 ms / 1.200 ms | 1.000 ms / 1.000 ms | 1.20 | ≤ 1.3× | met |";
    QTest::newRow("ratio over") << QList<QJsonObject>{fast, comparison(1.4, 1.3)} << QList<QJsonObject>{fast}
                                << int(Bench::BudgetMissed) << 1
                                << "| key | 1.400 ms / 1.400 ms | 1.000 ms / 1.000 ms | 1.40 | ≤ 1.3× | MISSED |";
    QTest::newRow("no ratio budget") << QList<QJsonObject>{comparison(80, 0)} << none << int(Bench::BudgetsMet) << 0
                                     << "| key | 80.0 ms / 80.0 ms | 1.000 ms / 1.000 ms | 80.00 | — |  |";
}

void TestBenchHarness::tableAndExitStatusJudgeTheBudgets()
{
    QFETCH(QList<QJsonObject>, sqlite);
    QFETCH(QList<QJsonObject>, postgres);
    QFETCH(QString, row);
    QList<QJsonObject> runs{run(QStringLiteral("SQLite"), sqlite)};
    if (!postgres.isEmpty())
        runs << run(QStringLiteral("PostgreSQL"), postgres);
    QTEST(int(Bench::exitStatus(runs.first()[u"results"].toArray())), "status");
    const QStringList lines = Bench::markdown(runs).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(row), qPrintable(lines.join(QLatin1Char('\n'))));
    // One row per benchmark, whichever engines ran it, under a column per engine.
    QFETCH(int, rows);
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^\\| Editor: "))).size(), rows);
    if (rows > 0)
        QVERIFY(lines.contains(QStringLiteral("| Benchmark | Budget (median) | SQLite median / p99 |")
                               + (postgres.isEmpty() ? QString() : QStringLiteral(" PostgreSQL median / p99 |"))
                               + QStringLiteral(" |")));
}

void TestBenchHarness::resultFilesKeepARunAndRefuseOthers()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("results.json"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, Bench::load(path));
    for (const char *other : {"| Benchmark | Median |\n", R"({"results": []})"}) {
        Bench::writeFile(path, other);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Bench::load(path));
    }
    const QJsonObject saved =
        run(QStringLiteral("SQLite"), {timing(QStringLiteral("load"), 0.138, 5.0), comparison(1.4, 1.3)});
    Bench::save(saved, path);
    QCOMPARE(Bench::markdown({Bench::load(path)}), Bench::markdown({saved}));
}

void TestBenchHarness::pendingEventsAreAllHandled()
{
    // Given calls queued one after the other, the last deleting an object later
    QObject context;
    QPointer<QObject> deletedLast = new QObject;
    int ran = 0;
    std::function<void()> call = [&] {
        if (++ran < 5)
            QMetaObject::invokeMethod(&context, call, Qt::QueuedConnection);
        else
            deletedLast->deleteLater();
    };
    QMetaObject::invokeMethod(&context, call, Qt::QueuedConnection);

    Bench::handlePendingEvents();

    QCOMPARE(ran, 5);
    QVERIFY(deletedLast.isNull());
}

QTEST_GUILESS_MAIN(TestBenchHarness)
#include "tst_benchharness.moc"
