// torva-bench: times what users of the controls wait for, on a scale
// database made by generate-scale-data, and reports the median and the 99th
// percentile of each against its budget.
//
//   torva-bench --database LOCATION [--info FILE] [--filter REGEX] [--samples N]
//               [--seconds S] [--markdown FILE] [--json FILE] [--plans]
//
// Exit status: 0 when every budget was met, 3 when one was missed, 2 for a
// command line it cannot use, 1 when the run failed (the database, a file,
// a benchmark that gave no figure). Runs that did not do what they should
// (a load that found no party, a save that met a message) are shown in the
// table and leave the status as it is.

#include "fixtures.h"
#include "harness.h"
#include "partyeditorhost.h"
#include "scriptedmessages.h"

#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datagrid.h"
#include "controls/phonenumber.h"
#include "controls/recordsourcemodel.h"
#include "controls/zipcode.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"
#include "data/recordsource.h"
#include "data/schema.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fields/addressfunctions.h"
#include "fields/parsename.h"
#include "parties_editor/associationrows.h"
#include "parties_editor/partieseditor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QSysInfo>
#include <QThread>

#include <malloc.h>
#include <sqlite3.h>

#include <array>
#include <memory>
#include <random>
#include <stdexcept>
#include <variant>
#include <vector>

using namespace Torva;

namespace {

// What the benchmarks draw on, read once from the scale database in force
// before anything is timed: a sample of the parties on file (whole rows, of
// parties without a likely duplicate, so that the editor's checks pass
// them), the names of parties and clients to take typed prefixes from, and
// the zip table. Every draw comes from one seeded generator, so that two runs
// on the same database time the same work.
class BenchContext
{
public:
    struct ZipRow
    {
        QString city;
        QString state;
        qint32 zip = 0;
    };

    // infoFile: the facts generate-scale-data wrote with --info (may be empty).
    explicit BenchContext(const QString &infoFile)
        : m_facts(infoFile, QSettings::IniFormat)
    {
        if (!infoFile.isEmpty() && !QFile::exists(infoFile))
            throw std::runtime_error("cannot read " + infoFile.toStdString());
        constexpr int Sample = 2000;  // parties drawn, and client names besides
        TableObject table;
        table.Execute(Statements::NextPartyKey);
        const qint32 highest = table.FieldValue(QStringLiteral("MAXPTYKEY")).toInt();
        if (highest < 1)
            throw std::runtime_error("the database holds no parties: make one with generate-scale-data first");
        std::uniform_int_distribution<qint32> anyKey(1, highest);
        for (int tries = 0; m_parties.size() < Sample && tries < 4 * Sample; ++tries) {
            const QueryResult rows = table.Fetch(QStringLiteral("Select PTYKEY,PTYNAM,PTYST1,PTYST2,PTYCTY,PTYSTA,"
                                                                "PTYZIP,PTYHOMPHN,PTYWRKPHN,PTYCELPHN,PTYBDT,PTYSEX,"
                                                                "PTYUDT,PTYUSR From DUVPRB.PRBPTY Where PTYKEY=?"),
                                                 QVariantList{anyKey(random)});
            if (rows.isEmpty())
                continue;
            const auto at = [&rows](int column) { return rows.value(0, column); };
            const Fixtures::Party party{at(0).toInt(),    at(1).toString(),  at(2).toString(),  at(3).toString(),
                                        at(4).toString(), at(5).toString(),  at(6).toInt(),     at(7).toDouble(),
                                        at(8).toDouble(), at(9).toDouble(),  at(10).toInt(),    at(11).toString(),
                                        at(12).toInt(),   at(13).toString()};
            m_names << party.name;
            if (!hasLikelyDuplicate(party))
                m_parties << party;
        }

        table.Execute(QStringLiteral("Select IfNull(Max(CLTCNO),0) As MAXCLTCNO From DUVPRB.PRBCLT"));
        const qint64 clients = table.FieldValue(QStringLiteral("MAXCLTCNO")).toLongLong();
        for (int i = 0; i < Sample && clients > 0; ++i) {
            table.Execute(QStringLiteral("Select CLTNAM From DUVPRB.PRBCLT Where CLTCNO=?"),
                          QVariantList{std::uniform_int_distribution<qint64>(1, clients)(random)});
            if (!table.Eof())
                m_names << table.FieldValue(QStringLiteral("CLTNAM")).toString();
        }
        const QueryResult zips = table.Fetch(QStringLiteral("Select ZIPCTY,ZIPSTA,ZIPKEY From DUVCRT.ZIPDTA"));
        for (int row = 0; row < zips.rowCount(); ++row)
            m_zipRows << ZipRow{zips.value(row, 0).toString(), zips.value(row, 1).toString(),
                                zips.value(row, 2).toInt()};

        const DatabaseLocation location = Database::location();
        QString server = location.engineName();
        if (location.engine() == DatabaseLocation::Engine::Sqlite)
            sqlite = SqliteEngine::handle(Database::connection().database());
        if (location.engine() == DatabaseLocation::Engine::Postgres) {
            table.Execute(QStringLiteral("Select current_setting('server_version') As SERVERVERSION"));
            server += QLatin1Char(' ') + table.FieldValue(QStringLiteral("SERVERVERSION")).toString();
        }
        engine = sqlite ? QStringLiteral("SQLite")
                 : location.engine() == DatabaseLocation::Engine::Postgres ? QStringLiteral("PostgreSQL")
                                                                         : location.engineName();
        const auto rowsOf = [&table](const QString &name) {
            table.Execute(QStringLiteral("Select Count(*) As ROWCOUNT From ") + name);
            return QLocale(QLocale::English).toString(table.FieldValue(QStringLiteral("ROWCOUNT")).toLongLong());
        };
        description = QStringLiteral("%1 at %2: %3 parties, %4 clients, %5 associations, %6 zip rows")
                          .arg(server, location.toDisplayString(), rowsOf(Schema::PartyTable),
                               rowsOf(Schema::ClientTable), rowsOf(Schema::AssociationTable), rowsOf(Schema::ZipTable));
    }

