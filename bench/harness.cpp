#include "harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Torva::Bench {

namespace {

const QString Format = QStringLiteral("torva-bench results");

double timed(const std::function<void()> &function)
{
    QElapsedTimer clock;
    clock.start();
    function();
    return double(clock.nsecsElapsed()) / 1e6;
}

QString fullName(const QJsonValue &result)
{
    return result[u"group"].toString() + QStringLiteral(": ") + result[u"name"].toString();
}

// "0.138 ms / 0.216 ms", "311 B/row / 321 B/row": a median and p99 with as many decimals as they deserve.
QString medianAndP99(const QJsonValue &figures, const QString &unit)
{
    if (figures[u"count"].toInt() == 0)
        return QStringLiteral("no figure");
    QStringList both;
    for (const double value : {figures[u"median"].toDouble(), figures[u"p99"].toDouble()})
        both << QString::number(value, 'f', value >= 100 ? 0 : value >= 10 ? 1 : 3) + QLatin1Char(' ') + unit;
    return both.join(QStringLiteral(" / "));
}

QString budgetOf(const QJsonValue &result)
{
    const double budget = result[u"budget"].toDouble();
    if (budget <= 0)
        return QStringLiteral("—");
    if (result[u"sqlite3"].isObject())
        return QStringLiteral("≤ %1×").arg(budget);
    return QStringLiteral("≤ %1 %2").arg(budget).arg(result[u"unit"].toString());
}

// The ratio of a comparison's medians; 0 for a case.
double ratio(const QJsonObject &result)
{
    const double baseline = result[u"sqlite3"][u"median"].toDouble();
    return baseline > 0 ? result[u"figures"][u"median"].toDouble() / baseline : 0;
}

bool withinBudget(const QJsonObject &result)
{
    const double budget = result[u"budget"].toDouble();
    const double figure = result[u"sqlite3"].isObject() ? ratio(result) : result[u"figures"][u"median"].toDouble();
    return result[u"figures"][u"count"].toInt() > 0 && (budget <= 0 || figure <= budget);
}

class EventCounter : public QObject
{
public:
    int delivered = 0;
    bool eventFilter(QObject *, QEvent *) override
    {
        ++delivered;
        return false;
    }
};

} // namespace

QJsonObject figuresOf(QList<double> samples)
{
    if (samples.isEmpty())
        return {{QStringLiteral("count"), 0}};
    std::sort(samples.begin(), samples.end());
    const qsizetype n = samples.size();
    return {{QStringLiteral("count"), n},
            {QStringLiteral("median"), n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0},
            {QStringLiteral("p99"), samples[qsizetype(std::ceil(0.99 * double(n))) - 1]}};
}

QJsonArray run(const QList<Case> &cases, const Options &options, QTextStream &progress)
{
    QJsonArray results;
    for (const Case &benchmark : cases) {
        const QString name = benchmark.group + QStringLiteral(": ") + benchmark.name;
        if (!options.filter.pattern().isEmpty() && !options.filter.match(name).hasMatch())
            continue;
        progress << name << " ... " << Qt::flush;
        QList<double> samples;
        QList<double> baseline;
        int unexpected = 0;
        // One run: its time or the figure it gives, and the baseline's time
        // (going first every other run); kept unless it is a warm-up.
        const auto once = [&](bool kept) {
            if (benchmark.prepare)
                benchmark.prepare();
            const bool baselineFirst = samples.size() % 2 == 1;
            double baselineTime = 0;
            if (benchmark.baseline && baselineFirst)
                baselineTime = timed(benchmark.baseline);
            bool asExpected = true;
            std::optional<double> sample;
            if (benchmark.figure)
                asExpected = (sample = benchmark.figure()).has_value();
            else
                sample = timed([&] { asExpected = benchmark.measure(); });
            if (benchmark.baseline && !baselineFirst)
                baselineTime = timed(benchmark.baseline);
            if (!kept)
                return;
            if (sample)
                samples << *sample;
            baseline << baselineTime;
            unexpected += asExpected ? 0 : 1;
        };
        for (int i = 0; i < 5 && options.fixedSamples == 0; ++i)
            once(false);
        QElapsedTimer clock;
        clock.start();
        int runs = 0;
        const auto enough = [&] {
            const double seconds = double(clock.elapsed()) / 1000.0;
            if (options.fixedSamples > 0)
                return runs >= options.fixedSamples;
            return runs >= 10'000 || seconds >= options.seconds
                   || (runs >= 200 && seconds >= std::min(1.0, options.seconds));
        };
        for (; !enough(); ++runs)
            once(true);
        if (benchmark.cleanUp)
            benchmark.cleanUp();

        QJsonObject result{{QStringLiteral("group"), benchmark.group}, {QStringLiteral("name"), benchmark.name},
                           {QStringLiteral("unit"), benchmark.unit},   {QStringLiteral("budget"), benchmark.budget},
                           {QStringLiteral("note"), benchmark.note},   {QStringLiteral("unexpected"), unexpected},
                           {QStringLiteral("figures"), figuresOf(samples)}};
        if (benchmark.baseline)
            result.insert(QStringLiteral("sqlite3"), figuresOf(baseline));
        progress << runs << " runs, " << unexpected << " unexpected\n" << Qt::flush;
        results << result;
    }
    return results;
}

