#pragma once

#include "fixtures.h"
#include "partyeditorhost.h"
#include "testdatabase.h"

#include <QString>
#include <QtTest>

namespace Torva {

// The values of a party as the user would enter them (a valid SMITH, JOHN Q
// of 12 MAIN ST, SALEM, OR 97301; the key, change date and user are left to
// the save), written into an editor's fields, and the codes and zip rows that
// make them valid.
struct PartyForm : Fixtures::Party
{
    PartyForm();

    // Writes every field (as code: no Change).
    void enterInto(PartyEditorHost &host) const;
    // AddRecord, then every field as above; false when the editor refused to add.
    bool enterAsNew(PartyEditorHost &host) const;

    // The sex codes, states and zip rows the form's values are checked against.
    static void seedCodes();
    // A party on file with the form's values but for these.
    static Fixtures::Party onFile(int key, const QString &name, const QString &street = QStringLiteral("12 MAIN ST"));
};

// Opens a fresh database for the engine of the current data row (its column
// "engine") with PartyForm's codes and zip rows; skips or fails as
// TORVA_USE_DATABASE does.
#define TORVA_USE_PARTY_DATABASE()                                                                                     \
    do {                                                                                                               \
        QFETCH(QString, engine);                                                                                       \
        TORVA_USE_DATABASE(engine);                                                                                    \
        PartyForm::seedCodes();                                                                                        \
    } while (false)

} // namespace Torva