    const Fixtures::Party &anyParty() { return pick(m_parties); }
    // The first length characters of a name on file (a party's or a client's).
    QString namePrefix(int length) { return pick(m_names).left(length); }
    const ZipRow &anyZip() { return pick(m_zipRows); }
    // Whether the editor's widest duplicate search (same last and first
    // name, birth date and sex, another key) finds a party on file. A key
    // of 0 stands for a party not on file yet: every party then counts.
    bool hasLikelyDuplicate(const Fixtures::Party &party)
    {
        const ParsedName name = ParseName(party.name);
        const QString lastAndFirst = name.LastName + QStringLiteral(", ") + name.FirstName + QLatin1Char('%');
        m_check.Execute(Statements::DuplicateParty, QVariantList{party.key, lastAndFirst, party.birthDate, party.sex});
        return !m_check.Eof();
    }
    // A fact the generator wrote (heavyClient, typicalClientAssociations, ...); 0 when unknown.
    int fact(const QString &name) const { return m_facts.value(name).toInt(); }

    std::mt19937_64 random{1};
    QString engine;       // as the tables name it: "SQLite", "PostgreSQL", "ODBC"
    QString description;  // engine, location, server version (PostgreSQL) and table sizes
    sqlite3 *sqlite = nullptr;  // the data layer's own connection on SQLite, with its attached files and functions

private:
    template<typename Item>
    const Item &pick(const QList<Item> &items)
    {
        if (items.isEmpty())
            throw std::runtime_error("the scale database has no rows to draw from");
        return items.at(std::uniform_int_distribution<qsizetype>(0, items.size() - 1)(random));
    }

    TableObject m_check;
    QList<Fixtures::Party> m_parties;
    QStringList m_names;
    QList<ZipRow> m_zipRows;
    QSettings m_facts;
};

struct PartyEditorRuns
{
    // AddRecord (once the party inserted before is deleted again), then
    // every field as a user would fill them, for a party
    // like one on file but born on a day that no party of that name and sex
    // was born on. Another birth day alone is not enough: a common name has
    // hundreds of parties on file, so a day drawn at random is one of theirs
    // (with the same sex) about once in a thousand inserts, and the editor
    // then asks whether to override the duplicate. Only a day the duplicate
    // search finds nobody on keeps the insert on the path it times.
    void enterNewParty()
    {
        deleteInserted();
        Fixtures::Party entered = context.anyParty();
        entered.key = 0;  // not on file yet: the party it copies counts as a duplicate
        for (int draws = 0; context.hasLikelyDuplicate(entered); ++draws) {
            if (draws == 100)
                throw std::runtime_error("no birth date without a likely duplicate for " + entered.name.toStdString());
            entered.birthDate = context.anyParty().birthDate;
        }
        host.editor->AddRecord(entered.name, entered.birthDate);
        host.field<AlphaMericBox>("txtPTYST1")->setText(entered.street1);
        host.field<AlphaMericBox>("txtPTYST2")->setText(entered.street2);
        host.field<Combo>("cboPTYCTY")->setText(entered.city);
        host.field<Combo>("cboPTYSTA")->setText(entered.state);
        host.field<ZipCode>("zipPTYZIP")->setValue(entered.zip);
        host.field<PhoneNumber>("phnPTYHOMPHN")->setValue(entered.homePhone);
        host.field<PhoneNumber>("phnPTYWRKPHN")->setValue(entered.workPhone);
        host.field<PhoneNumber>("phnPTYCELPHN")->setValue(entered.cellPhone);
        host.field<Combo>("cboPTYSEX")->setValue(entered.sex);
    }

    void deleteInserted()
    {
        if (inserted == 0)
            return;
        if (host.editor->PartyKey != inserted || !host.editor->DeleteRecord())
            throw std::runtime_error("a party the benchmark inserted could not be deleted again");
        inserted = 0;
    }

