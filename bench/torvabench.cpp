// torva-bench: times what users of the controls wait for, on a scale
// database made by generate-scale-data, and reports the median and the 99th
// percentile of each against its budget.
//
//   torva-bench --database LOCATION [--info FILE] [--filter REGEX] [--samples N]
//               [--seconds S] [--markdown FILE] [--json FILE] [--plans] [--seed N]
//
// Exit status: 0 when every budget was met, 3 when one was missed, 2 for a
// command line it cannot use, 1 when the run failed (the database, a file,
// a benchmark that gave no figure). Runs that did not do what they should
// (a load that found no party, a save that met a message) are listed apart
// and leave the status as it is.

#include "benchcontext.h"
#include "benchexitstatus.h"
#include "benchmarksuite.h"
#include "generousdeadline.h"
#include "partieseditorbenchmarks.h"
#include "partyeditorbenchmarks.h"
#include "resultfile.h"
#include "resulttable.h"
#include "searchbenchmarks.h"
#include "silentmessages.h"
#include "statementbenchmarks.h"

#include "data/dataaccesserror.h"
#include "data/database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <sqlite3.h>

#include <limits>
#include <optional>
#include <stdexcept>

using namespace Torva;

namespace {

QString processorName()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!cpuinfo.atEnd()) {
            const QString line = QString::fromUtf8(cpuinfo.readLine());
            if (line.startsWith(QLatin1String("model name")))
                return line.section(QLatin1Char(':'), 1).trimmed();
        }
    }
    return QSysInfo::currentCpuArchitecture();
}

QString machineLine()
{
    return QStringLiteral("%1 cores (%2), %3, SQLite %4, Qt %5")
        .arg(QThread::idealThreadCount())
        .arg(processorName(), QSysInfo::prettyProductName(), QString::fromLatin1(sqlite3_libversion()),
             QString::fromLatin1(qVersion()));
}

void writeMarkdown(const QString &path, const QString &context, const ResultTable &table)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
    QTextStream out(&file);
    out << "Machine: " << machineLine() << "  \nDatabase: " << context << "\n\n" << table.markdown();
}

// A whole number of at least minimum from an option, or nothing.
std::optional<qint64> wholeNumber(const QCommandLineParser &parser, const QString &option, qint64 minimum)
{
    bool ok = false;
    const qint64 value = parser.value(option).toLongLong(&ok);
    return ok && value >= minimum ? std::optional<qint64>(value) : std::nullopt;
}

