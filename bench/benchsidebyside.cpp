// bench-side-by-side: the results of two torva-bench runs (--json), on two
// engines, as one Markdown table with both side by side.
//
//   bench-side-by-side [--markdown FILE] LEFT.json RIGHT.json
//
// Prints the table, and writes it to FILE too. It judges nothing: the runs'
// own exit statuses say whether their budgets were met.

#include "harness.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <stdexcept>

using namespace Torva;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sets two engines' benchmark results side by side."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("markdown"), QStringLiteral("Also write it here."), QStringLiteral("file")});
    parser.addPositionalArgument(QStringLiteral("left"), QStringLiteral("The first run (torva-bench --json)."));
    parser.addPositionalArgument(QStringLiteral("right"), QStringLiteral("The second run."));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(app.arguments())) {
        err << "bench-side-by-side: " << parser.errorText() << "\n";
        return Bench::UsageError;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.positionalArguments().size() != 2) {
        err << "bench-side-by-side: name two result files\n";
        return Bench::UsageError;
    }
    try {
        const QString markdown = Bench::markdown(
            {Bench::load(parser.positionalArguments().at(0)), Bench::load(parser.positionalArguments().at(1))});
        out << markdown << Qt::flush;
        if (parser.isSet(QStringLiteral("markdown")))
            Bench::writeFile(parser.value(QStringLiteral("markdown")), markdown.toUtf8());
    } catch (const std::exception &error) {
        err << "bench-side-by-side: " << error.what() << "\n";
        return Bench::Failed;
    }
    return 0;
}
