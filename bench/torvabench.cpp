// torva-bench: times what users of the controls wait for, on a scale
// database made by generate-scale-data, and reports the median and the 99th
// percentile of each against its budget.
//
//   torva-bench --database LOCATION [--info FILE] [--filter REGEX] [--samples N]
//               [--seconds S] [--markdown FILE] [--plans] [--seed N]
//
// It measures, it never judges: budgets missed are reported, and the exit
// code only says whether every benchmark timed what it should (3 when some
// runs did not, for instance a load that found no party).

#include "benchcontext.h"
#include "benchmarksuite.h"
#include "partieseditorbenchmarks.h"
#include "partyeditorbenchmarks.h"
#include "resulttable.h"
#include "searchbenchmarks.h"
#include "silentmessages.h"
#include "statementbenchmarks.h"

#include "data/dataaccesserror.h"
#include "data/database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <sqlite3.h>

#include <optional>

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

bool writeMarkdown(const QString &path, const QString &context, const ResultTable &table)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "Machine: " << machineLine() << "  \nDatabase: " << context << "\n\n" << table.markdown();
    return true;
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
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.isSet(QStringLiteral("database")) && qEnvironmentVariableIsEmpty("TORVA_DATABASE")) {
        err << "torva-bench: name the scale database with --database or TORVA_DATABASE\n";
        return 2;
    }

    BenchmarkSuite::Options options;
    options.maxSeconds = parser.value(QStringLiteral("seconds")).toDouble();
    options.minSeconds = std::min(options.minSeconds, options.maxSeconds);
    options.fixedSamples = parser.value(QStringLiteral("samples")).toInt();
    options.filter = QRegularExpression(parser.value(QStringLiteral("filter")), QRegularExpression::CaseInsensitiveOption);
    if (!options.filter.isValid()) {
        err << "torva-bench: --filter is no regular expression: " << options.filter.errorString() << "\n";
        return 2;
    }

    try {
        if (parser.isSet(QStringLiteral("database")))
            Database::setLocation(parser.value(QStringLiteral("database")));
        Database::setUserName(QStringLiteral("BENCH"));
        SilentMessages messages;
        BenchContext context(parser.value(QStringLiteral("seed")).toULongLong(), parser.value(QStringLiteral("info")));
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
        if (parser.isSet(QStringLiteral("markdown"))
            && !writeMarkdown(parser.value(QStringLiteral("markdown")), context.description(), table)) {
            err << "torva-bench: cannot write " << parser.value(QStringLiteral("markdown")) << "\n";
            return 1;
        }
        int unexpected = 0;
        for (const BenchmarkResult &result : results)
            unexpected += result.unexpected;
        if (unexpected > 0) {
            out << unexpected << " runs did not do what they should (last message shown: \"" << messages.lastText()
                << "\"); their figures time another path.\n";
            return 3;
        }
    } catch (const DataAccessError &error) {
        out.flush();
        err << "torva-bench: " << error.description() << "\n";
        if (!error.statement().isEmpty())
            err << "  statement: " << error.statement() << "\n";
        return 1;
    } catch (const std::exception &error) {
        out.flush();
        err << "torva-bench: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
