// Every statement of Statements, run on each engine against the schema, with
// the rows, values and counts the controls rely on. A statement an engine
// refuses fails its row with the engine's message and the statement text
// (DataAccessError::what) instead of ending the whole run.

#include "data/dataaccesserror.h"
#include "data/queryresult.h"
#include "data/recordsource.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QtTest>

#include <algorithm>

using namespace Torva;

namespace {

QueryResult fetch(const QString &statement, const QVariantList &values = {})
{
    TableObject table;
    return table.Fetch(statement, values);
}

QString n(qlonglong number)
{
    return QString::number(number);
}

// A value as compared here: NULL stays apart from an empty text.
QString cell(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("NULL") : value.toString();
}

// Each row as its values joined by "|".
QStringList rendered(const QueryResult &result)
{
    QStringList lines;
    for (const QVariantList &row : result.toRows()) {
        QStringList cells;
        for (const QVariant &value : row)
            cells << cell(value);
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

// The first row as "COLUMN=value" lines, in select order.
QStringList columns(const QueryResult &result)
{
    QStringList lines;
    for (qsizetype i = 0; i < result.fieldNames().size() && !result.isEmpty(); ++i)
        lines << result.fieldNames().at(i) + QLatin1Char('=') + cell(result.value(0, int(i)));
    return lines;
}

QList<int> sortedKeys(const QueryResult &result, const QString &field)
{
    QList<int> found;
    for (const QVariantList &row : result.toRows())
        found << row.at(result.fieldIndex(field)).toInt();
    std::sort(found.begin(), found.end());
    return found;
}

// A list's data row: the record source with the typed text bound.
QTestData &listRow(const char *name, const QString &source, const QString &typed)
{
    const RecordSource bound = RecordSource::bind(source, typed);
    return QTest::newRow(name) << bound.statement() << bound.parameters();
}

// Runs a row's checks; a statement the engine refuses fails the row with the
// engine's message and the statement text instead of ending the whole run.
template<typename Checks>
void failOnRefusal(Checks checks)
{
    try {
        checks();
    } catch (const DataAccessError &error) {
        QFAIL(error.what());
    }
}

// One stored association, as PRBCLTASC holds it.
struct Association { QString flag1; int key1; int code; QString flag2; int key2; int changeDate; QString user; };

const Association ParentOfJane{"P", 5, 1, "C", 12, 1052026, "OFFICER"};
const Association JaneParentOfBaby{"C", 12, 1, "C", 7, 12312025, "CLERK"};
const Association JaneSiblingOfSam{"C", 12, 21, "P", 6, 3152026, "OFFICER"};
const Association AnnSiblingOfJane{"P", 8, 21, "C", 12, 11302025, "CLERK"};
const Association VanishedParent{"P", 99, 1, "C", 12, 2012026, "OFFICER"};
// The same numbers under the other kind, which belong to neither tree read here.
const QList<Association> OtherKinds{{"P", 12, 21, "P", 7, 4012026, "CLERK"}, {"C", 7, 1, "P", 12, 4022026, "CLERK"},
                                    {"C", 5, 1, "C", 7, 4032026, "CLERK"}, {"P", 6, 21, "C", 5, 4042026, "CLERK"}};

QString header(const QString &description, const QString &name, int birthDate)
{
    return QStringList{description, "0", "0", "0", "0", name, n(birthDate), "0", "", "", "0", "0", "", "0", "0", "0"}
        .join(QLatin1Char('|'));
}

QString folder(const QString &description, int code, int shownCode, int hasInverse)
{
    return QStringList{description, n(code), n(shownCode), "1", n(hasInverse), "", "0", "0", "", "", "0", "0", "", "0",
                       "0", "0"}
        .join(QLatin1Char('|'));
}

QString associate(int shownCode, const QString &name, int birthDate, const Association &a)
{
    return QStringList{"", n(a.code), n(shownCode), "2", "0", name, n(birthDate), n(a.changeDate), a.user,
                       a.flag1, n(a.key1), n(a.code), a.flag2, n(a.key2), "-1", "0"}
        .join(QLatin1Char('|'));
}

// Rows that tie on the statement's order (SORTBY, RLTCOD, ROWOUTLVL) may come
// in any order; sorting within each tie only keeps every other order checked.
QStringList tiesSorted(QStringList rows)
{
    const auto orderKey = [](const QString &line) { return line.split(QLatin1Char('|')).mid(1, 3); };
    for (qsizetype start = 0; start < rows.size();) {
        qsizetype end = start + 1;
        while (end < rows.size() && orderKey(rows.at(end)) == orderKey(rows.at(start)))
            ++end;
        std::sort(rows.begin() + start, rows.begin() + end);
        start = end;
    }
    return rows;
}

// The sixteen values of InsertParty and UpdateParty, in marker order, with
// the empty foreign country and postal code the editor sends.
QVariantList partyValues(const Fixtures::Party &p)
{
    return {p.name, p.street1, p.street2, p.city, p.state, p.zip, QStringLiteral(""), QStringLiteral(""),
            p.homePhone, p.workPhone, p.cellPhone, p.birthDate, p.sex, p.changeDate, p.user, p.key};
}

QueryResult loadParty(int key)
{
    return fetch(Statements::LoadPartyForUpdate, {key});
}

} // namespace

class StatementsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDatabase::addEngineRows(); }
    void init() { TORVA_USE_GLOBAL_ENGINE_ROW(); }

