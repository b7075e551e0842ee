#include "writeattempt.h"

#include "associationfixture.h"
#include "controls/alphamericbox.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "parties_editor/associationrows.h"
#include "partyform.h"

namespace Torva {

namespace {
const QStringList PathNames{QStringLiteral("party-insert"), QStringLiteral("party-update"),
                            QStringLiteral("party-delete"), QStringLiteral("association-save")};

int addAssociate(PartiesEditor &editor, const QString &folder, const QString &kind, int key)
{
    AssociationRows &rows = editor.rows();
    const int row = rows.AddAssociateRow(AssociationFixture::rowOf(editor, 1, folder), false);
    rows.AssignAssociate(row, kind, key);
    return row;
}
}  // namespace

void WriteAttempt::seed(Path path)
{
    if (path == Path::AssociationSave) {
        AssociationFixture::seedClientTwelve();
        return;
    }
    PartyForm::seedCodes();
    Fixtures::addParty(PartyForm::onFile(HeldParty, QStringLiteral("HELD, PARTY")));
}

QStringList WriteAttempt::stored(Path path)
{
    if (path == Path::AssociationSave)
        return AssociationFixture::stored();
    TableObject table;
    const QueryResult result = table.Fetch(QStringLiteral("Select * From DUVPRB.PRBPTY Order By PTYKEY"));
    QStringList rows;
    for (const QVariantList &row : result.toRows()) {
        QStringList values;
        for (const QVariant &value : row)
            values << value.toString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

QString WriteAttempt::name(Path path)
{
    return PathNames.at(int(path));
}

WriteAttempt::Path WriteAttempt::fromName(const QString &name)
{
    return Path(std::max<qsizetype>(0, PathNames.indexOf(name)));
}

bool WriteAttempt::heldByAnother(int key)
{
    PartyEditorHost other;
    return !other.editor->LoadRecord(key) && other.editor->LockedBy().has_value();
}

WriteAttempt::WriteAttempt(Path path) : m_path(path)
{
    if (path == Path::AssociationSave) {
        associations = std::make_unique<AssociationHost>();
        associations->load();
        PartiesEditor &editor = *associations->editor;
        connect(&editor, &PartiesEditor::Error, this, [this](TableObject *&) { ++errors; });
        const int child = AssociationFixture::rowOf(editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM");
        m_ready = child > 0;
        if (!m_ready)
            return;
        editor.rows().DeleteAssociateRows(child, child);
        addAssociate(editor, QStringLiteral("Wards"), QStringLiteral("C"), 7);
        addAssociate(editor, QStringLiteral("Wards"), QStringLiteral("P"), 6);
        return;
    }
    party = std::make_unique<PartyEditorHost>();
    connect(party->editor, &PartyEditor::Error, this, [this](TableObject *&) { ++errors; });
    if (path == Path::PartyInsert) {
        m_ready = party->editor->AddRecord();
        PartyForm().enterInto(*party);
        return;
    }
    m_ready = party->editor->LoadRecord(HeldParty);
    if (path == Path::PartyUpdate)
        party->field<AlphaMericBox>("txtPTYST1")->setText(QStringLiteral("99 ELM ST"));
}

bool WriteAttempt::write()
{
    switch (m_path) {
    case Path::PartyInsert:
    case Path::PartyUpdate:
        return party->editor->SaveRecord();
    case Path::PartyDelete:
        return party->editor->DeleteRecord();
    case Path::AssociationSave:
        return associations->editor->SaveRecords();
    }
    return false;
}

} // namespace Torva