    BenchContext &context;
    PartyEditorHost host{QStringLiteral("*EDIT")};
    qint32 key = 0;       // the party the next LoadRecord reads
    qint32 inserted = 0;  // a party the insert case saved and has not deleted yet
};

const QString User = QStringLiteral("BENCH");  // the generator's user, who may delete associations
constexpr int FolderLevel = 1;
constexpr int AssociateLevel = 2;
constexpr int BatchSize = 100;

struct Client
{
    qint32 key = 0;
    int associations = 0;
};

PartiesEditor *openEditor(QWidget &window)
{
    auto *editor = new PartiesEditor(&window);
    editor->UserID = User;
    editor->UserMode = QStringLiteral("*EDIT");
    window.resize(editor->sizeHint());
    window.show();
    Bench::handlePendingEvents();
    return editor;
}

int associateRows(const PartiesEditor &editor)
{
    const DataGrid &grid = *editor.grid();
    int rows = 0;
    for (int row = grid.FixedRows(); row < grid.Rows(); ++row)
        rows += grid.RowLevel(row) == AssociateLevel && !grid.RowHidden(row) ? 1 : 0;
    return rows;
}

// Loads the client and lets the window catch up (the outline's deferred
// sync and the paint); true when it shows all the client's associations.
bool showClient(PartiesEditor &editor, const Client &client)
{
    editor.LoadRecords(User, QStringLiteral("C"), client.key);
    Bench::handlePendingEvents();
    return associateRows(editor) == client.associations;
}

struct PartiesEditorRuns
{
    ~PartiesEditorRuns()
    {
        try {
            deleteStoredBatch();
        } catch (const std::exception &) {
            // The run has already failed and says so; leftover associations are the lesser harm.
        }
    }

    // The party on either side of an associate row; 0 for none.
    qint32 partyOf(int row) const
    {
        const QVariantList keys = editor->rows().keys(row);
        for (const int side : {0, 3}) {
            if (keys.at(side).toString() == QLatin1String("P"))
                return qint32(keys.at(side + 1).toDouble());
        }
        return 0;
    }

    int folderCode(int row) const { return int(grid.CellValue(row, grid.ColumnIndex(QStringLiteral("RLTCOD")))); }

    // Two batches of BatchSize (fewer on a small scale) parties with no
    // association with the heavy client; a batch's parties go into the
    // folders in turn.
    void chooseBatches()
    {
        if (!showClient(*editor, heavy))
            throw std::runtime_error(QStringLiteral("client %1 shows %2 associations, not the %3 of the facts file: "
                                                    "the database is not as the generator left it")
                                         .arg(heavy.key).arg(associateRows(*editor)).arg(heavy.associations)
                                         .toStdString());
        QSet<qint32> associated;
        for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
            if (grid.RowLevel(row) == FolderLevel)
                folderCodes << folderCode(row);
            if (editor->rows().isAssociate(row))
                associated << partyOf(row);
        }
        if (folderCodes.isEmpty())
            throw std::runtime_error("the associations editor shows no folders: no relationship types on file");
        // A small scale database may have too few parties left for two full batches.
        QList<qint32> partners;
        for (int tries = 0; partners.size() < 2 * BatchSize && tries < 50 * BatchSize; ++tries) {
            const qint32 key = context.anyParty().key;
            if (!associated.contains(key)) {
                associated << key;
                partners << key;
            }
        }
        for (qsizetype i = 0; i < partners.size() / 2 * 2; ++i)
            batches[std::size_t(i % 2)] << partners.at(i);
    }

    void addBatch(int batch)
    {
        const QList<qint32> &parties = batches[std::size_t(batch)];
        for (qsizetype i = 0; i < parties.size(); ++i) {
            int folder = grid.FixedRows();
            const int code = folderCodes.at(i % folderCodes.size());
            while (folder < grid.Rows() && (grid.RowLevel(folder) != FolderLevel || folderCode(folder) != code))
                ++folder;
            if (folder == grid.Rows())
                throw std::runtime_error("the associations editor lost a folder");
            const int row = editor->rows().AddAssociateRow(folder, false);
            editor->rows().AssignAssociate(row, QStringLiteral("P"), parties.at(i));
        }
    }

    // Marks the batch's rows deleted; false when the outline lacks some.
    bool deleteBatch(int batch)
    {
        qsizetype deleted = 0;
        for (int row = grid.Rows() - 1; row >= grid.FixedRows(); --row) {
            const bool stored = editor->rows().isAssociate(row) && !grid.RowHidden(row);
            if (stored && batches[std::size_t(batch)].contains(partyOf(row))) {
                editor->rows().DeleteAssociateRows(row, row);
                ++deleted;
            }
        }
        return deleted == batches[std::size_t(batch)].size();
    }

    void prepareSave()
    {
        if (!outlineStored || editor->PartyKey != heavy.key)
            showClient(*editor, heavy);
        if (storedBatch < 0) {
            addBatch(0);
            if (!editor->SaveRecords())
                throw std::runtime_error("the associations the saves swap could not be stored");
            storedBatch = 0;
        }
        prepared = deleteBatch(storedBatch);
        addBatch(1 - storedBatch);
        outlineStored = false;
    }

    bool save()
    {
        outlineStored = editor->SaveRecords();
        Bench::handlePendingEvents();
        if (outlineStored)
            storedBatch = 1 - storedBatch;
        return outlineStored && prepared;
    }