    void associationTree_data();
    void associationTree();
    void duplicateParties_data();
    void duplicateParties();
    void listsAndLookups_data();
    void listsAndLookups();
    void partyWrites();
    void associationWrites();
};

void StatementsTest::associationTree_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("expected");

    // A directional type lists both folders; a symmetric one shows both stored
    // orientations after its one folder (the side-1 rows as code + 100).
    const QStringList jane{header("Client", "DOE, JANE", 19750615),
                           folder("Parent", 1, 1, -1),
                           associate(1, "SMITH, PAT", 19600101, ParentOfJane),
                           associate(1, "", 0, VanishedParent),
                           folder("Child", 1, 101, -1),
                           associate(101, "DOE, BABY", 20100304, JaneParentOfBaby),
                           folder("Sibling", 21, 21, 0),
                           associate(21, "DOE, ANN", 19800202, AnnSiblingOfJane),
                           associate(121, "DOE, SAM", 19781111, JaneSiblingOfSam)};
    const QStringList pat{header("Party", "SMITH, PAT", 19600101), folder("Parent", 1, 1, -1),
                          folder("Child", 1, 101, -1), associate(101, "DOE, JANE", 19750615, ParentOfJane),
                          folder("Sibling", 21, 21, 0)};
    const QStringList nobody{folder("Parent", 1, 1, -1), folder("Child", 1, 101, -1), folder("Sibling", 21, 21, 0)};

    QTest::newRow("client") << "C" << 12 << jane;
    QTest::newRow("party") << "P" << 5 << pat;
    QTest::newRow("unknown key") << "C" << 404 << nobody;
}

void StatementsTest::associationTree()
{
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(QStringList, expected);
    failOnRefusal([&] {
        // Code 21 goes in first, so that the folder order cannot come from the insert order.
        Fixtures::addRelationship(21, "Sibling", "Sibling");
        Fixtures::addRelationship(1, "Parent", "Child");
        Fixtures::addClient(12, "DOE, JANE", 19750615);
        Fixtures::addClient(7, "DOE, BABY", 20100304);
        Fixtures::addClient(5, "ROE, CLIENT FIVE", 19500505);
        Fixtures::addClient(99, "ROE, CLIENT NINETY-NINE", 19990909);
        Fixtures::addParty(5, "SMITH, PAT", 19600101);
        Fixtures::addParty(6, "DOE, SAM", 19781111);
        Fixtures::addParty(7, "ROE, PARTY SEVEN", 19700707);
        Fixtures::addParty(8, "DOE, ANN", 19800202);
        Fixtures::addParty(12, "ROE, PARTY TWELVE", 19721212);
        const QList<Association> stored{ParentOfJane, JaneParentOfBaby, JaneSiblingOfSam, AnnSiblingOfJane,
                                        VanishedParent};
        for (const Association &a : stored + OtherKinds)
            Fixtures::addAssociation(a.flag1, a.key1, a.code, a.flag2, a.key2, a.changeDate, a.user);

        const QueryResult tree = fetch(Statements::associationTree(kind), {key, kind, key, kind, key});

        QCOMPARE(tree.fieldNames(), QStringLiteral("RLTDSC,SORTBY,RLTCOD,ROWOUTLVL,HASINVCOD,ASCNAM,ASCBDT,ASCUDT,"
                                                 "ASCUSR,ORGFLG1,ORGKEY1,ORGRLTCOD,ORGFLG2,ORGKEY2,OLDRCD,CHGRCD")
                                      .split(QLatin1Char(',')));
        QCOMPARE(tiesSorted(rendered(tree)), tiesSorted(expected));
    });
}

