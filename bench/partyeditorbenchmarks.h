#pragma once

#include "benchcontext.h"

#include <QWidget>

namespace Torva {

class BenchmarkSuite;
class PartyEditor;
class SilentMessages;

// What a user of the party editor waits for, through a real PartyEditor in
// a shown window: LoadRecord (the locked read, with the lists it fills),
// HasErrors on a loaded valid party (the zip check and the duplicate
// searches), SaveRecord as an update and as an insert under the next key,
// and DeleteRecord of parties it inserted itself. Every party it inserts
// is deleted again, so the database keeps its size; updates rewrite the
// change date and user of the parties they save.
class PartyEditorBenchmarks
{
public:
    static constexpr double BudgetMs = 5.0;

    PartyEditorBenchmarks(BenchContext &context, const SilentMessages &messages);
    ~PartyEditorBenchmarks();

    void addTo(BenchmarkSuite &suite);

private:
    bool loadAnyParty();
    // AddRecord, then every field as a user would fill them, for a party
    // like one on file but born on a day that no party of that name and sex
    // was born on (so the duplicate check finds nothing).
    void enterNewParty();
    void deleteInserted();
    // Runs a step of the editor; false when it failed or showed a message.
    bool quietly(bool succeeded, int messagesBefore) const;

    BenchContext &m_context;
    const SilentMessages &m_messages;
    QWidget m_window;
    PartyEditor *m_editor;
    qint32 m_key = 0;       // the party the next LoadRecord reads
    qint32 m_inserted = 0;  // a party the insert case saved and has not deleted yet
};

} // namespace Torva
