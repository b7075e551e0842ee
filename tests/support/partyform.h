#pragma once

#include "fixtures.h"
#include "partyeditorhost.h"

#include <QString>

// The values of a party as the user would enter them, written into an
// editor's fields, and the codes and zip rows that make them valid.
struct PartyForm
{
    QString name = QStringLiteral("SMITH, JOHN Q");
    QString street1 = QStringLiteral("12 MAIN ST");
    QString street2;
    QString city = QStringLiteral("SALEM");
    QString state = QStringLiteral("OR");
    int zip = 97301;
    double homePhone = 5035550100;
    double workPhone = 0;
    double cellPhone = 0;
    int birthDate = 19800101;
    QString sex = QStringLiteral("M");

    // Writes every field (as code: no Change).
    void enterInto(PartyEditorHost &host) const;
    // AddRecord, then every field as above; false when the editor refused to add.
    bool enterAsNew(PartyEditorHost &host) const;

    // The sex codes, states and zip rows the form's values are checked against.
    static void seedCodes();
    // A party on file whose address those codes accept.
    static Fixtures::Party onFile(int key, const QString &name, const QString &street = QStringLiteral("12 MAIN ST"));
};
