#include "demodata.h"

#include "data/dataaccesserror.h"
#include "data/schema.h"
#include "demoreferencedata.h"
#include "data/tableobject.h"

#include <QDate>
#include <QSet>

#include <random>

namespace Torva {

namespace {

using namespace DemoReferenceData;

QString text(const char *value)
{
    return QString::fromUtf8(value);
}

// Seeds one table when it is empty; counts what it adds.
class Seeder
{
public:
    explicit Seeder(TableObject &table)
        : m_table(table)
    {
    }

    bool isEmpty(const QString &table)
    {
        m_table.Execute(QStringLiteral("Select Count(*) As ROWCOUNT From ") + table);
        return m_table.FieldValue(QStringLiteral("ROWCOUNT")).toInt() == 0;
    }

    void insert(const QString &table, const QString &columns, const QVariantList &values)
    {
        QStringList markers;
        for (qsizetype i = 0; i < values.size(); ++i)
            markers << QStringLiteral("?");
        m_table.Execute(QStringLiteral("Insert Into %1 (%2) Values(%3)").arg(table, columns, markers.join(QLatin1Char(','))),
                        values);
        ++m_added[table];
    }

    QMap<QString, int> added() const { return m_added; }

private:
    TableObject &m_table;
    QMap<QString, int> m_added;
};

class Generator
{
public:
    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    template<typename T>
    const T &pick(std::span<const T> items) { return items[number(0, int(items.size()) - 1)]; }

    // LAST, FIRST M within maxLength characters.
    QString personName(int maxLength)
    {
        for (;;) {
            const QString last = text(pick(lastNames()));
            const QString first = text(pick(firstNames()));
            const QString initial = QString(QChar(QLatin1Char(char('A' + number(0, 25)))));
            const QString full = last + QStringLiteral(", ") + first + QLatin1Char(' ') + initial;
            if (full.size() <= maxLength)
                return full;
            const QString plain = last + QStringLiteral(", ") + first;
            if (plain.size() <= maxLength)
                return plain;
        }
    }

    int birthDate()
    {
        const QDate date = QDate(1950, 1, 1).addDays(number(0, 55 * 365));
        return date.year() * 10000 + date.month() * 100 + date.day();
    }

    // Month, day, year as one number: a change in January to September has seven digits.
    int changeDate()
    {
        const QDate date = QDate(2025, 1, 1).addDays(number(0, 700));
        return date.month() * 1000000 + date.day() * 10000 + date.year();
    }

