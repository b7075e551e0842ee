#include "fixtures.h"

#include "fields/storedtext.h"
#include "data/statements.h"
#include "testdatabase.h"

namespace Torva {

namespace Fixtures {

void addParty(const Party &party)
{
    // The editor's own insert, so that the fixture writes what a save writes
    // (no text as NULL).
    TestDatabase::exec(Statements::InsertParty,
                       {storedText(party.name), storedText(party.street1), storedText(party.street2),
                        storedText(party.city), storedText(party.state), party.zip, QStringLiteral(""),
                        QStringLiteral(""), party.homePhone, party.workPhone, party.cellPhone, party.birthDate,
                        storedText(party.sex), party.changeDate, storedText(party.user), party.key});
}

void addParty(int key, const QString &name, int birthDate)
{
    addParty(Party{.key = key, .name = name, .birthDate = birthDate});
}

void addClient(int number, const QString &name, int birthDate)
{
    TestDatabase::exec(QStringLiteral("Insert Into DUVPRB.PRBCLT (CLTCNO,CLTNAM,CLTBDT) Values(?,?,?)"),
                       {number, name, birthDate});
}

void addRelationship(int code, const QString &description, const QString &inverseDescription)
{
    TestDatabase::exec(QStringLiteral("Insert Into DUVPRB.ARYRLT (RLTCOD,RLTDSC,RLTINVDSC) Values(?,?,?)"),
                       {code, description, inverseDescription});
}

void addAssociation(const QString &flag1, int key1, int code, const QString &flag2, int key2, int changeDate,
                    const QString &user)
{
    TestDatabase::exec(Statements::InsertAssociation,
                       {flag1, double(key1), double(code), flag2, double(key2), changeDate, user});
}

void addZip(const QString &city, const QString &state, int zip)
{
    TestDatabase::exec(QStringLiteral("Insert Into DUVCRT.ZIPDTA (ZIPCTY,ZIPSTA,ZIPKEY) Values(?,?,?)"),
                       {city, state, zip});
}

void addSex(const QString &code, const QString &description)
{
    TestDatabase::exec(QStringLiteral("Insert Into DUVCRT.ARYSEX (SEXCOD,SEXDSC) Values(?,?)"), {code, description});
}

void addState(const QString &code, const QString &name, const QString &country)
{
    TestDatabase::exec(QStringLiteral("Insert Into DUVCRT.ARYSTA (STACOD,STADSC,STACTR) Values(?,?,?)"),
                       {code, name, country});
}

void addUser(const QString &user, const QString &mayDelete)
{
    TestDatabase::exec(QStringLiteral("Insert Into DUVPRB.PRBSEC (SECUSR,SECNAM,SECP01,SECP02,SECP03) Values(?,?,?,?,?)"),
                       {user, user, QStringLiteral("Y"), mayDelete, QStringLiteral("N")});
}

} // namespace Fixtures

} // namespace Torva