ExitStatus exitStatus(const QJsonArray &results)
{
    ExitStatus status = BudgetsMet;
    for (const QJsonValue &result : results) {
        if (result[u"figures"][u"count"].toInt() == 0)
            return Failed;
        if (!withinBudget(result.toObject()))
            status = BudgetMissed;
    }
    return status;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0 || !file.flush())
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

void save(QJsonObject run, const QString &path)
{
    run.insert(QStringLiteral("format"), Format);
    writeFile(path, QJsonDocument(run).toJson());
}

QJsonObject load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    const QJsonObject run = QJsonDocument::fromJson(file.readAll()).object();
    if (run[u"format"].toString() != Format)
        throw std::runtime_error(path.toStdString() + " holds no torva-bench results (written with --json)");
    return run;
}

QString markdown(const QList<QJsonObject> &runs)
{
    QString text;
    QTextStream out(&text);
    out << "Machine: " << runs.value(0)[u"machine"].toString() << "  \n";
    QStringList cases;
    QList<QHash<QString, QJsonObject>> byName;  // per run
    QList<QJsonObject> comparisons;
    QStringList notes;  // once each, whichever runs give it
    for (const QJsonObject &run : runs) {
        out << run[u"engine"].toString() << ": " << run[u"database"].toString() << "  \n";
        byName.append(QHash<QString, QJsonObject>());
        for (const QJsonValue &result : run[u"results"].toArray()) {
            if (!result[u"note"].toString().isEmpty())
                notes << QStringLiteral("- %1: %2").arg(result[u"name"].toString(), result[u"note"].toString());
            if (result[u"sqlite3"].isObject()) {
                comparisons << result.toObject();
                continue;
            }
            if (!cases.contains(fullName(result)))
                cases << fullName(result);
            byName.last().insert(fullName(result), result.toObject());
        }
    }
    if (!cases.isEmpty()) {
        out << "\n| Benchmark | Budget (median) |";
        for (const QJsonObject &run : runs)
            out << " " << run[u"engine"].toString() << " median / p99 |";
        out << " |\n|---|---|" << QStringLiteral("---:|").repeated(runs.size()) << "---|\n";
    }
    for (const QString &name : cases) {
        QJsonObject any;
        QStringList cells;
        QStringList missedOn;
        QStringList unexpected;
        for (qsizetype i = 0; i < runs.size(); ++i) {
            const QJsonObject result = byName.at(i).value(name);
            const QString engine = runs.at(i)[u"engine"].toString();
            if (result.isEmpty()) {
                cells << QStringLiteral("—");
                continue;
            }
            cells << medianAndP99(result[u"figures"], result[u"unit"].toString());
            any = result;
            if (!withinBudget(result))
                missedOn << engine;
            if (const int count = result[u"unexpected"].toInt())
                unexpected << QStringLiteral("%1 unexpected runs on %2").arg(count).arg(engine);
        }
        QString verdict = any[u"budget"].toDouble() > 0 ? QStringLiteral("met") : QString();
        if (!missedOn.isEmpty())
            verdict = QStringLiteral("MISSED on ") + missedOn.join(QStringLiteral(" and "));
        if (!unexpected.isEmpty())
            verdict += QStringLiteral(" (") + unexpected.join(QStringLiteral(", ")) + QLatin1Char(')');
        out << "| " << name << " | " << budgetOf(any) << " | " << cells.join(QStringLiteral(" | ")) << " | "
            << verdict.trimmed() << " |\n";
    }
    if (!comparisons.isEmpty())
        out << "\n| Statement | TableObject median / p99 | sqlite3 median / p99 | Ratio | Budget | |\n"
               "|---|---:|---:|---:|---|---|\n";
    for (const QJsonObject &result : comparisons) {
        const QString verdict = result[u"budget"].toDouble() <= 0 ? QString() : withinBudget(result) ? "met" : "MISSED";
        out << "| " << result[u"name"].toString() << " | " << medianAndP99(result[u"figures"], QStringLiteral("ms"))
            << " | " << medianAndP99(result[u"sqlite3"], QStringLiteral("ms")) << " | "
            << QString::number(ratio(result), 'f', 2) << " | " << budgetOf(result) << " | " << verdict << " |\n";
    }
    notes.removeDuplicates();
    if (!notes.isEmpty())
        out << "\n" << notes.join(QLatin1Char('\n')) << "\n";
    return text;
}

void handlePendingEvents()
{
    EventCounter counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    // At most so many rounds: a guard against a timer that fires every round.
    for (int round = 0; round < 100; ++round) {
        counter.delivered = 0;
        QCoreApplication::processEvents();
        if (counter.delivered == 0)
            break;
    }
    QCoreApplication::instance()->removeEventFilter(&counter);
}

} // namespace Torva::Bench