    void deleteStoredBatch()
    {
        if (storedBatch < 0)
            return;
        showClient(*editor, heavy);
        if (!deleteBatch(storedBatch) || !editor->SaveRecords())
            throw std::runtime_error("associations the benchmark stored could not be deleted again");
        storedBatch = -1;
        if (!showClient(*editor, heavy))
            throw std::runtime_error("the client with the most associations was not left as it was found");
    }

    // The heap in use (glibc's count of the bytes handed out, from its arenas
    // and mapped apart) after loading the heavy client into a new editor,
    // less before, per grid row.
    std::optional<double> bytesPerRow()
    {
        const auto heapInUse = [] {
            const struct mallinfo2 heap = mallinfo2();
            return qint64(heap.uordblks) + qint64(heap.hblkhd);
        };
        QWidget window;
        PartiesEditor *fresh = openEditor(window);
        const qint64 before = heapInUse();
        const bool shown = showClient(*fresh, heavy);
        const qint64 after = heapInUse();
        const int rows = fresh->grid()->Rows() - fresh->grid()->FixedRows();
        if (!shown || rows <= 0)
            return std::nullopt;
        return double(after - before) / double(rows);
    }

    BenchContext &context;
    Client heavy{context.fact(QStringLiteral("heavyClient")), context.fact(QStringLiteral("heavyClientAssociations"))};
    Client typical{context.fact(QStringLiteral("typicalClient")),
                   context.fact(QStringLiteral("typicalClientAssociations"))};
    QWidget window{};
    PartiesEditor *editor = openEditor(window);
    const DataGrid &grid = *editor->grid();
    QList<int> folderCodes = {};
    std::array<QList<qint32>, 2> batches = {};
    int storedBatch = -1;
    bool outlineStored = false;  // the outline shows the heavy client as stored, no changes pending
    bool prepared = false;       // the pending changes are the whole batches
};

struct Searches
{
    Searches()
    {
        names.setRecordSource(Statements::NameSearchSource);
        cities.setRecordSource(Statements::CityListSource);
        cities.setMaxRecords(150);  // as the party editor's city list
    }

    RecordSourceModel names;
    RecordSourceModel cities;
    TableObject zipBox;
    TableObject addressCheck;
    QString typed;
    BenchContext::ZipRow zip;
};

// A statement run through the sqlite3 C API, as the yardstick for the table
// object: prepared once, then for each run bound, stepped over the rows
// wanted (every column of each read out, as a caller would) and reset.
class RawStatement
{
public:
    using Values = std::vector<std::variant<qint64, double, QByteArray>>;

    RawStatement(sqlite3 *database, const QString &statement)
        : m_database(database)
        , m_text(statement.toUtf8())
    {
        if (sqlite3_prepare_v3(database, m_text.constData(), int(m_text.size()), SQLITE_PREPARE_PERSISTENT,
                               &m_statement, nullptr)
            != SQLITE_OK)
            throw std::runtime_error("sqlite3 refuses " + m_text.toStdString() + ": " + sqlite3_errmsg(database));
    }
    ~RawStatement() { sqlite3_finalize(m_statement); }

    // The values as they are bound, converted before a run is timed.
    static Values valuesOf(const QVariantList &values)
    {
        Values raw;
        for (const QVariant &value : values) {
            if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
                raw.emplace_back(value.toLongLong());
            else if (value.typeId() == QMetaType::Double)
                raw.emplace_back(value.toDouble());
            else
                raw.emplace_back(value.toString().toUtf8());
        }
        return raw;
    }

    // Binds the values and steps over at most maxRows rows (every row when
    // maxRows < 0); with probeMore one step more, as a page read asks
    // whether more rows follow. Throws std::runtime_error when a step fails.
    void run(const Values &values, int maxRows, bool probeMore = false)
    {
        bind(values);
        const int columns = sqlite3_column_count(m_statement);
        int rows = 0;
        int result = SQLITE_ROW;
        while ((maxRows < 0 || rows < maxRows) && (result = sqlite3_step(m_statement)) == SQLITE_ROW) {
            ++rows;
            for (int i = 0; i < columns; ++i) {
                // What the columns add up to, so that reading them is not left out.
                switch (sqlite3_column_type(m_statement, i)) {
                case SQLITE_INTEGER: m_checksum += sqlite3_column_int64(m_statement, i); break;
                case SQLITE_FLOAT: m_checksum += qint64(sqlite3_column_double(m_statement, i)); break;
                case SQLITE_TEXT:
                    m_checksum += *sqlite3_column_text(m_statement, i) + sqlite3_column_bytes(m_statement, i);
                    break;
                default: break;
                }
            }
        }
        if (result == SQLITE_ROW && probeMore)
            result = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            throw std::runtime_error("sqlite3 fails " + m_text.toStdString() + ": " + sqlite3_errmsg(m_database));
    }

