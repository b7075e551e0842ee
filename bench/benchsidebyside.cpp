// bench-side-by-side: the results of two torva-bench runs (--json), on two
// engines, as one Markdown table with both side by side.
//
//   bench-side-by-side [--markdown FILE] LEFT.json RIGHT.json
//
// Prints the table, and writes it to FILE too. It judges nothing: the runs'
// own exit statuses say whether their budgets were met.

#include "benchexitstatus.h"
#include "resultfile.h"
#include "sidebysidetable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <stdexcept>

using namespace Torva;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-side-by-side"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sets two engines' benchmark results side by side."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("markdown"), QStringLiteral("Also write the table to this file."),
                      QStringLiteral("file")});
    parser.addPositionalArgument(QStringLiteral("left"), QStringLiteral("The first run's results (torva-bench --json)."));
    parser.addPositionalArgument(QStringLiteral("right"), QStringLiteral("The second run's results."));

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(app.arguments())) {
        err << "bench-side-by-side: " << parser.errorText() << "\n";
        return BenchExitStatus::UsageError;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.positionalArguments().size() != 2) {
        err << "bench-side-by-side: name two result files\n";
        return BenchExitStatus::UsageError;
    }
    try {
        const ResultFile left = ResultFile::load(parser.positionalArguments().at(0));
        const ResultFile right = ResultFile::load(parser.positionalArguments().at(1));
        const QString markdown = SideBySideTable(left, right).markdown();
        out << markdown;
        if (parser.isSet(QStringLiteral("markdown"))) {
            QFile file(parser.value(QStringLiteral("markdown")));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)
                || file.write(markdown.toUtf8()) < 0 || !file.flush())
                throw std::runtime_error("cannot write " + file.fileName().toStdString() + ": "
                                         + file.errorString().toStdString());
        }
    } catch (const std::exception &error) {
        out.flush();
        err << "bench-side-by-side: " << error.what() << "\n";
        return BenchExitStatus::Failed;
    }
    return 0;
}