void StatementsTest::duplicateParties_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("expected");

    const QString street = Statements::DuplicatePartyWithStreet;
    const QString anyStreet = Statements::DuplicateParty;
    using Values = QVariantList;
    using Keys = QList<int>;
    QTest::newRow("same street") << street << Values{1, "SMITH, JOHN%", 19800101, "M", "12 MAIN ST"} << Keys{2};
    QTest::newRow("unsaved party") << street << Values{9, "SMITH, JOHN%", 19800101, "M", "12 MAIN ST"} << Keys{1, 2};
    QTest::newRow("other street") << street << Values{1, "SMITH, JOHN%", 19800101, "M", "99 ELM ST"} << Keys{3};
    QTest::newRow("full name") << anyStreet << Values{1, "SMITH, JOHN Q", 19800101, "M"} << Keys{2};
    QTest::newRow("short name") << anyStreet << Values{1, "SMITH, JOHN%", 19800101, "M"} << Keys{2, 3};
    QTest::newRow("inner wildcard") << anyStreet << Values{1, "SMITH%JOHN%", 19800101, "M"} << Keys{2, 3, 6};
    // The editor's form hands its numbers over as doubles.
    QTest::newRow("doubles") << anyStreet << Values{1.0, "SMITH, JOHN%", 19800101.0, "M"} << Keys{2, 3};
    // A backslash of the name is text on every engine, also before the wildcard.
    QTest::newRow("backslash") << anyStreet << Values{1, "O\\BRIEN, ANN\\%", 19900101, "M"} << Keys{8};
    QTest::newRow("backslash before a wildcard") << anyStreet << Values{1, "O\\%", 19900101, "M"} << Keys{8};
}

void StatementsTest::duplicateParties()
{
    QFETCH(QString, statement);
    QFETCH(QVariantList, values);
    QFETCH(QList<int>, expected);
    failOnRefusal([&] {
        // Given: party 1 being edited (the fixture's defaults: SMITH, JOHN Q at 12 MAIN ST, born
        // 19800101, M), party 2 just like it, and others differing from it in one thing each
        const Fixtures::Party parties[] = {{.key = 1},
                                           {.key = 2},
                                           {.key = 3, .name = "SMITH, JOHNNY", .street1 = "99 ELM ST"},
                                           {.key = 4, .sex = "F"},
                                           {.key = 5, .birthDate = 19800102},
                                           {.key = 6, .name = "SMITHSON, JOHN Q"},
                                           {.key = 7, .name = "smith, john q"},
                                           {.key = 8, .name = "O\\BRIEN, ANN\\", .birthDate = 19900101}};
        for (const Fixtures::Party &party : parties)
            Fixtures::addParty(party);

        QCOMPARE(sortedKeys(fetch(statement, values), "PTYKEY"), expected);
    });
}

