#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <cstdio>

namespace Torva {

// How many rows of each table a scale database holds: the agency's sizes
// (1,000,000 parties and clients, 3,000,000 associations, 41,000 zip rows)
// times a factor between MinimumScale and 1. Never more than those sizes.
struct ScaleSizes
{
    static constexpr double MinimumScale = 0.0001;

    // Throws std::invalid_argument for a factor outside [MinimumScale, 1].
    static ScaleSizes forScale(double scale);

    double scale = 1.0;
    qint64 parties = 1'000'000;
    qint64 clients = 1'000'000;
    qint64 associations = 3'000'000;
    qint64 zipRows = 41'000;
    // The client with the most associations (as either side), and one with a
    // typical number; small scales cap the first at a third of all associations.
    int heavyClientAssociations = 2'000;
    int typicalClientAssociations = 10;
};

// What a scale database holds once made.
struct ScaleOutcome
{
    ScaleSizes sizes;
    qint64 heavyClient = 0;    // the client with the most associations
    qint64 typicalClient = 0;  // a client with exactly sizes.typicalClientAssociations
    QList<QPair<QString, qint64>> rowCounts;  // qualified table name, rows counted in the database
    double seconds = 0;
    qint64 databaseBytes = 0;
};

// Fills the empty tables of the database in force (Database::location())
// with an agency-scale data set: the code tables (40 relationship types,
// directional and symmetric), the zip table, parties, clients and their
// associations, with names and addresses spread as real ones are. The same
// sizes and seed always give the same rows. It ends by counting what the
// database holds and checking it against the plan. progress: where a line
// per step goes (nullptr: nowhere). Throws DataAccessError when the
// database fails, std::runtime_error when a table already holds rows or the
// check at the end finds a difference.
ScaleOutcome generateScaleData(const ScaleSizes &sizes, quint64 seed, std::FILE *progress = stderr);

} // namespace Torva
