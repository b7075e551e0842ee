#include "benchcontext.h"

#include "fields/parsename.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/statements.h"
#include "data/tableobject.h"

#include <QFile>
#include <QLocale>
#include <QSqlDriver>
#include <QTextStream>

#include <stdexcept>

namespace Torva {

namespace {

template<typename Item>
const Item &pick(const QList<Item> &items, std::mt19937_64 &random)
{
    if (items.isEmpty())
        throw std::runtime_error("the scale database has no rows to draw from");
    return items.at(std::uniform_int_distribution<qsizetype>(0, items.size() - 1)(random));
}

qint64 countOf(TableObject &table, const QString &qualifiedName)
{
    table.Execute(QStringLiteral("Select Count(*) As ROWCOUNT From ") + qualifiedName);
    return table.FieldValue(QStringLiteral("ROWCOUNT")).toLongLong();
}

} // namespace

BenchContext::BenchContext(quint64 seed, const QString &infoFile, int partySample, int nameSample)
    : m_random(seed)
{
    readFacts(infoFile);
    readParties(partySample);
    readNames(nameSample);
    readZipTable();
    describe();
}

void BenchContext::readParties(int count)
{
    TableObject table;
    table.Execute(Statements::NextPartyKey);
    const qint32 highest = table.FieldValue(QStringLiteral("MAXPTYKEY")).toInt();
    if (highest < 1)
        throw std::runtime_error("the database holds no parties: make a scale database first (generate-scale-data)");
    std::uniform_int_distribution<qint32> anyKey(1, highest);
    const QString byKey = QStringLiteral("Select * From DUVPRB.PRBPTY Where PTYKEY=?");
    for (int tries = 0; m_parties.size() < count && tries < 4 * count; ++tries) {
        table.Execute(byKey, QVariantList{anyKey(m_random)});
        if (table.Eof())
            continue;
        const auto text = [&](const char *column) { return table.FieldValue(QLatin1String(column)).toString(); };
        const auto number = [&](const char *column) { return table.FieldValue(QLatin1String(column)).toDouble(); };
        Party party;
        party.key = qint32(number("PTYKEY"));
        party.name = text("PTYNAM");
        party.street1 = text("PTYST1");
        party.street2 = text("PTYST2");
        party.city = text("PTYCTY");
        party.state = text("PTYSTA");
        party.zip = qint32(number("PTYZIP"));
        party.homePhone = number("PTYHOMPHN");
        party.workPhone = number("PTYWRKPHN");
        party.cellPhone = number("PTYCELPHN");
        party.birthDate = qint32(number("PTYBDT"));
        party.sex = text("PTYSEX");
        party.changeDate = qint32(number("PTYUDT"));
        party.user = text("PTYUSR");
        m_names << party.name;
        if (hasLikelyDuplicate(party))
            continue;
        m_parties << party;
    }
}

bool BenchContext::hasLikelyDuplicate(const Party &party)
{
    const ParsedName name = ParseName(party.name);
    m_check.Execute(Statements::DuplicateParty,
                    QVariantList{party.key, name.LastName + QStringLiteral(", ") + name.FirstName + QLatin1Char('%'),
                                 party.birthDate, party.sex});
    return !m_check.Eof();
}

void BenchContext::readNames(int count)
{
    TableObject table;
    table.Execute(QStringLiteral("Select IfNull(Max(CLTCNO),0) As MAXCLTCNO From DUVPRB.PRBCLT"));
    const qint64 highest = table.FieldValue(QStringLiteral("MAXCLTCNO")).toLongLong();
    if (highest < 1)
        return;
    std::uniform_int_distribution<qint64> anyNumber(1, highest);
    const QString byNumber = QStringLiteral("Select CLTNAM From DUVPRB.PRBCLT Where CLTCNO=?");
    for (int i = 0; i < count; ++i) {
        table.Execute(byNumber, QVariantList{anyNumber(m_random)});
        if (!table.Eof())
            m_names << table.FieldValue(QStringLiteral("CLTNAM")).toString();
    }
}

void BenchContext::readZipTable()
{
    TableObject table;
    const QueryResult rows = table.Fetch(QStringLiteral("Select ZIPCTY,ZIPSTA,ZIPKEY From DUVCRT.ZIPDTA"));
    for (int row = 0; row < rows.rowCount(); ++row)
        m_zipRows << ZipRow{rows.value(row, 0).toString(), rows.value(row, 1).toString(), rows.value(row, 2).toInt()};
}

void BenchContext::readFacts(const QString &infoFile)
{
    if (infoFile.isEmpty())
        return;
    QFile file(infoFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + infoFile.toStdString() + ": " + file.errorString().toStdString());
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            m_facts.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
}

void BenchContext::describe()
{
    TableObject table;
    const QLocale english(QLocale::English);
    QString engine = Database::location().engineName();
    if (Database::location().engine() == DatabaseLocation::Engine::Postgres) {
        table.Execute(QStringLiteral("Select current_setting('server_version') As SERVERVERSION"));
        engine += QLatin1Char(' ') + table.FieldValue(QStringLiteral("SERVERVERSION")).toString();
    }
    m_description = QStringLiteral("%1 at %2: %3 parties, %4 clients, %5 associations, %6 zip rows")
                        .arg(engine, Database::location().toDisplayString(),
                             english.toString(countOf(table, Schema::PartyTable)),
                             english.toString(countOf(table, Schema::ClientTable)),
                             english.toString(countOf(table, QStringLiteral("DUVPRB.PRBCLTASC"))),
                             english.toString(countOf(table, QStringLiteral("DUVCRT.ZIPDTA"))));
}

const BenchContext::Party &BenchContext::anyParty()
{
    return pick(m_parties, m_random);
}

QString BenchContext::namePrefix(int length)
{
    return pick(m_names, m_random).left(length);
}

QString BenchContext::cityPrefix(int length)
{
    return anyZip().city.left(length);
}

const BenchContext::ZipRow &BenchContext::anyZip()
{
    return pick(m_zipRows, m_random);
}

qint32 BenchContext::anyBirthDate()
{
    return anyParty().birthDate;
}

QString BenchContext::engineLabel() const
{
    switch (Database::location().engine()) {
    case DatabaseLocation::Engine::Sqlite: return QStringLiteral("SQLite");
    case DatabaseLocation::Engine::Postgres: return QStringLiteral("PostgreSQL");
    case DatabaseLocation::Engine::Odbc: return QStringLiteral("ODBC");
    }
    return Database::location().engineName();
}

bool BenchContext::isSqlite() const
{
    return Database::location().engine() == DatabaseLocation::Engine::Sqlite;
}

sqlite3 *BenchContext::sqliteHandle() const
{
    if (!isSqlite())
        return nullptr;
    const QVariant handle = Database::connection().database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

} // namespace Torva
