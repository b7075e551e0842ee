#pragma once

#include "associationhost.h"
#include "partyeditorhost.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace Torva {

// One editor readied for a write, as the user leaves it just before saving,
// for the tests (and their child processes) that break a write part way:
//   PartyInsert      a new party typed in (PartyForm's values)
//   PartyUpdate      party 5 loaded under lock, its street changed
//   PartyDelete      party 5 loaded under lock
//   AssociationSave  client 12's child moved from Children to Wards and
//                    party 6 added as a ward (one delete, two inserts)
class WriteAttempt : public QObject
{
public:
    enum class Path { PartyInsert, PartyUpdate, PartyDelete, AssociationSave };

    static constexpr int HeldParty = 5;

    // The rows the path starts from, in a fresh database.
    static void seed(Path path);
    // What the path may change, as text ("|" between values), in key order.
    static QStringList stored(Path path);
    static QString name(Path path);
    static Path fromName(const QString &name);
    // Whether another editor is refused the party, told who holds it.
    static bool heldByAnother(int key);

    explicit WriteAttempt(Path path);

    // Whether the editor came up loaded as the path needs.
    bool ready() const { return m_ready; }
    // SaveRecord, DeleteRecord or SaveRecords; throws as they throw.
    bool write();
    // The party the editor shows; 0 for none (or a new party not yet stored).
    int partyKey() const { return party ? party->editor->PartyKey : 0; }

    std::unique_ptr<PartyEditorHost> party;
    std::unique_ptr<AssociationHost> associations;
    // Error signals the editor raised.
    int errors = 0;

private:
    Path m_path;
    bool m_ready = false;
};

} // namespace Torva