    // What sqlite3 plans for the statement with these values bound (a prefix
    // bound to a Like can change the plan): a line per step of EXPLAIN QUERY
    // PLAN, indented by depth.
    QStringList plan(const Values &values)
    {
        RawStatement explain(m_database, QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromUtf8(m_text));
        explain.bind(values);
        QStringList lines;
        QHash<int, int> depthOf;  // step id -> depth
        while (sqlite3_step(explain.m_statement) == SQLITE_ROW) {
            const int depth = depthOf.value(sqlite3_column_int(explain.m_statement, 1), -1) + 1;
            depthOf.insert(sqlite3_column_int(explain.m_statement, 0), depth);
            const auto detail = reinterpret_cast<const char *>(sqlite3_column_text(explain.m_statement, 3));
            lines << QString(depth * 2, QLatin1Char(' ')) + QString::fromUtf8(detail);
        }
        return lines;
    }

private:
    void bind(const Values &values)
    {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int marker = int(i) + 1;
            if (const qint64 *number = std::get_if<qint64>(&values[i]))
                sqlite3_bind_int64(m_statement, marker, *number);
            else if (const double *real = std::get_if<double>(&values[i]))
                sqlite3_bind_double(m_statement, marker, *real);
            else
                sqlite3_bind_text(m_statement, marker, std::get<QByteArray>(values[i]).constData(),
                                  int(std::get<QByteArray>(values[i]).size()), SQLITE_STATIC);
        }
    }

    sqlite3 *m_database;
    QByteArray m_text;
    sqlite3_stmt *m_statement = nullptr;
    qint64 m_checksum = 0;
};

// How much of a statement's result the controls read: one row (Execute), a page (Fetch) or every row (Fetch).
enum Reading { AllRows = -1, Page = 0, OneRow = 1 };

struct Statement
{
    QString name;
    QString text;  // as the table object runs it
    Reading reading;
    std::function<QVariantList()> values;
    double budgetRatio = 1.3;
    QString note = {};
    QString sqlite = text;  // as sqlite3 runs it: the same, but for a locked read's clause
};

// The runs of one statement both ways, with the values of the next pair.
struct StatementRuns
{
    StatementRuns(sqlite3 *database, const QString &sqlite)
        : raw(database, sqlite)
    {
    }

    TableObject table;
    RawStatement raw;
    QVariantList values;
    RawStatement::Values rawValues;
};

// What a user of the party editor waits for, through a real PartyEditor in
// a shown window: LoadRecord (the locked read, with the lists it fills),
// HasErrors on a loaded valid party (the zip check and the duplicate
// searches), SaveRecord as an update and as an insert under the next key,
// and DeleteRecord of parties it inserted itself. Every party it inserts is
// deleted again, so the database keeps its size; updates rewrite the change
// date and user of the parties they save.

void addPartyEditorBenchmarks(QList<Bench::Case> &cases, BenchContext &context)
{
    const auto runs = std::shared_ptr<PartyEditorRuns>(new PartyEditorRuns{context});
    PartyEditor *editor = runs->host.editor;
    editor->UserID = QStringLiteral("BENCH");
    const QString group = QStringLiteral("Party editor");
    const auto loadAny = [runs, editor] { editor->LoadRecord(runs->context.anyParty().key); };
    cases << Bench::Case{.group = group, .name = QStringLiteral("LoadRecord (locked read, lists filled)"), .budget = 5,
                         .prepare = [runs] { runs->key = runs->context.anyParty().key; },
                         .measure = [runs, editor] { return editor->LoadRecord(runs->key); }};
    cases << Bench::Case{.group = group, .name = QStringLiteral("HasErrors (zip check, duplicate searches)"),
                         .budget = 5, .prepare = loadAny, .measure = [editor] { return !editor->HasErrors(); }};
    cases << Bench::Case{.group = group, .name = QStringLiteral("SaveRecord, update"), .budget = 5, .prepare = loadAny,
                         .measure = [editor] { return editor->SaveRecord(); }};
    cases << Bench::Case{
        .group = group, .name = QStringLiteral("SaveRecord, insert under the next key"), .budget = 5,
        .prepare = [runs] { runs->enterNewParty(); },
        .measure = [runs, editor] {
            runs->inserted = editor->SaveRecord() ? editor->PartyKey : 0;
            return runs->inserted != 0;
        },
        .cleanUp = [runs] { runs->deleteInserted(); },
        .note = QStringLiteral("each party inserted is deleted again before the next run, untimed")};
    cases << Bench::Case{.group = group, .name = QStringLiteral("DeleteRecord (of a party it inserted)"),
                         // A party that could not be inserted is not deleted either: the run counts as unexpected.
                         .prepare = [runs, editor] {
                             runs->enterNewParty();
                             editor->SaveRecord();
                         },
                         .measure = [editor] { return editor->DeleteRecord(); }};
}

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