void StatementsTest::listsAndLookups_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QStringList>("expected");  // the field names, then the rows

    const QString names = QStringLiteral("ASCFLG|PTYKEY|PTYNAM|PTYBDTMDY");
    const QString zips = QStringLiteral("ZIPCTY|ZIPSTA|ZIPKEY");
    const QString users = QStringLiteral("SECUSR|SECNAM|SECP01|SECP02|SECP03");
    const QString search = Statements::NameSearchSource;
    const QString cities = Statements::CityListSource;
    // Both tables merged in name order; neither "JONES, SMITH" nor "smith, al" starts with SMI.
    listRow("names", search, "SMI")
        << QStringList{names, "C|3|SMILEY, GEORGE|01/09/2000", "P|3|SMIRNOFF, IVAN|00/00/0000",
                       "P|1|SMITH, JOHN|01/01/1980", "C|10|SMITHERS, WAYLON|12/31/1955"};
    listRow("names in lower case", search, "smi") << QStringList{names, "P|5|smith, al|05/05/1985"};
    listRow("names with comma", search, "SMITH, ") << QStringList{names, "P|1|SMITH, JOHN|01/01/1980"};
    listRow("names with quote", search, "O'B")
        << QStringList{names, "C|12|O'BRIEN, KATE|10/09/1999", "P|4|O'BRIEN, PAT|07/04/1970"};
    listRow("no name", search, "SMX") << QStringList{names};

    QTest::newRow("zip match") << Statements::ZipLookup << QVariantList{"SPRINGFIELD", "IL", 62701}
                               << QStringList{zips, "SPRINGFIELD|IL|62701"};
    QTest::newRow("zip in other state") << Statements::ZipLookup << QVariantList{"SPRINGFIELD", "MO", 62701}
                                        << QStringList{zips};
    QTest::newRow("zip 0") << Statements::ZipLookup << QVariantList{"SPRINGFIELD", "IL", 0} << QStringList{zips};
    listRow("cities", cities, "SPRING")
        << QStringList{zips, "SPRING HILL|FL|34606", "SPRINGDALE|AR|72762", "SPRINGFIELD|IL|62701",
                       "SPRINGFIELD|IL|62702", "SPRINGFIELD|MO|65801"};
    listRow("cities with quote", cities, "COEUR D'") << QStringList{zips, "COEUR D'ALENE|ID|83814"};
    listRow("cities in lower case", cities, "spring") << QStringList{zips};
    listRow("states", Statements::StateListSource, "")
        << QStringList{"STACOD|STADSC|STACTR", "ID|Idaho|US", "IL|Illinois|US", "MO|Missouri|US"};
    listRow("sexes", Statements::SexListSource, "") << QStringList{"SEXCOD|SEXDSC", "F|Female", "M|Male", "U|Unknown"};

    // The highest key, not the number of parties.
    QTest::newRow("next party key") << Statements::NextPartyKey << QVariantList{} << QStringList{"MAXPTYKEY", "41"};
    QTest::newRow("user who may delete") << Statements::SecurityRow << QVariantList{"SUPERVISOR"}
                                         << QStringList{users, "SUPERVISOR|SUPERVISOR|Y|Y|N"};
    QTest::newRow("user who may not") << Statements::SecurityRow << QVariantList{"OFFICER"}
                                      << QStringList{users, "OFFICER|OFFICER|Y|N|N"};
    QTest::newRow("unknown user") << Statements::SecurityRow << QVariantList{"NOBODY"} << QStringList{users};
}

void StatementsTest::listsAndLookups()
{
    QFETCH(QString, statement);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, expected);
    failOnRefusal([&] {
        Fixtures::addParty(1, "SMITH, JOHN", 19800101);
        Fixtures::addParty(2, "SMALL, TOM", 19900202);
        Fixtures::addParty(3, "SMIRNOFF, IVAN", 0);
        Fixtures::addParty(41, "JONES, HIGH KEY", 19700101);
        Fixtures::addParty(4, "O'BRIEN, PAT", 19700704);
        Fixtures::addParty(5, "smith, al", 19850505);
        Fixtures::addClient(3, "SMILEY, GEORGE", 20000109);  // the same number as party 3
        Fixtures::addClient(10, "SMITHERS, WAYLON", 19551231);
        Fixtures::addClient(11, "JONES, SMITH", 19660606);
        Fixtures::addClient(12, "O'BRIEN, KATE", 19991009);
        Fixtures::addZip("SPRINGFIELD", "MO", 65801);
        Fixtures::addZip("SPRINGFIELD", "IL", 62702);
        Fixtures::addZip("SPOKANE", "WA", 99201);
        Fixtures::addZip("SPRINGFIELD", "IL", 62701);
        Fixtures::addZip("COEUR D'ALENE", "ID", 83814);
        Fixtures::addZip("SPRINGDALE", "AR", 72762);
        Fixtures::addZip("SPRING HILL", "FL", 34606);
        Fixtures::addState("MO", "Missouri");
        Fixtures::addState("ON", "Ontario", "CA");
        Fixtures::addState("ID", "Idaho");
        Fixtures::addState("IL", "Illinois");
        Fixtures::addSex("M", "Male");
        Fixtures::addSex("F", "Female");
        Fixtures::addSex("U", "Unknown");
        Fixtures::addUser("OFFICER", "N");
        Fixtures::addUser("SUPERVISOR", "Y");

        const QueryResult result = fetch(statement, values);
        QStringList found = rendered(result);
        if (!statement.contains(QLatin1String("Order By")))
            found.sort();  // the sex list comes in the table's own order
        QCOMPARE(QStringList{result.fieldNames().join(QLatin1Char('|'))} + found, expected);
    });
}

