#include "partieseditorbenchmarks.h"

#include "benchmarksuite.h"
#include "pendingevents.h"
#include "silentmessages.h"

#include "controls/datagrid.h"
#include "parties_editor/associationrows.h"
#include "parties_editor/partieseditor.h"

#include <QLocale>

#include <malloc.h>

#include <stdexcept>

namespace Torva {

namespace {

const QString Group = QStringLiteral("Parties editor");
const QString User = QStringLiteral("BENCH");  // the generator's user, who may delete associations
const QString ClientKind = QStringLiteral("C");
const QString PartyKind = QStringLiteral("P");
constexpr int FolderLevel = 1;
constexpr int AssociateLevel = 2;

// glibc's count of the bytes handed out, from its arenas and mapped apart.
qint64 heapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return qint64(heap.uordblks) + qint64(heap.hblkhd);
}

QString count(int number)
{
    return QLocale(QLocale::English).toString(number);
}

} // namespace

PartiesEditorBenchmarks::PartiesEditorBenchmarks(BenchContext &context, const SilentMessages &messages)
    : m_context(context)
    , m_messages(messages)
    , m_heavy(clientOf(context, QStringLiteral("heavyClient")))
    , m_typical(clientOf(context, QStringLiteral("typicalClient")))
    , m_editor(openEditor(m_window))
{
    if (available())
        chooseBatches();
}

PartiesEditorBenchmarks::~PartiesEditorBenchmarks()
{
    try {
        deleteStoredBatch();
    } catch (const std::exception &) {
        // The run has already failed and says so; leftover associations are the lesser harm.
    }
}

PartiesEditorBenchmarks::Client PartiesEditorBenchmarks::clientOf(const BenchContext &context, const QString &fact)
{
    return {context.fact(fact).toInt(), context.fact(fact + QStringLiteral("Associations")).toInt()};
}

PartiesEditor *PartiesEditorBenchmarks::openEditor(QWidget &window)
{
    auto *editor = new PartiesEditor(&window);
    editor->UserID = User;
    editor->UserMode = QStringLiteral("*EDIT");
    window.resize(editor->sizeHint());
    window.show();
    PendingEvents::handleAll();
    return editor;
}

bool PartiesEditorBenchmarks::showClient(PartiesEditor &editor, const Client &client)
{
    editor.LoadRecords(User, ClientKind, client.key);
    PendingEvents::handleAll();
    return associateRows(editor) == client.associations;
}

int PartiesEditorBenchmarks::associateRows(const PartiesEditor &editor)
{
    const DataGrid &grid = *editor.grid();
    int rows = 0;
    for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
        if (grid.RowLevel(row) == AssociateLevel && !grid.RowHidden(row))
            ++rows;
    }
    return rows;
}

QString PartiesEditorBenchmarks::keyText(const QVariantList &keys)
{
    QStringList parts;
    for (const QVariant &key : keys)
        parts << key.toString();
    return parts.join(QLatin1Char('-'));
}

void PartiesEditorBenchmarks::chooseBatches()
{
    if (!showClient(*m_editor, m_heavy))
        throw std::runtime_error(QStringLiteral("client %1 shows %2 associations, not the %3 of the facts file: the "
                                                "database is not as the generator left it")
                                     .arg(m_heavy.key)
                                     .arg(associateRows(*m_editor))
                                     .arg(m_heavy.associations)
                                     .toStdString());
    const DataGrid &grid = *m_editor->grid();
    QSet<qint32> associated;
    QList<int> folderCodes;
    for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
        if (grid.RowLevel(row) == FolderLevel)
            folderCodes << int(grid.CellValue(row, grid.ColumnIndex(QStringLiteral("RLTCOD"))));
        if (!m_editor->rows().isAssociate(row))
            continue;
        const QVariantList keys = m_editor->rows().keys(row);
        for (const int side : {0, 3}) {
            if (keys.at(side).toString() == PartyKind)
                associated << qint32(keys.at(side + 1).toDouble());
        }
    }
    if (folderCodes.isEmpty())
        throw std::runtime_error("the associations editor shows no folders: the database has no relationship types");

    // A small scale database may have too few parties left for two full batches.
    QList<qint32> partners;
    for (int tries = 0; partners.size() < 2 * BatchSize && tries < 50 * BatchSize; ++tries) {
        const qint32 key = m_context.anyParty().key;
        if (!associated.contains(key)) {
            associated << key;
            partners << key;
        }
    }
    const qsizetype size = partners.size() / 2;
    for (qsizetype i = 0; i < 2 * size; ++i)
        m_batches[std::size_t(i % 2)] << NewAssociation{folderCodes.at((i / 2) % folderCodes.size()), partners.at(i)};
}

int PartiesEditorBenchmarks::folderRow(int code) const
{
    const DataGrid &grid = *m_editor->grid();
    const int codeColumn = grid.ColumnIndex(QStringLiteral("RLTCOD"));
    for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
        if (grid.RowLevel(row) == FolderLevel && int(grid.CellValue(row, codeColumn)) == code)
            return row;
    }
    throw std::runtime_error("the associations editor lost a folder");
}