    double phone() { return number(0, 3) == 0 ? 0.0 : 2000000000.0 + number(0, 799999999); }

private:
    std::mt19937 m_random{20261206};
};

// Client numbers: mostly four digits, a few short ones (shown padded to five
// digits) and one of six digits.
QList<int> clientNumbers()
{
    QList<int> numbers{7, 12, 42, 123456};
    for (int i = 0; numbers.size() < 60; ++i)
        numbers << 1001 + i * 17;
    return numbers;
}

void seedCodeTables(Seeder &seeder)
{
    if (seeder.isEmpty(Schema::SexTable)) {
        for (const SexCode &sex : sexCodes())
            seeder.insert(Schema::SexTable, QStringLiteral("SEXCOD,SEXDSC"), {text(sex.code), text(sex.description)});
    }
    if (seeder.isEmpty(Schema::StateTable)) {
        for (const State &state : states())
            seeder.insert(Schema::StateTable, QStringLiteral("STACOD,STADSC,STACTR"),
                          {text(state.code), text(state.name), text(state.country)});
    }
    if (seeder.isEmpty(Schema::ZipTable)) {
        for (const ZipRow &zip : zipRows())
            seeder.insert(Schema::ZipTable, QStringLiteral("ZIPCTY,ZIPSTA,ZIPKEY"), {text(zip.city), text(zip.state), zip.zip});
    }
    if (seeder.isEmpty(Schema::RelationTable)) {
        for (const Relationship &relationship : relationships())
            seeder.insert(Schema::RelationTable, QStringLiteral("RLTCOD,RLTDSC,RLTINVDSC"),
                          {relationship.code, text(relationship.description), text(relationship.inverseDescription)});
    }
    if (seeder.isEmpty(Schema::SecurityTable)) {
        seeder.insert(Schema::SecurityTable, QStringLiteral("SECUSR,SECNAM,SECP01,SECP02,SECP03"),
                      {DemoData::supervisorUser(), QStringLiteral("Casework supervisor"), QStringLiteral("Y"),
                       QStringLiteral("Y"), QStringLiteral("Y")});
        seeder.insert(Schema::SecurityTable, QStringLiteral("SECUSR,SECNAM,SECP01,SECP02,SECP03"),
                      {DemoData::officerUser(), QStringLiteral("Probation officer"), QStringLiteral("Y"),
                       QStringLiteral("N"), QStringLiteral("N")});
    }
}

void seedPeople(Seeder &seeder, Generator &generate)
{
    if (seeder.isEmpty(Schema::ClientTable)) {
        for (const int number : clientNumbers())
            seeder.insert(Schema::ClientTable, QStringLiteral("CLTCNO,CLTNAM,CLTBDT"),
                          {number, generate.personName(30), generate.birthDate()});
    }
    if (seeder.isEmpty(Schema::PartyTable)) {
        const QStringList users{DemoData::supervisorUser(), DemoData::officerUser()};
        for (int key = 1; key <= 60; ++key) {
            const ZipRow &zip = generate.pick(zipRows());
            const bool secondLine = generate.number(0, 4) == 0;
            seeder.insert(Schema::PartyTable,
                          QStringLiteral("PTYKEY,PTYNAM,PTYST1,PTYST2,PTYCTY,PTYSTA,PTYZIP,PTYCTR,PTYIZP,PTYHOMPHN,"
                                         "PTYWRKPHN,PTYCELPHN,PTYBDT,PTYSEX,PTYUDT,PTYUSR"),
                          {key, generate.personName(20),
                           QStringLiteral("%1 %2").arg(generate.number(1, 9999)).arg(text(generate.pick(streetNames()))),
                           secondLine ? QStringLiteral("APT %1").arg(generate.number(1, 40)) : QString(),
                           text(zip.city), text(zip.state), zip.zip, QString(), QString(), generate.phone(),
                           generate.phone(), generate.phone(), generate.birthDate(),
                           text(sexCodes()[generate.number(0, 1)].code), generate.changeDate(),
                           users.at(generate.number(0, 1))});
        }
    }
}

void seedAssociations(Seeder &seeder, Generator &generate)
{
    if (!seeder.isEmpty(Schema::AssociationTable))
        return;
    const QList<int> clients = clientNumbers();
    QSet<QString> taken;
    auto associate = [&](const QString &flag1, int key1, int code, const QString &flag2, int key2) {
        const Relationship *type = nullptr;
        for (const Relationship &candidate : relationships())
            type = candidate.code == code ? &candidate : type;
        const bool symmetric = type && qstrcmp(type->description, type->inverseDescription) == 0;
        const QString forward = QStringLiteral("%1%2/%3/%4%5").arg(flag1).arg(key1).arg(code).arg(flag2).arg(key2);
        const QString backward = QStringLiteral("%1%2/%3/%4%5").arg(flag2).arg(key2).arg(code).arg(flag1).arg(key1);
        if ((flag1 == flag2 && key1 == key2) || taken.contains(forward) || (symmetric && taken.contains(backward)))
            return;
        taken << forward;
        seeder.insert(Schema::AssociationTable, QStringLiteral("ASCFLG1,ASCKEY1,ASCRLTCOD,ASCFLG2,ASCKEY2,ASCUDT,ASCUSR"),
                      {flag1, key1, code, flag2, key2, generate.changeDate(),
                       generate.number(0, 1) ? DemoData::supervisorUser() : DemoData::officerUser()});
    };
    // The first client has something under most relationship types, on both sides.
    const int first = DemoData::featuredClient();
    for (const Relationship &relationship : relationships()) {
        associate(QStringLiteral("P"), generate.number(1, 60), relationship.code, QStringLiteral("C"), first);
        associate(QStringLiteral("C"), first, relationship.code, QStringLiteral("P"), generate.number(1, 60));
    }
    // Then a spread over every client and party, in both directions.
    for (int i = 0; i < 180; ++i) {
        const int code = generate.pick(relationships()).code;
        const bool clientFirst = generate.number(0, 1) == 1;
        const bool otherIsClient = generate.number(0, 3) == 0;
        const QString otherFlag = otherIsClient ? QStringLiteral("C") : QStringLiteral("P");
        const int other = otherIsClient ? generate.pick(std::span<const int>(clients)) : generate.number(1, 60);
        const int client = generate.pick(std::span<const int>(clients));
        if (clientFirst)
            associate(QStringLiteral("C"), client, code, otherFlag, other);
        else
            associate(otherFlag, other, code, QStringLiteral("C"), client);
    }
}

} // namespace

QMap<QString, int> DemoData::seed()
{
    TableObject table;
    Seeder seeder(table);
    Generator generate;
    table.BeginTransaction();
    try {
        seedCodeTables(seeder);
        seedPeople(seeder, generate);
        seedAssociations(seeder, generate);
        table.CommitTransaction();
    } catch (const DataAccessError &) {
        try {
            table.RollbackTransaction();
        } catch (const DataAccessError &) {
            // the failure that stopped the seeding is the one to report
        }
        throw;
    }
    return seeder.added();
}

} // namespace Torva