bool addPartiesEditorBenchmarks(QList<Bench::Case> &cases, BenchContext &context)
{
    const auto runs = std::shared_ptr<PartiesEditorRuns>(new PartiesEditorRuns{context});
    if (runs->heavy.key <= 0 || runs->typical.key <= 0)
        return false;
    runs->chooseBatches();
    const QString group = QStringLiteral("Parties editor");
    const QLocale english(QLocale::English);
    for (const Client &client : {runs->typical, runs->heavy}) {
        // From a client with few, as when the user opens one case after another.
        cases << Bench::Case{
            .group = group,
            .name = QStringLiteral("LoadRecords, %1 associations, painted").arg(english.toString(client.associations)),
            .budget = 100,
            .prepare = [runs] {
                if (runs->editor->PartyKey != runs->typical.key)
                    showClient(*runs->editor, runs->typical);
            },
            .measure = [runs, client] { return showClient(*runs->editor, client); }};
    }
    const QString heavy = QStringLiteral("%1 associations").arg(english.toString(runs->heavy.associations));
    const qsizetype batch = runs->batches[0].size();
    cases << Bench::Case{.group = group, .name = QStringLiteral("SaveRecords, %1 inserts + %1 deletes").arg(batch),
                         .budget = 50, .prepare = [runs] { runs->prepareSave(); },
                         .measure = [runs] { return runs->save(); }, .cleanUp = [runs] { runs->deleteStoredBatch(); },
                         .note = QStringLiteral("on the client with %1, through the check for duplicates; the outline "
                                                "is painted again after it. Each save deletes the %2 associations the "
                                                "one before inserted.")
                                     .arg(heavy).arg(batch)};
    cases << Bench::Case{.group = group, .name = QStringLiteral("grid memory per row (%1)").arg(heavy), .budget = 1024,
                         .note = QStringLiteral("heap in use (malloc) after LoadRecords in a new editor, less before"),
                         .unit = QStringLiteral("B/row"), .figure = [runs] { return runs->bytesPerRow(); }};
    return true;
}

// The searches that run as a user types: the name search's first page
// (parties and clients) for prefixes of 1, 2, 3 and 6 characters, the city
// list's first page, the zip box's lookup of a zip and the address check
// against the zip table. The lists read through RecordSourceModel as the
// controls do, with the page size and row limit the controls give them; the
// prefixes are beginnings of names and cities on file, so common beginnings
// come up as often as users type them.

void addSearchBenchmarks(QList<Bench::Case> &cases, BenchContext &context)
{
    const auto searches = std::make_shared<Searches>();
    const QString group = QStringLiteral("Searches");
    // The first page of a list for a prefix of so many characters.
    const auto search = [&](RecordSourceModel &list, const char *what, int length,
                            const std::function<QString()> &prefix) {
        cases << Bench::Case{.group = group,
                             .name = QStringLiteral("%1 search, first page of %2, %3 character%4 typed")
                                         .arg(QLatin1String(what)).arg(list.pageSize()).arg(length)
                                         .arg(QLatin1String(length == 1 ? "" : "s")),
                             .budget = 5, .prepare = [searches, prefix] { searches->typed = prefix(); },
                             .measure = [searches, &list] {
                                 list.load(searches->typed);
                                 return list.rowCount() > 0;
                             }};
    };
    for (const int length : {1, 2, 3, 6})
        search(searches->names, "name", length, [&context, length] { return context.namePrefix(length); });
    for (const int length : {1, 3})
        search(searches->cities, "city", length, [&context, length] { return context.anyZip().city.left(length); });
    const auto anyZip = [searches, &context] { searches->zip = context.anyZip(); };
    cases << Bench::Case{.group = group, .name = QStringLiteral("zip lookup (the zip box: city and state of a zip)"),
                         .budget = 5, .prepare = anyZip, .measure = [searches] {
                             searches->zipBox.Execute(Statements::ZipCityState, QVariantList{searches->zip.zip});
                             return !searches->zipBox.Eof();
                         }};
    cases << Bench::Case{.group = group, .name = QStringLiteral("zip lookup (address check: city, state and zip)"),
                         .budget = 5, .prepare = anyZip, .measure = [searches] {
                             const BenchContext::ZipRow &zip = searches->zip;
                             return AddressFunctions::CityStateZipValid(searches->addressCheck, zip.city, zip.state,
                                                                        zip.zip);
                         }};
}

// Each statement the controls run on every load, check, save and keystroke,
// side by side through our TableObject and straight through the sqlite3 C
// API on the data layer's own connection (the same attached files,
// functions and cache), with the same values and the same number of rows
// read: one row where the controls read one (Execute), a page and the probe
// for more where a list reads a page (Fetch), every row of the small code
// lists. Only on SQLite.