void StatementsTest::partyWrites()
{
    failOnRefusal([] {
        Fixtures::addParty(43, "JONES, NEIGHBOUR", 19700101);
        const QStringList neighbour = columns(loadParty(43));

        const Fixtures::Party party{.key = 42, .street2 = QStringLiteral("APT 2"), .homePhone = 5551234567.0,
                                    .workPhone = 5559876543.0, .cellPhone = 0.0};
        TableObject table;
        QCOMPARE(table.Execute(Statements::InsertParty, partyValues(party)), 1);
        QCOMPARE(columns(loadParty(42)),
                 QStringList({"PTYKEY=42", "PTYNAM=SMITH, JOHN Q", "PTYST1=12 MAIN ST", "PTYST2=APT 2",
                              "PTYCTY=SPRINGFIELD", "PTYSTA=IL", "PTYZIP=62701", "PTYCTR=", "PTYIZP=",
                              "PTYHOMPHN=5551234567", "PTYWRKPHN=5559876543", "PTYCELPHN=0", "PTYBDT=19800101",
                              "PTYSEX=M", "PTYUDT=6232026", "PTYUSR=OFFICER"}));

        // When: the editor saves changes with the same array
        const Fixtures::Party changed{.key = 42, .name = QStringLiteral("SMITH, JOHN QUINCY"),
                                      .street1 = QStringLiteral("14 OAK AVE"), .street2 = QStringLiteral(""),
                                      .homePhone = 0.0, .workPhone = 5559876543.0, .cellPhone = 5557654321.0,
                                      .birthDate = 19791231, .changeDate = 12012026, .user = QStringLiteral("CLERK")};
        QCOMPARE(table.Execute(Statements::UpdateParty, partyValues(changed)), 1);

        // Then: every column holds the new value, and no other party changed
        QCOMPARE(columns(loadParty(42)),
                 QStringList({"PTYKEY=42", "PTYNAM=SMITH, JOHN QUINCY", "PTYST1=14 OAK AVE", "PTYST2=",
                              "PTYCTY=SPRINGFIELD", "PTYSTA=IL", "PTYZIP=62701", "PTYCTR=", "PTYIZP=",
                              "PTYHOMPHN=0", "PTYWRKPHN=5559876543", "PTYCELPHN=5557654321", "PTYBDT=19791231",
                              "PTYSEX=M", "PTYUDT=12012026", "PTYUSR=CLERK"}));
        QCOMPARE(columns(loadParty(43)), neighbour);

        QCOMPARE(table.Execute(Statements::DeleteParty, QVariantList{42}), 1);
        QCOMPARE(table.Execute(Statements::DeleteParty, QVariantList{42}), 0);
        QVERIFY(loadParty(42).isEmpty());
        QCOMPARE(TestDatabase::count("DUVPRB.PRBPTY"), 1);
    });
}

void StatementsTest::associationWrites()
{
    failOnRefusal([] {
        // Given: the same pair already linked the other way round, and by another code
        Fixtures::addAssociation("P", 5, 1, "C", 12);
        Fixtures::addAssociation("C", 12, 21, "P", 5);

        // The editor binds its keys and codes as doubles.
        const QVariantList link{"C", 12.0, 1.0, "P", 5.0};
        TableObject table;
        table.Execute(Statements::DuplicateAssociation, link);
        QVERIFY(table.Eof());

        QCOMPARE(table.Execute(Statements::InsertAssociation, link + QVariantList{6232026, "CLERK"}), 1);
        table.Execute(Statements::DuplicateAssociation, link);
        QVERIFY(!table.Eof());
        QCOMPARE(columns(fetch(Statements::DuplicateAssociation, {"C", 12, 1, "P", 5})),
                 QStringList({"ASCFLG1=C", "ASCKEY1=12", "ASCRLTCOD=1", "ASCFLG2=P", "ASCKEY2=5", "ASCUDT=6232026",
                              "ASCUSR=CLERK"}));

        QCOMPARE(table.Execute(Statements::DeleteAssociation, link), 1);
        QCOMPARE(table.Execute(Statements::DeleteAssociation, link), 0);
        table.Execute(Statements::DuplicateAssociation, link);
        QVERIFY(table.Eof());
        QCOMPARE(TestDatabase::count("DUVPRB.PRBCLTASC"), 2);
    });
}

QTEST_GUILESS_MAIN(StatementsTest)
#include "tst_statements.moc"
