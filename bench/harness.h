#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QTextStream>

#include <functional>
#include <optional>

// The benchmarks' own small harness, as the budgets speak of the median and
// the 99th percentile of single runs.
namespace Torva::Bench {

// What torva-bench's exit status says, and run-benchmarks.sh's after it.
// Runs that did not do what they should are reported apart and leave it as
// it is; a case that gave no figure at all has measured nothing, so the run
// failed.
enum ExitStatus { BudgetsMet = 0, Failed = 1, UsageError = 2, BudgetMissed = 3 };

const QString ComparisonGroup = QStringLiteral("TableObject against sqlite3");

// One thing a user waits for, measured on its own: measure runs are timed,
// prepare runs before each of them untimed (choosing the party, loading it
// first, ...), cleanUp once after the last. measure returns false when a run
// did not do what it should (a load that found nothing, a save that met a
// message); the results count those, so that a figure never hides that it
// timed the wrong path.
//
// A case about something other than time (the bytes a grid row takes) sets
// figure instead of measure: each run gives its figure, or nothing when it
// did not do what it should, in the case's unit. A comparison (group
// ComparisonGroup) sets baseline too: the same statement straight through
// sqlite3, timed right after or before measure (they take turns going first,
// so that neither always finds the cache warmed); its budget is then the most
// the ratio of the two medians may be.
struct Case
{
    QString group = {};  // "Party editor", "Searches", ...
    QString name = {};
    double budget = 0;  // of the median, in unit; 0 for none
    std::function<void()> prepare = {};
    std::function<bool()> measure = {};
    std::function<void()> cleanUp = {};
    QString note = {};
    QString unit = QStringLiteral("ms");
    std::function<std::optional<double>()> figure = {};
    std::function<void()> baseline = {};
};

// A case runs until it has had at least 200 runs and a second (or seconds,
// if less) has passed, and stops at 10,000 runs or after seconds, whichever
// comes first; fixedSamples, when set, is the exact number of runs instead
// (the smoke test's quick run). Five untimed warm-up runs come first.
struct Options
{
    double seconds = 3.0;
    int fixedSamples = 0;
    QRegularExpression filter;  // of "group: name"; empty matches every case
};

// Runs the cases the filter selects, one after the other, with a line on
// progress for each as it finishes. Each result is a JSON object: group,
// name, unit, budget, note, unexpected (the runs that did not do what they
// should) and figures (count, median, p99), and for a comparison sqlite3
// (the baseline's figures).
QJsonArray run(const QList<Case> &cases, const Options &options, QTextStream &progress);

// The figures of samples: their count, median and 99th percentile (nearest rank).
QJsonObject figuresOf(QList<double> samples);
ExitStatus exitStatus(const QJsonArray &results);

// Throws std::runtime_error when the file cannot be written.
void writeFile(const QString &path, const QByteArray &content);
// A run on one engine, as torva-bench --json writes it: engine ("SQLite",
// "PostgreSQL"), machine, database and results.
void save(QJsonObject run, const QString &path);
// Throws std::runtime_error for a file that holds no such run.
QJsonObject load(const QString &path);

// The runs of one or more engines as Markdown: one table with every case,
// its budget, its median and p99 on each engine and whether the budget was
// met on every engine that ran it; the comparisons with sqlite3 in a table
// of their own.
QString markdown(const QList<QJsonObject> &runs);

// Runs the event loop round after round until a round delivers no event at
// all: what a user waits for after a call to a control is often put off to
// it (a view's deferred sync, the paint it asks for, deletions), and a
// timing that ends here includes all of it.
void handlePendingEvents();

} // namespace Torva::Bench