void addStatementBenchmarks(QList<Bench::Case> &cases, BenchContext &context, QTextStream *plans)
{
    if (!context.sqlite)
        throw std::runtime_error("the statements are compared with sqlite3 on SQLite only");
    const auto anyKey = [&context] { return QVariantList{context.anyParty().key}; };
    const auto none = [] { return QVariantList(); };
    const auto typed = [&context](const QString &source, int length, bool city) {
        return [&context, source, length, city] {
            const QString text = city ? context.anyZip().city.left(length) : context.namePrefix(length);
            return RecordSource::bind(source, text).parameters();
        };
    };
    const QString nameSearch = RecordSource::bind(Statements::NameSearchSource, QString()).statement();
    const QString cityList = RecordSource::bind(Statements::CityListSource, QString()).statement();
    const QList<Statement> statements{
        {QStringLiteral("party by key (the load's select)"), Statements::LoadParty, OneRow, anyKey},
        {QStringLiteral("party by key, locked read (LoadPartyForUpdate)"), Statements::LoadPartyForUpdate,
         OneRow, anyKey, 0,
         QStringLiteral("the table object reads the row, takes its row lock and reads it again; sqlite3 reads it once"),
         Statements::LoadParty},
        {QStringLiteral("next party key (NextPartyKey)"), Statements::NextPartyKey, OneRow, none},
        {QStringLiteral("duplicates with street (DuplicatePartyWithStreet)"), Statements::DuplicatePartyWithStreet,
         OneRow,
         [&context] {
             const Fixtures::Party &party = context.anyParty();
             const ParsedName name = ParseName(party.name);
             const QString shortName = name.LastName + QStringLiteral(", ") + name.FirstName + QLatin1Char('%');
             return QVariantList{party.key, shortName, party.birthDate, party.sex, party.street1};
         }},
        {QStringLiteral("duplicates (DuplicateParty)"), Statements::DuplicateParty, OneRow,
         [&context] {
             const Fixtures::Party &party = context.anyParty();
             return QVariantList{party.key, party.name + QLatin1Char('%'), party.birthDate, party.sex};
         }},
        {QStringLiteral("address check (ZipLookup)"), Statements::ZipLookup, OneRow,
         [&context] {
             const BenchContext::ZipRow &zip = context.anyZip();
             return QVariantList{zip.city, zip.state, zip.zip};
         }},
        {QStringLiteral("zip box lookup (ZipCityState)"), Statements::ZipCityState, OneRow,
         [&context] { return QVariantList{context.anyZip().zip}; }},
        {QStringLiteral("state list (StateListSource, every row)"), Statements::StateListSource, AllRows, none},
        {QStringLiteral("sex list (SexListSource, every row)"), Statements::SexListSource, AllRows, none},
        {QStringLiteral("name search page, 1 character (NameSearchSource)"), nameSearch, Page,
         typed(Statements::NameSearchSource, 1, false)},
        {QStringLiteral("name search page, 3 characters (NameSearchSource)"), nameSearch, Page,
         typed(Statements::NameSearchSource, 3, false)},
        {QStringLiteral("city list page, 3 characters (CityListSource)"), cityList, Page,
         typed(Statements::CityListSource, 3, true)},
        // The party as it is on file, written back as the editor writes it.
        {QStringLiteral("party update, same values (UpdateParty)"), Statements::UpdateParty, OneRow,
         [&context] {
             const Fixtures::Party &party = context.anyParty();
             return QVariantList{party.name,      party.street1,   party.street2,    party.city,      party.state,
                                 party.zip,       QString(),       QString(),        party.homePhone, party.workPhone,
                                 party.cellPhone, party.birthDate, party.sex,        party.changeDate, party.user,
                                 party.key};
         },
         1.3, QStringLiteral("a write: each run commits on its own, as the controls' statements do")},
    };

    const int pageSize = RecordSourceModel().pageSize();
    if (plans)
        *plans << "Query plans:";
    for (const Statement &statement : statements) {
        const auto runs = std::make_shared<StatementRuns>(context.sqlite, statement.sqlite);
        if (plans) {
            *plans << "\n" << statement.name << "\n  " << statement.sqlite << "\n";
            for (const QString &line : runs->raw.plan(RawStatement::valuesOf(statement.values())))
                *plans << "    " << line << "\n";
        }
        const int rows = statement.reading == Page ? pageSize : statement.reading;
        cases << Bench::Case{.group = Bench::ComparisonGroup, .name = statement.name, .budget = statement.budgetRatio,
                             .prepare = [runs, values = statement.values] {
                                 runs->values = values();
                                 runs->rawValues = RawStatement::valuesOf(runs->values);
                             },
                             .measure = [runs, text = statement.text, rows] {
                                 if (rows == OneRow)
                                     runs->table.Execute(text, runs->values);
                                 else
                                     runs->table.Fetch(text, runs->values, rows);
                                 return true;
                             },
                             .note = statement.note,
                             .baseline = [runs, rows, page = statement.reading == Page] {
                                 runs->raw.run(runs->rawValues, rows, page);
                             }};
    }
    if (plans)
        *plans << "\n" << Qt::flush;
}

