#pragma once

#include <QString>
#include <QVariant>

namespace Torva {

// Rows that tests put into a fresh test database, with sensible values for
// whatever a test does not care about.
namespace Fixtures {

struct Party
{
    int key = 1;
    QString name = QStringLiteral("SMITH, JOHN Q");
    QString street1 = QStringLiteral("12 MAIN ST");
    QString street2;
    QString city = QStringLiteral("SPRINGFIELD");
    QString state = QStringLiteral("IL");
    int zip = 62701;
    double homePhone = 2175550100;
    double workPhone = 0;
    double cellPhone = 0;
    int birthDate = 19800101;
    QString sex = QStringLiteral("M");
    int changeDate = 6232026;
    QString user = QStringLiteral("OFFICER");
};

void addParty(const Party &party);
void addParty(int key, const QString &name, int birthDate = 19800101);
void addClient(int number, const QString &name, int birthDate = 19750615);
void addRelationship(int code, const QString &description, const QString &inverseDescription);
void addAssociation(const QString &flag1, int key1, int code, const QString &flag2, int key2,
                    int changeDate = 1052026, const QString &user = QStringLiteral("OFFICER"));
void addZip(const QString &city, const QString &state, int zip);
void addSex(const QString &code, const QString &description);
void addState(const QString &code, const QString &name, const QString &country = QStringLiteral("US"));
void addUser(const QString &user, const QString &mayDelete);

} // namespace Fixtures

} // namespace Torva
