#pragma once

#include "scalesizes.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "addressgenerator.h"
#include "bulkwriter.h"
#include "progressbar.h"

namespace Torva {

// Fills the empty tables of the database in force (Database::location())
// with an agency-scale data set: the code tables, the zip table, parties,
// clients and their associations, with names and addresses spread as real
// ones are. The same sizes and seed always give the same rows. The run ends
// by counting what the database holds and checking it against the plan.
class ScaleDataGenerator
{
public:
    struct Outcome
    {
        ScaleSizes sizes;
        qint64 heavyClient = 0;    // the client with the most associations
        qint64 typicalClient = 0;  // a client with exactly sizes.typicalClientAssociations
        QList<QPair<QString, qint64>> rowCounts;  // qualified table name, rows counted in the database
        double seconds = 0;
        qint64 databaseBytes = 0;
    };

    ScaleDataGenerator(const ScaleSizes &sizes, quint64 seed);

    // progress: where the progress bar goes (nullptr: nowhere). Throws
    // DataAccessError when the database fails, std::runtime_error when a
    // table already holds rows or the check at the end finds a difference.
    Outcome run(std::FILE *progress = stderr);

private:
    void requireEmptyTables();
    void writeCodeTables();
    void writeZipTable();
    void writeParties();
    void writeClients();
    void writeAssociations(Outcome &outcome);
    void check(Outcome &outcome);
    void countDatabaseSize(Outcome &outcome);
    void advance(qint64 units);
    void setStep(const QString &step);

    // A birth date (yyyymmdd) of someone between 16 and 90 years old.
    qint64 birthDate();
    // A change date as the controls write it (MMddyyyy) in the last years.
    qint64 changeDate();
    std::string changeUser();

    ScaleSizes m_sizes;
    std::mt19937_64 m_random;
    std::unique_ptr<BulkWriter> m_writer;
    std::optional<ProgressBar> m_progress;
    std::vector<AddressGenerator::ZipRow> m_zipRows;
};

} // namespace Torva