// Makes what a newer library expects of the database (indexes, functions)
// before anything is timed, on a database the generator made earlier: an
// index made anew over a million rows takes longer than a control may.
void bringSchemaUpToDate(QTextStream &out)
{
    QElapsedTimer clock;
    clock.start();
    const GenerousDeadline deadline;
    Database::initialize();
    out << "Schema up to date (" << QString::number(double(clock.elapsed()) / 1000.0, 'f', 1) << " s, untimed)\n"
        << Qt::flush;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torva-bench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the controls' work on a scale database."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("database"),
                      QStringLiteral("sqlite:/folder or postgresql://user@host:port/db (default: TORVA_DATABASE)."),
                      QStringLiteral("location")});
    parser.addOption({QStringLiteral("info"), QStringLiteral("The facts file generate-scale-data wrote (--info)."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("filter"), QStringLiteral("Only the benchmarks whose \"group: name\" matches."),
                      QStringLiteral("regex")});
    parser.addOption({QStringLiteral("samples"), QStringLiteral("Exactly this many timed runs per benchmark."),
                      QStringLiteral("count")});
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("At most this long per benchmark (default 3)."),
                      QStringLiteral("seconds"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("markdown"), QStringLiteral("Also write the results as Markdown tables."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("plans"), QStringLiteral("Print the query plan of each compared statement first.")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("Seed of the parties, names and zips drawn (default 1)."),
                      QStringLiteral("number"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("json"), QStringLiteral("Also write every figure as JSON (for bench-side-by-side)."),
                      QStringLiteral("file")});

    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usageError = [&err](const QString &text) {
        err << "torva-bench: " << text << "\n";
        return BenchExitStatus::UsageError;
    };
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());
    if (!parser.isSet(QStringLiteral("database")) && qEnvironmentVariableIsEmpty("TORVA_DATABASE"))
        return usageError(QStringLiteral("name the scale database with --database or TORVA_DATABASE"));

    BenchmarkSuite::Options options;
    bool secondsOk = false;
    options.maxSeconds = parser.value(QStringLiteral("seconds")).toDouble(&secondsOk);
    if (!secondsOk || !(options.maxSeconds > 0))
        return usageError(QStringLiteral("--seconds takes a number above 0"));
    options.minSeconds = std::min(options.minSeconds, options.maxSeconds);
    const std::optional<qint64> samples =
        parser.isSet(QStringLiteral("samples")) ? wholeNumber(parser, QStringLiteral("samples"), 1) : std::optional<qint64>(0);
    const std::optional<qint64> seed = wholeNumber(parser, QStringLiteral("seed"), 0);
    if (!samples || *samples > std::numeric_limits<int>::max())
        return usageError(QStringLiteral("--samples takes a whole number above 0"));
    if (!seed)
        return usageError(QStringLiteral("--seed takes a whole number"));
    options.fixedSamples = int(*samples);
    options.filter = QRegularExpression(parser.value(QStringLiteral("filter")), QRegularExpression::CaseInsensitiveOption);
    if (!options.filter.isValid())
        return usageError(QStringLiteral("--filter is no regular expression: ") + options.filter.errorString());

    try {
        if (parser.isSet(QStringLiteral("database")))
            Database::setLocation(parser.value(QStringLiteral("database")));
        Database::setUserName(QStringLiteral("BENCH"));
        bringSchemaUpToDate(out);
        SilentMessages messages;
        BenchContext context(quint64(*seed), parser.value(QStringLiteral("info")));
        out << "Machine:  " << machineLine() << "\nDatabase: " << context.description() << "\n\n" << Qt::flush;

        // Each group of benchmarks adds its cases here.
        BenchmarkSuite suite;
        PartyEditorBenchmarks partyEditor(context, messages);
        partyEditor.addTo(suite);
        PartiesEditorBenchmarks partiesEditor(context, messages);
        partiesEditor.addTo(suite);
        if (!partiesEditor.available())
            out << "(The associations editor is timed only with the generator's facts file: --info FILE.)\n";
        SearchBenchmarks searches(context);
        searches.addTo(suite);
        std::optional<StatementBenchmarks> statements;
        if (context.isSqlite()) {
            statements.emplace(context);
            statements->addTo(suite);
            if (parser.isSet(QStringLiteral("plans"))) {
                out << "Query plans:";
                statements->printPlans(out);
                out << "\n" << Qt::flush;
            }
        } else {
            out << "(The statements are compared with sqlite3 only on SQLite.)\n";
        }

        const QList<BenchmarkResult> results = suite.run(options, out);
        const ResultTable table(results);
        table.printText(out);
        const QStringList missed = table.missedBudgets();
        out << "\n" << (missed.isEmpty() ? QStringLiteral("Every budget met.") : QStringLiteral("Budgets missed:")) << "\n";
        for (const QString &line : missed)
            out << "  " << line << "\n";
        const QStringList unexpected = table.unexpectedRuns();
        if (!unexpected.isEmpty()) {
            out << "\nRuns that did not do what they should (their figures time another path):\n";
            for (const QString &line : unexpected)
                out << "  " << line << "\n";
            if (messages.shown() > 0)
                out << "Last message shown: \"" << messages.lastText() << "\"\n";
        }
        out << Qt::flush;
        if (parser.isSet(QStringLiteral("markdown")))
            writeMarkdown(parser.value(QStringLiteral("markdown")), context.description(), table);
        if (parser.isSet(QStringLiteral("json")))
            ResultFile{context.engineLabel(), machineLine(), context.description(), results}.save(
                parser.value(QStringLiteral("json")));
        return BenchExitStatus::of(results);
    } catch (const DataAccessError &error) {
        out.flush();
        err << "torva-bench: " << error.description() << "\n";
        if (!error.statement().isEmpty())
            err << "  statement: " << error.statement() << "\n";
    } catch (const std::exception &error) {
        out.flush();
        err << "torva-bench: " << error.what() << "\n";
    }
    return BenchExitStatus::Failed;
}
