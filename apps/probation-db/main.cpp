// probation-db: creates, fills, describes and checks the probation database.
//
//   probation-db [--database LOCATION] init
//   probation-db [--database LOCATION] seed --demo
//   probation-db [--database LOCATION] info
//   probation-db [--database LOCATION] check
//
// LOCATION is sqlite:/folder, postgresql://user@host:port/database or
// odbc:DSN=name; without it TORVA_DATABASE or the embedded default is used.
// Exit status: 0 done, 1 the database failed (or, for check, a check
// failed), 2 a command line it does not understand (nothing is done then).

#include "controls/zipcode.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/databasecheck.h"
#include "demodata.h"
#include "data/schema.h"
#include "data/tableobject.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using namespace Torva;

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

void printSample(TableObject &table, const QString &title, const QString &statement, int rows)
{
    const QueryResult result = table.Fetch(statement, QVariant(), rows);
    out() << "\n" << title << "\n";
    QList<int> widths;
    for (const QString &name : result.fieldNames())
        widths << name.size();
    // A zip is shown in its digits, 01101 too, as everywhere else.
    const auto text = [&result](int row, int column) {
        return result.fieldNames().at(column) == QLatin1String("PTYZIP")
                   ? ZipCode::ZipDigits(result.value(row, column).toInt())
                   : result.value(row, column).toString();
    };
    for (int row = 0; row < result.rowCount(); ++row) {
        for (int i = 0; i < result.columnCount(); ++i)
            widths[i] = qMax(widths[i], int(text(row, i).size()));
    }
    const auto printLine = [&widths](const QStringList &texts) {
        QStringList cells;
        for (int i = 0; i < texts.size(); ++i)
            cells << texts.at(i).leftJustified(widths.at(i));
        out() << "  " << cells.join(QStringLiteral("  ")) << "\n";
    };
    printLine(result.fieldNames());
    for (int row = 0; row < result.rowCount(); ++row) {
        QStringList texts;
        for (int i = 0; i < result.columnCount(); ++i)
            texts << text(row, i);
        printLine(texts);
    }
    if (result.hasMore())
        out() << "  ...\n";
}

void info()
{
    TableObject table;
    const QString where = Database::connection().location().toDisplayString();
    out() << "Database: " << where << "\n\nRows per table:\n";
    for (const Schema::Table &definition : Schema::tables()) {
        table.Execute(QStringLiteral("Select Count(*) As ROWCOUNT From ") + definition.qualifiedName());
        out() << "  " << definition.qualifiedName().leftJustified(18)
              << table.FieldValue(QStringLiteral("ROWCOUNT")).toString().rightJustified(8) << "\n";
    }
    printSample(table, QStringLiteral("Relationship types:"),
                QStringLiteral("Select RLTCOD,RLTDSC,RLTINVDSC From DUVPRB.ARYRLT Order By RLTCOD"), 100);
    printSample(table, QStringLiteral("Clients (first 10 by name):"),
                QStringLiteral("Select CLTCNO,CLTNAM,CLTBDT From DUVPRB.PRBCLT Order By CLTNAM"), 10);
    printSample(table, QStringLiteral("Parties (first 10 by name):"),
                QStringLiteral("Select PTYKEY,PTYNAM,PTYST1,PTYCTY,PTYSTA,PTYZIP From DUVPRB.PRBPTY Order By PTYNAM"), 10);
    printSample(table, QStringLiteral("Users:"), QStringLiteral("Select SECUSR,SECNAM,SECP02 From DUVPRB.PRBSEC"), 20);
}

// One line per check; true when every check passed.
bool check()
{
    out() << "Checking " << Database::location().toDisplayString() << "\n";
    const QList<DatabaseCheck::Line> lines = DatabaseCheck::all();
    int failed = 0;
    for (const DatabaseCheck::Line &line : lines) {
        failed += line.passed || !line.checked ? 0 : 1;
        out() << (!line.checked ? "skip  " : line.passed ? "ok    " : "FAIL  ") << line.subject
              << (line.detail.isEmpty() ? QString() : QStringLiteral(": ") + line.detail.simplified()) << "\n";
    }
    out() << "\n" << lines.size() << " checks, " << failed << " failed\n";
    return failed == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("probation-db"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TORVA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates, fills, describes and checks the probation database."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption({QStringLiteral("database"),
                      QStringLiteral("sqlite:/folder, postgresql://user@host:port/db or odbc:DSN=name "
                                     "(default: TORVA_DATABASE, else the embedded database)."),
                      QStringLiteral("location")});
    parser.addOption({QStringLiteral("demo"), QStringLiteral("With seed: fill the empty tables with the demo agency.")});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("init, seed --demo, info, or check (whether the database holds what "
                                                "the controls need, its row locks included; changes nothing)"),
                                 QStringLiteral("init|seed --demo|info|check"));

    QTextStream err(stderr);
    // A command line the tool does not understand changes nothing: it ends
    // with what is wrong, the usage, and status 2.
    const auto refuse = [&err, &parser](const QString &why) {
        if (!why.isEmpty())
            err << "probation-db: " << why << "\n\n";
        err << parser.helpText();
        return 2;
    };
    if (!parser.parse(QCoreApplication::arguments()))
        return refuse(parser.errorText());
    if (parser.isSet(version))
        parser.showVersion();
    if (parser.isSet(help))
        parser.showHelp();

    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return refuse(QString());
    const QString command = arguments.first();
    if (!QStringList{QStringLiteral("init"), QStringLiteral("seed"), QStringLiteral("info"), QStringLiteral("check")}
             .contains(command))
        return refuse(QStringLiteral("unknown command \"%1\"").arg(command));
    if (arguments.size() > 1)
        return refuse(QStringLiteral("unexpected argument \"%1\" after the command (a database is named with "
                                     "--database LOCATION)")
                          .arg(arguments.at(1)));
    if (command == QLatin1String("seed") && !parser.isSet(QStringLiteral("demo")))
        return refuse(QStringLiteral("seed needs --demo (the only data set there is)"));

    try {
        if (parser.isSet(QStringLiteral("database")))
            Database::setLocation(parser.value(QStringLiteral("database")));
        if (command == QLatin1String("init")) {
            Database::initialize();
            out() << "Tables ready at " << Database::location().toDisplayString() << "\n";
        } else if (command == QLatin1String("seed")) {
            const QMap<QString, int> added = DemoData::seed();
            if (added.isEmpty())
                out() << "The demo data is already there; nothing was added.\n";
            for (auto it = added.cbegin(); it != added.cend(); ++it)
                out() << "  " << it.key().leftJustified(18) << QString::number(it.value()).rightJustified(8) << " rows added\n";
        } else if (command == QLatin1String("check")) {
            if (!check()) {
                Database::close();
                return 1;
            }
        } else {
            info();
        }
    } catch (const DataAccessError &error) {
        out().flush();
        err << "probation-db: " << error.description() << "\n";
        if (!error.statement().isEmpty())
            err << "  statement: " << error.statement() << "\n";
        return 1;
    }
    Database::close();
    return 0;
}
