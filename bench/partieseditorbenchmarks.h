#pragma once

#include "benchcontext.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

namespace Torva {

class BenchmarkSuite;
class PartiesEditor;
class SilentMessages;

// What a user of the associations editor waits for, through a real
// PartiesEditor in a shown window: LoadRecords of the client with 10
// associations and of the one with 2,000 (the generator names both in its
// facts file), until the outline is filled, formatted and painted;
// SaveRecords of the heavy client with 100 associations added and 100
// deleted; and the heap the outline takes per grid row.
//
// The saves swap two batches of associations of the benchmark's own (the
// heavy client with parties it has no association with, spread over every
// folder): each save deletes the batch stored and inserts the other, so the
// table keeps its size, and the batch stored last is deleted at the end.
class PartiesEditorBenchmarks
{
public:
    static constexpr double LoadBudgetMs = 100.0;
    static constexpr double SaveBudgetMs = 50.0;
    static constexpr double RowBytesBudget = 1024.0;
    static constexpr int BatchSize = 100;

    PartiesEditorBenchmarks(BenchContext &context, const SilentMessages &messages);
    ~PartiesEditorBenchmarks();

    // False when the facts file (--info) named no heavy and typical client:
    // addTo then adds nothing.
    bool available() const { return m_heavy.key > 0 && m_typical.key > 0; }
    void addTo(BenchmarkSuite &suite);

private:
    struct Client
    {
        qint32 key = 0;
        int associations = 0;
    };

    struct NewAssociation
    {
        int folderCode;  // RLTCOD of the folder it is added to
        qint32 partyKey;
    };

    static Client clientOf(const BenchContext &context, const QString &fact);
    static PartiesEditor *openEditor(QWidget &window);
    // Loads the client and lets the window catch up (the outline's deferred
    // sync and the paint); true when it shows all the client's associations.
    static bool showClient(PartiesEditor &editor, const Client &client);
    static int associateRows(const PartiesEditor &editor);
    static QString keyText(const QVariantList &keys);

    // Two batches of BatchSize (fewer on a small scale) parties with no
    // association with the heavy client, each given a folder in turn.
    void chooseBatches();
    int folderRow(int code) const;
    void addBatch(int batch);
    // Marks the batch's rows deleted; false when the outline lacks some.
    bool deleteBatch(int batch);
    void prepareSave();
    bool save();
    void deleteStoredBatch();
    // Heap in use after loading the heavy client into a new editor, less before, per grid row.
    std::optional<double> bytesPerRow();

    BenchContext &m_context;
    const SilentMessages &m_messages;
    Client m_heavy;
    Client m_typical;
    QWidget m_window;
    PartiesEditor *m_editor;
    std::array<QList<NewAssociation>, 2> m_batches;
    std::array<QSet<QString>, 2> m_batchKeys;  // as the outline's rows give them
    int m_storedBatch = -1;
    bool m_outlineStored = false;  // the outline shows the heavy client as stored, no changes pending
    bool m_prepared = false;       // the pending changes are the whole batches
};

} // namespace Torva
