#pragma once

#include "data/tableobject.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <random>

struct sqlite3;

namespace Torva {

// What the benchmarks draw on, read once from the scale database in force
// before anything is timed: a sample of the parties on file (whole rows, of
// parties without a likely duplicate, so that the editor's checks pass
// them), the names of parties and clients to take typed prefixes from, and
// the zip table. Every draw comes from one seeded generator, so that two runs
// on the same database time the same work.
class BenchContext
{
public:
    struct Party
    {
        qint32 key = 0;
        QString name;
        QString street1;
        QString street2;
        QString city;
        QString state;
        qint32 zip = 0;
        double homePhone = 0;
        double workPhone = 0;
        double cellPhone = 0;
        qint32 birthDate = 0;
        QString sex;
        qint32 changeDate = 0;
        QString user;
    };

    struct ZipRow
    {
        QString city;
        QString state;
        qint32 zip = 0;
    };

    // infoFile: what the generator wrote with --info (may be empty).
    BenchContext(quint64 seed, const QString &infoFile, int partySample = 2000, int nameSample = 2000);

    std::mt19937_64 &random() { return m_random; }
    const Party &anyParty();
    // The first length characters of a name on file (a party's or a client's).
    QString namePrefix(int length);
    QString cityPrefix(int length);
    const ZipRow &anyZip();
    // A birth date (yyyymmdd) the date field accepts.
    qint32 anyBirthDate();
    // Whether the editor's widest duplicate search (same last and first
    // name, birth date and sex, another key) finds a party on file. A key
    // of 0 stands for a party not on file yet: every party then counts.
    bool hasLikelyDuplicate(const Party &party);

    bool isSqlite() const;
    // The engine as the tables name it: "SQLite", "PostgreSQL", "ODBC".
    QString engineLabel() const;
    // The data layer's own sqlite3 connection (with its attached files and
    // functions); nullptr on other engines.
    sqlite3 *sqliteHandle() const;
    // One line on where the run happens: engine, location, server version
    // (PostgreSQL) and table sizes.
    QString description() const { return m_description; }
    // A fact the generator wrote (heavyClient, typicalClient, ...); empty when unknown.
    QString fact(const QString &name) const { return m_facts.value(name); }

private:
    void readParties(int count);
    void readNames(int count);
    void readZipTable();
    void readFacts(const QString &infoFile);
    void describe();

    std::mt19937_64 m_random;
    TableObject m_check;
    QList<Party> m_parties;
    QStringList m_names;
    QList<ZipRow> m_zipRows;
    QHash<QString, QString> m_facts;
    QString m_description;
};

} // namespace Torva