void PartiesEditorBenchmarks::addBatch(int batch)
{
    AssociationRows &rows = m_editor->rows();
    QSet<QString> &keys = m_batchKeys[std::size_t(batch)];
    keys.clear();
    for (const NewAssociation &association : m_batches[std::size_t(batch)]) {
        const int row = rows.AddAssociateRow(folderRow(association.folderCode), false);
        rows.AssignAssociate(row, PartyKind, association.partyKey);
        keys << keyText(rows.keys(row));
    }
}

bool PartiesEditorBenchmarks::deleteBatch(int batch)
{
    const DataGrid &grid = *m_editor->grid();
    const QSet<QString> &keys = m_batchKeys[std::size_t(batch)];
    AssociationRows &rows = m_editor->rows();
    int deleted = 0;
    for (int row = grid.Rows() - 1; row >= grid.FixedRows(); --row) {
        if (rows.isAssociate(row) && !grid.RowHidden(row) && keys.contains(keyText(rows.keys(row)))) {
            rows.DeleteAssociateRows(row, row);
            ++deleted;
        }
    }
    return deleted == keys.size();
}

void PartiesEditorBenchmarks::prepareSave()
{
    if (!m_outlineStored || m_editor->PartyKey != m_heavy.key)
        showClient(*m_editor, m_heavy);
    if (m_storedBatch < 0) {
        addBatch(0);
        if (!m_editor->SaveRecords())
            throw std::runtime_error("the associations the saves swap could not be stored");
        m_storedBatch = 0;
    }
    m_prepared = deleteBatch(m_storedBatch);
    addBatch(1 - m_storedBatch);
    m_outlineStored = false;
}

bool PartiesEditorBenchmarks::save()
{
    const int before = m_messages.shown();
    const bool saved = m_editor->SaveRecords();
    PendingEvents::handleAll();
    if (saved)
        m_storedBatch = 1 - m_storedBatch;
    m_outlineStored = saved;
    return saved && m_prepared && m_messages.shown() == before;
}

void PartiesEditorBenchmarks::deleteStoredBatch()
{
    if (m_storedBatch < 0)
        return;
    showClient(*m_editor, m_heavy);
    if (!deleteBatch(m_storedBatch) || !m_editor->SaveRecords())
        throw std::runtime_error("associations the benchmark stored could not be deleted again");
    m_storedBatch = -1;
    if (!showClient(*m_editor, m_heavy))
        throw std::runtime_error("the client with the most associations was not left as it was found");
}

std::optional<double> PartiesEditorBenchmarks::bytesPerRow()
{
    QWidget window;
    PartiesEditor *editor = openEditor(window);
    const qint64 before = heapInUse();
    const bool shown = showClient(*editor, m_heavy);
    const qint64 after = heapInUse();
    const int rows = editor->grid()->Rows() - editor->grid()->FixedRows();
    if (!shown || rows <= 0)
        return std::nullopt;
    return double(after - before) / double(rows);
}

void PartiesEditorBenchmarks::addTo(BenchmarkSuite &suite)
{
    if (!available())
        return;
    const QString heavy = QStringLiteral("%1 associations").arg(count(m_heavy.associations));

    for (const Client &client : {m_typical, m_heavy}) {
        BenchmarkCase load;
        load.group = Group;
        load.name = QStringLiteral("LoadRecords, %1 associations, painted").arg(count(client.associations));
        load.budget = LoadBudgetMs;
        // From a client with few, as when the user opens one case after another.
        load.prepare = [this] {
            if (m_editor->PartyKey != m_typical.key)
                showClient(*m_editor, m_typical);
        };
        load.measure = [this, client] { return showClient(*m_editor, client); };
        suite.add(load);
    }

    const int batch = int(m_batches[0].size());
    BenchmarkCase saving;
    saving.group = Group;
    saving.name = QStringLiteral("SaveRecords, %1 inserts + %1 deletes").arg(batch);
    saving.budget = SaveBudgetMs;
    saving.prepare = [this] { prepareSave(); };
    saving.measure = [this] { return save(); };
    saving.cleanUp = [this] { deleteStoredBatch(); };
    saving.note = QStringLiteral("on the client with %1, through the check for duplicates; the outline is painted "
                                 "again after it. Each save deletes the %2 associations the one before inserted.")
                      .arg(heavy)
                      .arg(batch);
    suite.add(saving);

    BenchmarkCase memory;
    memory.group = Group;
    memory.name = QStringLiteral("grid memory per row (%1)").arg(heavy);
    memory.budget = RowBytesBudget;
    memory.unit = QStringLiteral("B/row");
    memory.figure = [this] { return bytesPerRow(); };
    memory.note = QStringLiteral("heap in use (malloc) after LoadRecords into a new editor, less before, per grid row");
    suite.add(memory);
}

} // namespace Torva