QString machineLine()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    const QRegularExpressionMatch model =
        QRegularExpression(QStringLiteral("^model name\\s*:\\s*(.*)$"), QRegularExpression::MultilineOption)
            .match(cpuinfo.open(QIODevice::ReadOnly) ? QString::fromUtf8(cpuinfo.readAll()) : QString());
    return QStringLiteral("%1 cores (%2), %3, SQLite %4, Qt %5")
        .arg(QThread::idealThreadCount())
        .arg(model.hasMatch() ? model.captured(1).trimmed() : QSysInfo::currentCpuArchitecture(),
             QSysInfo::prettyProductName(), QString::fromLatin1(sqlite3_libversion()), QString::fromLatin1(qVersion()));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the controls' work on a scale database."));
    parser.addHelpOption();
    parser.addOptions(
        {{QStringLiteral("database"), QStringLiteral("sqlite:/folder or postgresql://user@host:port/db (default: "
                                                     "TORVA_DATABASE)."), QStringLiteral("location")},
         {QStringLiteral("info"), QStringLiteral("The facts file generate-scale-data wrote."), QStringLiteral("file")},
         {QStringLiteral("filter"), QStringLiteral("Only cases whose \"group: name\" matches."),
          QStringLiteral("regex")},
         {QStringLiteral("samples"), QStringLiteral("Exactly this many timed runs per case."), QStringLiteral("count")},
         {QStringLiteral("seconds"), QStringLiteral("At most this long per case (default 3)."),
          QStringLiteral("seconds"), QStringLiteral("3")},
         {QStringLiteral("markdown"), QStringLiteral("Also write the tables as Markdown."), QStringLiteral("file")},
         {QStringLiteral("plans"), QStringLiteral("Print the query plan of each compared statement first.")},
         {QStringLiteral("json"), QStringLiteral("Also write the figures as JSON (for bench-side-by-side)."),
          QStringLiteral("file")}});

    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usageError = [&err](const QString &text) {
        err << "torva-bench: " << text << "\n";
        return Bench::UsageError;
    };
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());
    if (!parser.isSet(QStringLiteral("database")) && qEnvironmentVariableIsEmpty("TORVA_DATABASE"))
        return usageError(QStringLiteral("name the scale database with --database or TORVA_DATABASE"));
    Bench::Options options;
    bool secondsOk = false;
    bool samplesOk = true;
    options.seconds = parser.value(QStringLiteral("seconds")).toDouble(&secondsOk);
    if (parser.isSet(QStringLiteral("samples"))) {
        options.fixedSamples = parser.value(QStringLiteral("samples")).toInt(&samplesOk);
        samplesOk = samplesOk && options.fixedSamples > 0;
    }
    options.filter =
        QRegularExpression(parser.value(QStringLiteral("filter")), QRegularExpression::CaseInsensitiveOption);
    if (!secondsOk || !(options.seconds > 0) || !samplesOk)
        return usageError(QStringLiteral("--seconds takes a number above 0, --samples a whole number above 0"));
    if (!options.filter.isValid())
        return usageError(QStringLiteral("--filter is no regular expression: ") + options.filter.errorString());

    try {
        if (parser.isSet(QStringLiteral("database")))
            Database::setLocation(parser.value(QStringLiteral("database")));
        Database::setUserName(QStringLiteral("BENCH"));
        // What a newer library expects of a database the generator made
        // earlier (indexes, functions) is made before anything is timed: an
        // index made anew over a million rows takes longer than a control may.
        Database::setStatementDeadline(std::chrono::hours(1));
        Database::initialize();
        Database::setStatementDeadline(Database::DefaultDeadline);

        ScriptedMessages messages;
        BenchContext context(parser.value(QStringLiteral("info")));
        const QString machine = machineLine();
        out << "Machine:  " << machine << "\nDatabase: " << context.description << "\n\n" << Qt::flush;
        QList<Bench::Case> cases;
        addPartyEditorBenchmarks(cases, context);
        if (!addPartiesEditorBenchmarks(cases, context))
            out << "(The associations editor is timed only with the generator's facts file: --info FILE.)\n";
        addSearchBenchmarks(cases, context);
        if (context.sqlite)
            addStatementBenchmarks(cases, context, parser.isSet(QStringLiteral("plans")) ? &out : nullptr);
        else
            out << "(The statements are compared with sqlite3 only on SQLite.)\n";
        // A run that met a message box timed a check that failed, not the path it should.
        for (Bench::Case &benchmark : cases) {
            if (benchmark.measure && !benchmark.baseline)
                benchmark.measure = [measure = benchmark.measure, &messages] {
                    const qsizetype before = messages.messages.size();
                    return measure() && messages.messages.size() == before;
                };
        }

        const QJsonObject run{{QStringLiteral("engine"), context.engine},
                              {QStringLiteral("machine"), machine},
                              {QStringLiteral("database"), context.description},
                              {QStringLiteral("results"), Bench::run(cases, options, out)}};
        const QString table = Bench::markdown({run});
        const Bench::ExitStatus status = Bench::exitStatus(run[QLatin1String("results")].toArray());
        out << "\n" << table << "\n"
            << (status == Bench::BudgetsMet     ? "Every budget met.\n"
                : status == Bench::BudgetMissed ? "Budgets missed (MISSED above).\n"
                                                : "A benchmark gave no figure.\n");
        if (!messages.messages.isEmpty())
            out << messages.messages.size() << " messages shown, the last: \"" << messages.messages.last().text
                << "\"\n";
        out << Qt::flush;
        if (parser.isSet(QStringLiteral("markdown")))
            Bench::writeFile(parser.value(QStringLiteral("markdown")), table.toUtf8());
        if (parser.isSet(QStringLiteral("json")))
            Bench::save(run, parser.value(QStringLiteral("json")));
        return status;
    } catch (const DataAccessError &error) {
        out.flush();
        err << "torva-bench: " << error.description() << "\n";
        if (!error.statement().isEmpty())
            err << "  statement: " << error.statement() << "\n";
    } catch (const std::exception &error) {
        out.flush();
        err << "torva-bench: " << error.what() << "\n";
    }
    return Bench::Failed;
}
