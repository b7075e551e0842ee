#include "partyeditorbenchmarks.h"

#include "benchmarksuite.h"
#include "silentmessages.h"

#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/phonenumber.h"
#include "controls/zipcode.h"
#include "party_editor/partyeditor.h"

#include <stdexcept>

namespace Torva {

namespace {
const QString Group = QStringLiteral("Party editor");
// Birth dates drawn for a new party before giving up on the name it copies.
constexpr int MaxBirthDateDraws = 100;

template<typename Field>
Field &field(PartyEditor &editor, const char *name)
{
    Field *found = editor.findChild<Field *>(QLatin1String(name));
    if (!found)
        throw std::logic_error(std::string("the party editor has no field ") + name);
    return *found;
}
} // namespace

PartyEditorBenchmarks::PartyEditorBenchmarks(BenchContext &context, const SilentMessages &messages)
    : m_context(context)
    , m_messages(messages)
    , m_editor(new PartyEditor(&m_window))
{
    m_editor->UserID = QStringLiteral("BENCH");
    m_editor->UserMode = QStringLiteral("*EDIT");
    m_window.resize(m_editor->sizeHint());
    m_window.show();
}

PartyEditorBenchmarks::~PartyEditorBenchmarks()
{
    try {
        deleteInserted();
    } catch (const std::exception &) {
        // The run has already failed and says so; a leftover party is the lesser harm.
    }
}

bool PartyEditorBenchmarks::quietly(bool succeeded, int messagesBefore) const
{
    return succeeded && m_messages.shown() == messagesBefore;
}

bool PartyEditorBenchmarks::loadAnyParty()
{
    return m_editor->LoadRecord(m_context.anyParty().key);
}

void PartyEditorBenchmarks::enterNewParty()
{
    const BenchContext::Party &like = m_context.anyParty();
    // Another birth day alone is not enough: a common name has hundreds of
    // parties on file, so a day drawn at random is one of theirs (with the
    // same sex) about once in a thousand inserts, and the editor then asks
    // whether to override the duplicate. Only a day the duplicate search
    // finds nobody on keeps the insert on the path it times.
    BenchContext::Party entered = like;
    entered.key = 0;  // not on file yet: like itself counts as a duplicate
    for (int draws = 0; m_context.hasLikelyDuplicate(entered); ++draws) {
        if (draws == MaxBirthDateDraws)
            throw std::runtime_error("no birth date without a likely duplicate for " + like.name.toStdString());
        entered.birthDate = m_context.anyBirthDate();
    }
    m_editor->AddRecord(like.name, entered.birthDate);
    field<AlphaMericBox>(*m_editor, "txtPTYST1").setText(like.street1);
    field<AlphaMericBox>(*m_editor, "txtPTYST2").setText(like.street2);
    field<Combo>(*m_editor, "cboPTYCTY").setText(like.city);
    field<Combo>(*m_editor, "cboPTYSTA").setText(like.state);
    field<ZipCode>(*m_editor, "zipPTYZIP").setValue(like.zip);
    field<PhoneNumber>(*m_editor, "phnPTYHOMPHN").setValue(like.homePhone);
    field<PhoneNumber>(*m_editor, "phnPTYWRKPHN").setValue(like.workPhone);
    field<PhoneNumber>(*m_editor, "phnPTYCELPHN").setValue(like.cellPhone);
    field<Combo>(*m_editor, "cboPTYSEX").setValue(like.sex);
}

void PartyEditorBenchmarks::deleteInserted()
{
    if (m_inserted == 0)
        return;
    if (m_editor->PartyKey != m_inserted || !m_editor->DeleteRecord())
        throw std::runtime_error("a party the benchmark inserted could not be deleted again");
    m_inserted = 0;
}

void PartyEditorBenchmarks::addTo(BenchmarkSuite &suite)
{
    BenchmarkCase load;
    load.group = Group;
    load.name = QStringLiteral("LoadRecord (locked read, lists filled)");
    load.budget = BudgetMs;
    load.prepare = [this] { m_key = m_context.anyParty().key; };
    load.measure = [this] { return m_editor->LoadRecord(m_key); };
    suite.add(load);

    BenchmarkCase check;
    check.group = Group;
    check.name = QStringLiteral("HasErrors (zip check, duplicate searches)");
    check.budget = BudgetMs;
    check.prepare = [this] { loadAnyParty(); };
    check.measure = [this] {
        const int before = m_messages.shown();
        return quietly(!m_editor->HasErrors(), before);
    };
    suite.add(check);

    BenchmarkCase update;
    update.group = Group;
    update.name = QStringLiteral("SaveRecord, update");
    update.budget = BudgetMs;
    update.prepare = [this] { loadAnyParty(); };
    update.measure = [this] {
        const int before = m_messages.shown();
        return quietly(m_editor->SaveRecord(), before);
    };
    suite.add(update);

    BenchmarkCase insert;
    insert.group = Group;
    insert.name = QStringLiteral("SaveRecord, insert under the next key");
    insert.budget = BudgetMs;
    insert.prepare = [this] {
        deleteInserted();
        enterNewParty();
    };
    insert.measure = [this] {
        const int before = m_messages.shown();
        const bool saved = m_editor->SaveRecord();
        if (saved)
            m_inserted = m_editor->PartyKey;
        return quietly(saved, before);
    };
    insert.cleanUp = [this] { deleteInserted(); };
    insert.note = QStringLiteral("each party inserted is deleted again before the next run, untimed");
    suite.add(insert);

    BenchmarkCase remove;
    remove.group = Group;
    remove.name = QStringLiteral("DeleteRecord (of a party it inserted)");
    remove.prepare = [this] {
        enterNewParty();
        if (!m_editor->SaveRecord())
            throw std::runtime_error("the party to delete could not be inserted");
    };
    remove.measure = [this] { return m_editor->DeleteRecord(); };
    suite.add(remove);
}

} // namespace Torva
