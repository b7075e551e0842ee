#include "scaledatagenerator.h"

#include "associationplan.h"
#include "generousdeadline.h"
#include "namegenerator.h"
#include "relationshiptypes.h"

#include "data/database.h"
#include "demodata.h"
#include "demoreferencedata.h"
#include "data/schema.h"
#include "data/engines/sqliteengine.h"
#include "data/tableobject.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>

#include <stdexcept>

namespace Torva {

namespace {

const QString Parties = QStringLiteral("DUVPRB.PRBPTY");
const QString Clients = QStringLiteral("DUVPRB.PRBCLT");
const QString Associations = QStringLiteral("DUVPRB.PRBCLTASC");
const QString RelationshipCodes = QStringLiteral("DUVPRB.ARYRLT");
const QString Security = QStringLiteral("DUVPRB.PRBSEC");
const QString ZipTable = QStringLiteral("DUVCRT.ZIPDTA");
const QString SexCodes = QStringLiteral("DUVCRT.ARYSEX");
const QString States = QStringLiteral("DUVCRT.ARYSTA");

// The user the benchmarks sign on as; like the supervisor it may delete associations.
const QString BenchUser = QStringLiteral("BENCH");

const char *const ChangeUsers[] = {"OFFICER", "SUPERVISOR", "JSMITH", "MGARCIA", "TNGUYEN", "KJOHNSON"};

const Schema::Table &tableNamed(const QString &name)
{
    const Schema::Table *table = Schema::table(name);
    if (!table)
        throw std::logic_error("the schema has no table " + name.toStdString());
    return *table;
}

// Where each named column sits in the table's rows (Schema's order); the
// generator names every column, so that a column added to the schema is noticed.
std::vector<std::size_t> positions(const Schema::Table &table, const QStringList &columns)
{
    std::vector<std::size_t> at;
    for (const QString &column : columns) {
        for (qsizetype c = 0; c < table.columns.size(); ++c) {
            if (table.columns.at(c).name == column)
                at.push_back(std::size_t(c));
        }
    }
    if (at.size() != std::size_t(columns.size()) || at.size() != std::size_t(table.columns.size()))
        throw std::logic_error("the generator and the schema disagree on the columns of "
                               + table.qualifiedName().toStdString());
    return at;
}

// A row of the table with the values of the columns named, in that order.
BulkRow rowFor(const Schema::Table &table, const QStringList &columns, BulkRow values)
{
    const std::vector<std::size_t> at = positions(table, columns);
    BulkRow row(at.size());
    for (std::size_t i = 0; i < at.size(); ++i)
        row[at[i]] = std::move(values[i]);
    return row;
}

std::string text(const char *value)
{
    return std::string(value);
}

qint64 countRows(TableObject &table, const QString &statement, const QVariantList &values = {})
{
    table.Execute(statement, values.isEmpty() ? QVariant() : QVariant(values));
    return table.FieldValue(QStringLiteral("ROWCOUNT")).toLongLong();
}

} // namespace

ScaleDataGenerator::ScaleDataGenerator(const ScaleSizes &sizes, quint64 seed)
    : m_sizes(sizes)
    , m_random(seed)
{
}

void ScaleDataGenerator::setStep(const QString &step)
{
    if (m_progress)
        m_progress->setStep(step);
}

void ScaleDataGenerator::advance(qint64 units)
{
    if (m_progress)
        m_progress->advance(units);
}

ScaleDataGenerator::Outcome ScaleDataGenerator::run(std::FILE *progress)
{
    const GenerousDeadline deadline;  // the indexes and the check at full scale take longer than a control may
    QElapsedTimer clock;
    clock.start();
    const qint64 bigRows = m_sizes.parties + m_sizes.clients + m_sizes.associations;
    // Building the indexes and the check at the end count as a share of the rows.
    const qint64 indexUnits = bigRows / 4;
    const qint64 checkUnits = bigRows / 8;
    if (progress)
        m_progress.emplace(bigRows + m_sizes.zipRows + indexUnits + checkUnits, progress);

    Outcome outcome;
    outcome.sizes = m_sizes;
    setStep(QStringLiteral("tables"));
    Database::initialize();
    requireEmptyTables();

    m_writer = BulkWriter::create(Database::location());
    m_writer->dropSecondaryIndexes();
    writeCodeTables();
    writeZipTable();
    writeParties();
    writeClients();
    writeAssociations(outcome);
    m_writer->finish();
    m_writer.reset();

    setStep(QStringLiteral("indexes"));
    Database::initialize();  // makes the indexes dropped for the load
    advance(indexUnits);

    setStep(QStringLiteral("check"));
    check(outcome);
    advance(checkUnits);
    countDatabaseSize(outcome);
    if (m_progress) {
        m_progress->setStep(QStringLiteral("done"));
        m_progress->finish();
    }
    outcome.seconds = clock.elapsed() / 1000.0;
    return outcome;
}

void ScaleDataGenerator::requireEmptyTables()
{
    TableObject table;
    for (const Schema::Table &definition : Schema::tables()) {
        const QueryResult rows = table.Fetch(QStringLiteral("Select * From ") + definition.qualifiedName(), QVariant(), 1);
        if (!rows.isEmpty())
            throw std::runtime_error(definition.qualifiedName().toStdString()
                                     + " already holds rows: scale data goes into an empty database "
                                       "(a new folder, or a new PostgreSQL database)");
    }
    table.Close();
}

void ScaleDataGenerator::writeCodeTables()
{
    setStep(QStringLiteral("code tables"));
    const Schema::Table &sex = tableNamed(SexCodes);
    m_writer->beginTable(sex);
    for (const auto &code : DemoReferenceData::sexCodes())
        m_writer->addRow(rowFor(sex, {QStringLiteral("SEXCOD"), QStringLiteral("SEXDSC")},
                                {text(code.code), text(code.description)}));
    m_writer->endTable();

    const Schema::Table &states = tableNamed(States);
    m_writer->beginTable(states);
    for (const auto &state : DemoReferenceData::states())
        m_writer->addRow(rowFor(states, {QStringLiteral("STACOD"), QStringLiteral("STADSC"), QStringLiteral("STACTR")},
                                {text(state.code), text(state.name), text(state.country)}));
    m_writer->endTable();

    const Schema::Table &relationships = tableNamed(RelationshipCodes);
    m_writer->beginTable(relationships);
    for (const RelationshipTypes::Type &type : RelationshipTypes::all())
        m_writer->addRow(rowFor(relationships,
                                {QStringLiteral("RLTCOD"), QStringLiteral("RLTDSC"), QStringLiteral("RLTINVDSC")},
                                {qint64(type.code), type.description, type.inverseDescription}));
    m_writer->endTable();

    const Schema::Table &security = tableNamed(Security);
    const QStringList securityColumns{QStringLiteral("SECUSR"), QStringLiteral("SECNAM"), QStringLiteral("SECP01"),
                                      QStringLiteral("SECP02"), QStringLiteral("SECP03")};
    m_writer->beginTable(security);
    m_writer->addRow(rowFor(security, securityColumns,
                            {DemoData::supervisorUser().toStdString(), text("SUPERVISOR, SUSAN"), text("Y"), text("Y"),
                             text("Y")}));
    m_writer->addRow(rowFor(security, securityColumns,
                            {DemoData::officerUser().toStdString(), text("OFFICER, OSCAR"), text("Y"), text("N"),
                             text("Y")}));
    m_writer->addRow(rowFor(security, securityColumns,
                            {BenchUser.toStdString(), text("BENCHMARK, BETTY"), text("Y"), text("Y"), text("Y")}));
    m_writer->endTable();
}

void ScaleDataGenerator::writeZipTable()
{
    setStep(QStringLiteral("zip table"));
    AddressGenerator addresses(m_random);
    m_zipRows = addresses.zipTable(m_sizes.zipRows);
    const Schema::Table &zips = tableNamed(ZipTable);
    const std::vector<std::size_t> at =
        positions(zips, {QStringLiteral("ZIPCTY"), QStringLiteral("ZIPSTA"), QStringLiteral("ZIPKEY")});
    BulkRow row(at.size());
    m_writer->beginTable(zips);
    for (const AddressGenerator::ZipRow &zip : m_zipRows) {
        row[at[0]] = zip.city;
        row[at[1]] = zip.state;
        row[at[2]] = qint64(zip.zip);
        m_writer->addRow(row);
        advance(1);
    }
    m_writer->endTable();
}

qint64 ScaleDataGenerator::birthDate()
{
    static const qint64 first = QDate(1934, 1, 1).toJulianDay();
    static const qint64 last = QDate(2008, 12, 31).toJulianDay();
    const QDate date = QDate::fromJulianDay(std::uniform_int_distribution<qint64>(first, last)(m_random));
    return date.year() * 10000 + date.month() * 100 + date.day();
}

qint64 ScaleDataGenerator::changeDate()
{
    static const qint64 first = QDate(2012, 1, 1).toJulianDay();
    static const qint64 last = QDate(2025, 12, 31).toJulianDay();
    const QDate date = QDate::fromJulianDay(std::uniform_int_distribution<qint64>(first, last)(m_random));
    return qint64(date.month()) * 1000000 + date.day() * 10000 + date.year();
}

std::string ScaleDataGenerator::changeUser()
{
    return ChangeUsers[std::uniform_int_distribution<std::size_t>(0, std::size(ChangeUsers) - 1)(m_random)];
}

void ScaleDataGenerator::writeParties()
{
    setStep(QStringLiteral("parties"));
    NameGenerator names(m_random);
    AddressGenerator addresses(m_random);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<std::size_t> anyZip(0, m_zipRows.size() - 1);
    std::uniform_int_distribution<qint64> areaCode(201, 989);
    std::uniform_int_distribution<qint64> localNumber(2'000'000, 9'999'999);
    const auto phone = [&](double share) -> qint64 {
        return unit(m_random) < share ? areaCode(m_random) * 10'000'000 + localNumber(m_random) : 0;
    };
    const auto sex = [&]() -> std::string {
        const double draw = unit(m_random);
        return draw < 0.49 ? "M" : draw < 0.97 ? "F" : draw < 0.99 ? "U" : "X";
    };

    const Schema::Table &parties = tableNamed(Parties);
    const std::vector<std::size_t> at = positions(
        parties, {QStringLiteral("PTYKEY"), QStringLiteral("PTYNAM"), QStringLiteral("PTYST1"), QStringLiteral("PTYST2"),
                  QStringLiteral("PTYCTY"), QStringLiteral("PTYSTA"), QStringLiteral("PTYZIP"), QStringLiteral("PTYCTR"),
                  QStringLiteral("PTYIZP"), QStringLiteral("PTYHOMPHN"), QStringLiteral("PTYWRKPHN"),
                  QStringLiteral("PTYCELPHN"), QStringLiteral("PTYBDT"), QStringLiteral("PTYSEX"),
                  QStringLiteral("PTYUDT"), QStringLiteral("PTYUSR")});
    BulkRow row(at.size());
    m_writer->beginTable(parties);
    for (qint64 key = 1; key <= m_sizes.parties; ++key) {
        const AddressGenerator::ZipRow &zip = m_zipRows[anyZip(m_random)];
        row[at[0]] = key;
        row[at[1]] = names.personName(20);
        row[at[2]] = addresses.streetLine();
        row[at[3]] = addresses.secondLine();
        row[at[4]] = zip.city;
        row[at[5]] = zip.state;
        row[at[6]] = qint64(zip.zip);
        row[at[7]] = std::string();
        row[at[8]] = std::string();
        row[at[9]] = phone(0.7);
        row[at[10]] = phone(0.3);
        row[at[11]] = phone(0.6);
        row[at[12]] = birthDate();
        row[at[13]] = sex();
        row[at[14]] = changeDate();
        row[at[15]] = changeUser();
        m_writer->addRow(row);
        advance(1);
    }
    m_writer->endTable();
}

void ScaleDataGenerator::writeClients()
{
    setStep(QStringLiteral("clients"));
    NameGenerator names(m_random);
    const Schema::Table &clients = tableNamed(Clients);
    const std::vector<std::size_t> at =
        positions(clients, {QStringLiteral("CLTCNO"), QStringLiteral("CLTNAM"), QStringLiteral("CLTBDT")});
    BulkRow row(at.size());
    m_writer->beginTable(clients);
    for (qint64 number = 1; number <= m_sizes.clients; ++number) {
        row[at[0]] = number;
        row[at[1]] = names.personName(30);
        row[at[2]] = birthDate();
        m_writer->addRow(row);
        advance(1);
    }
    m_writer->endTable();
}

void ScaleDataGenerator::writeAssociations(Outcome &outcome)
{
    setStep(QStringLiteral("associations"));
    std::vector<int> codes;
    std::vector<double> weights;
    for (const RelationshipTypes::Type &type : RelationshipTypes::all()) {
        codes.push_back(type.code);
        weights.push_back(1.0 / double(codes.size()));  // the demo's types, listed first, are the common ones
    }
    AssociationPlan plan(m_sizes, codes, weights, m_random);
    outcome.heavyClient = plan.heavyClient();
    outcome.typicalClient = plan.typicalClient();

    const Schema::Table &associations = tableNamed(Associations);
    const std::vector<std::size_t> at = positions(
        associations, {QStringLiteral("ASCFLG1"), QStringLiteral("ASCKEY1"), QStringLiteral("ASCRLTCOD"),
                       QStringLiteral("ASCFLG2"), QStringLiteral("ASCKEY2"), QStringLiteral("ASCUDT"),
                       QStringLiteral("ASCUSR")});
    BulkRow row(at.size());
    m_writer->beginTable(associations);
    plan.forEach([&](const AssociationPlan::Association &association) {
        row[at[0]] = std::string(1, association.flag1);
        row[at[1]] = association.key1;
        row[at[2]] = qint64(association.code);
        row[at[3]] = std::string(1, association.flag2);
        row[at[4]] = association.key2;
        row[at[5]] = changeDate();
        row[at[6]] = changeUser();
        m_writer->addRow(row);
        advance(1);
    });
    m_writer->endTable();
}

void ScaleDataGenerator::check(Outcome &outcome)
{
    const QList<QPair<QString, qint64>> expected{
        {SexCodes, qint64(DemoReferenceData::sexCodes().size())},
        {States, qint64(DemoReferenceData::states().size())},
        {RelationshipCodes, qint64(RelationshipTypes::all().size())},
        {Security, 3},
        {ZipTable, m_sizes.zipRows},
        {Parties, m_sizes.parties},
        {Clients, m_sizes.clients},
        {Associations, m_sizes.associations},
    };
    TableObject table;
    QStringList differences;
    for (const auto &[name, rows] : expected) {
        const qint64 counted = countRows(table, QStringLiteral("Select Count(*) As ROWCOUNT From ") + name);
        outcome.rowCounts.append({name, counted});
        if (counted != rows)
            differences << QStringLiteral("%1 holds %2 rows instead of %3").arg(name).arg(counted).arg(rows);
    }

    const auto associationsOf = [&](qint64 client) {
        return countRows(table,
                         QStringLiteral("Select Count(*) As ROWCOUNT From DUVPRB.PRBCLTASC Where ASCFLG1='C' And ASCKEY1=?"),
                         {client})
               + countRows(table,
                           QStringLiteral("Select Count(*) As ROWCOUNT From DUVPRB.PRBCLTASC Where ASCFLG2='C' And ASCKEY2=?"),
                           {client});
    };
    const qint64 heavy = associationsOf(outcome.heavyClient);
    if (heavy != m_sizes.heavyClientAssociations)
        differences << QStringLiteral("client %1 has %2 associations instead of %3")
                           .arg(outcome.heavyClient).arg(heavy).arg(m_sizes.heavyClientAssociations);
    const qint64 typical = associationsOf(outcome.typicalClient);
    if (typical != m_sizes.typicalClientAssociations)
        differences << QStringLiteral("client %1 has %2 associations instead of %3")
                           .arg(outcome.typicalClient).arg(typical).arg(m_sizes.typicalClientAssociations);

    // Nobody else comes near the heavy client: the most any other subject has
    // as side 1, plus the most any has as side 2, stays below its count.
    const qint64 mostAsSide1 = countRows(
        table, QStringLiteral("Select IfNull(Max(SUBJECTROWS),0) As ROWCOUNT From (Select Count(*) As SUBJECTROWS From DUVPRB.PRBCLTASC "
                              "Where Not (ASCFLG1='C' And ASCKEY1=?) Group By ASCFLG1,ASCKEY1) As SIDE1"),
        {outcome.heavyClient});
    const qint64 mostAsSide2 = countRows(
        table, QStringLiteral("Select IfNull(Max(SUBJECTROWS),0) As ROWCOUNT From (Select Count(*) As SUBJECTROWS From DUVPRB.PRBCLTASC "
                              "Where Not (ASCFLG2='C' And ASCKEY2=?) Group By ASCFLG2,ASCKEY2) As SIDE2"),
        {outcome.heavyClient});
    if (mostAsSide1 + mostAsSide2 >= heavy)
        differences << QStringLiteral("another subject may have as many associations as client %1 (%2 + %3)")
                           .arg(outcome.heavyClient).arg(mostAsSide1).arg(mostAsSide2);
    table.Close();
    if (!differences.isEmpty())
        throw std::runtime_error("the scale database is not as planned: " + differences.join(QStringLiteral("; ")).toStdString());
}

void ScaleDataGenerator::countDatabaseSize(Outcome &outcome)
{
    if (Database::location().engine() == DatabaseLocation::Engine::Postgres) {
        TableObject table;
        table.Execute(QStringLiteral("Select pg_database_size(current_database()) As DATABASEBYTES"));
        outcome.databaseBytes = table.FieldValue(QStringLiteral("DATABASEBYTES")).toLongLong();
        return;
    }
    const QString folder = Database::location().folder();
    Database::close();  // the last connection folds the write-ahead log into the files
    for (const QString &library : Schema::libraries())
        outcome.databaseBytes += QFileInfo(SqliteEngine::libraryFile(folder, library)).size();
}

} // namespace Torva
