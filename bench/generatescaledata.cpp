// generate-scale-data: fills an empty database with an agency-scale data set
// for the benchmarks.
//
//   generate-scale-data --database LOCATION [--scale FACTOR] [--info FILE] [--quiet]
//
// LOCATION is sqlite:/folder (made when missing) or postgresql://user@host:port/db.
// FACTOR (0.0001 to 1, default 1) scales every big table down for quick runs.
// FILE gets the facts the benchmarks need (the two clients, the sizes), as
// an INI file of name=value lines.

#include "scaledata.h"

#include "data/dataaccesserror.h"
#include "data/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QSettings>
#include <QTextStream>

#include <stdexcept>

using namespace Torva;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fills an empty database with 1,000,000 parties, 1,000,000 clients, 3,000,000 associations "
        "(one client with 2,000), 41,000 zip rows and 40 relationship types, or a share of that."));
    parser.addHelpOption();
    parser.addOptions({{QStringLiteral("database"), QStringLiteral("sqlite:/folder or postgresql://user@host:port/db."),
                        QStringLiteral("location")},
                       {QStringLiteral("scale"), QStringLiteral("Share of the full sizes, 0.0001 to 1 (default 1)."),
                        QStringLiteral("factor"), QStringLiteral("1")},
                       {QStringLiteral("info"), QStringLiteral("Also write the facts the benchmarks need here."),
                        QStringLiteral("file")},
                       {QStringLiteral("quiet"), QStringLiteral("No progress lines.")}});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool scaleOk = false;
    const double scale = parser.value(QStringLiteral("scale")).toDouble(&scaleOk);
    if (!parser.isSet(QStringLiteral("database")) || !scaleOk) {
        err << "generate-scale-data: --database is required (scale data never goes into the default database), "
               "--scale takes a number such as 0.01\n";
        return 2;
    }
    try {
        const QString location = parser.value(QStringLiteral("database"));
        Database::setLocation(location);
        const ScaleOutcome outcome = generateScaleData(ScaleSizes::forScale(scale), 1,
                                                       parser.isSet(QStringLiteral("quiet")) ? nullptr : stderr);
        const QLocale english(QLocale::English);
        out << "Scale database ready (scale " << scale << ") in " << QString::number(outcome.seconds, 'f', 1) << " s, "
            << QString::number(double(outcome.databaseBytes) / (1024.0 * 1024.0), 'f', 0) << " MiB:\n";
        for (const auto &[table, rows] : outcome.rowCounts)
            out << "  " << table.leftJustified(18) << english.toString(rows).rightJustified(11) << " rows\n";
        out << "Client with " << outcome.sizes.heavyClientAssociations << " associations: " << outcome.heavyClient
            << "\nClient with " << outcome.sizes.typicalClientAssociations << " associations: "
            << outcome.typicalClient << "\n";
        if (parser.isSet(QStringLiteral("info"))) {
            QSettings info(parser.value(QStringLiteral("info")), QSettings::IniFormat);
            info.setValue(QStringLiteral("database"), location);
            info.setValue(QStringLiteral("scale"), scale);
            info.setValue(QStringLiteral("heavyClient"), outcome.heavyClient);
            info.setValue(QStringLiteral("heavyClientAssociations"), outcome.sizes.heavyClientAssociations);
            info.setValue(QStringLiteral("typicalClient"), outcome.typicalClient);
            info.setValue(QStringLiteral("typicalClientAssociations"), outcome.sizes.typicalClientAssociations);
            info.sync();
            if (info.status() != QSettings::NoError)
                throw std::runtime_error("cannot write " + info.fileName().toStdString());
        }
    } catch (const DataAccessError &error) {
        err << "generate-scale-data: " << error.description() << "\n";
        if (!error.statement().isEmpty())
            err << "  statement: " << error.statement() << "\n";
        return 1;
    } catch (const std::exception &error) {
        err << "generate-scale-data: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
