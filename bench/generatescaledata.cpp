// generate-scale-data: fills an empty database with an agency-scale data set
// for the benchmarks.
//
//   generate-scale-data --database LOCATION [--scale FACTOR] [--seed N] [--info FILE]
//
// LOCATION is sqlite:/folder (made when missing) or postgresql://user@host:port/db.
// FACTOR (0.0001 to 1, default 1) scales every big table down for quick runs.

#include "scaledatagenerator.h"

#include "data/dataaccesserror.h"
#include "data/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QTextStream>

#include <stdexcept>

using namespace Torva;

namespace {

QString grouped(qint64 number)
{
    QLocale english(QLocale::English);
    return english.toString(number);
}

void report(const ScaleDataGenerator::Outcome &outcome, QTextStream &out)
{
    out << "Scale database ready (scale " << outcome.sizes.scale << ") in " << QString::number(outcome.seconds, 'f', 1)
        << " s, " << QString::number(double(outcome.databaseBytes) / (1024.0 * 1024.0), 'f', 0) << " MiB:\n";
    for (const auto &[table, rows] : outcome.rowCounts)
        out << "  " << table.leftJustified(18) << grouped(rows).rightJustified(11) << " rows\n";
    out << "Client with " << outcome.sizes.heavyClientAssociations << " associations: " << outcome.heavyClient << "\n";
    out << "Client with " << outcome.sizes.typicalClientAssociations << " associations: " << outcome.typicalClient
        << "\n";
}

// The facts the benchmarks need, one "name=value" a line.
void writeInfo(const ScaleDataGenerator::Outcome &outcome, const QString &location, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
    QTextStream info(&file);
    info << "database=" << location << "\n"
         << "scale=" << outcome.sizes.scale << "\n"
         << "heavyClient=" << outcome.heavyClient << "\n"
         << "heavyClientAssociations=" << outcome.sizes.heavyClientAssociations << "\n"
         << "typicalClient=" << outcome.typicalClient << "\n"
         << "typicalClientAssociations=" << outcome.sizes.typicalClientAssociations << "\n"
         << "seconds=" << QString::number(outcome.seconds, 'f', 1) << "\n"
         << "databaseBytes=" << outcome.databaseBytes << "\n";
    for (const auto &[table, rows] : outcome.rowCounts)
        info << "rows." << table << "=" << rows << "\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("generate-scale-data"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fills an empty database with 1,000,000 parties, 1,000,000 clients, 3,000,000 associations "
        "(one client with 2,000), 41,000 zip rows and 40 relationship types, or a share of that."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("database"),
                      QStringLiteral("sqlite:/folder or postgresql://user@host:port/db (required)."),
                      QStringLiteral("location")});
    parser.addOption({QStringLiteral("scale"), QStringLiteral("Share of the full sizes, 0.0001 to 1 (default 1)."),
                      QStringLiteral("factor"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("Seed of the random rows (default 1)."),
                      QStringLiteral("number"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("info"),
                      QStringLiteral("Also write the sizes and the two clients' numbers to this file."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("quiet"), QStringLiteral("No progress bar.")});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.isSet(QStringLiteral("database"))) {
        err << "generate-scale-data: --database is required (scale data never goes into the default database)\n";
        return 2;
    }
    bool scaleOk = false;
    bool seedOk = false;
    const double scale = parser.value(QStringLiteral("scale")).toDouble(&scaleOk);
    const quint64 seed = parser.value(QStringLiteral("seed")).toULongLong(&seedOk);
    if (!scaleOk || !seedOk) {
        err << "generate-scale-data: --scale takes a number such as 0.01, --seed a whole number\n";
        return 2;
    }
    try {
        const ScaleSizes sizes = ScaleSizes::forScale(scale);
        const QString location = parser.value(QStringLiteral("database"));
        Database::setLocation(location);
        ScaleDataGenerator generator(sizes, seed);
        const ScaleDataGenerator::Outcome outcome = generator.run(parser.isSet(QStringLiteral("quiet")) ? nullptr : stderr);
        report(outcome, out);
        if (parser.isSet(QStringLiteral("info")))
            writeInfo(outcome, location, parser.value(QStringLiteral("info")));
    } catch (const DataAccessError &error) {
        err << "\ngenerate-scale-data: " << error.description() << "\n";
        if (!error.statement().isEmpty())
            err << "  statement: " << error.statement() << "\n";
        return 1;
    } catch (const std::exception &error) {
        err << "\ngenerate-scale-data: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
