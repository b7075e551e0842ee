// The statements whose rows no control's own test pins down, run on each
// engine against the schema: the association tree, the likely duplicates, the
// lists, and the association writes (the party's are proved by the party
// editor's save tests). A statement an engine refuses fails its row with the
// engine's message and the statement text (DataAccessError::what, through
// QVERIFY_THROWS_NO_EXCEPTION) instead of ending the whole run.

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

QString n(qlonglong number)
{
    return QString::number(number);
}

// Each row as its values joined by "|", NULL apart from an empty text.
QStringList rendered(const QueryResult &result)
{
    QStringList lines;
    for (const QVariantList &row : result.toRows()) {
        QStringList cells;
        for (const QVariant &value : row)
            cells << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
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
    // (an insertion sort that moves a row only past a neighbour of the same order key)
    for (qsizetype i = 1; i < rows.size(); ++i) {
        for (qsizetype j = i; j > 0 && orderKey(rows[j]) == orderKey(rows[j - 1]) && rows[j] < rows[j - 1]; --j)
            rows.swapItemsAt(j, j - 1);
    }
    return rows;
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
    void lists_data();
    void lists();
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
    QVERIFY_THROWS_NO_EXCEPTION([&] {
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

        const QVariantList values{key, kind, key, kind, key};
        const QueryResult tree = TableObject().Fetch(Statements::associationTree(kind), values);

        QCOMPARE(tree.fieldNames(), QStringLiteral("RLTDSC,SORTBY,RLTCOD,ROWOUTLVL,HASINVCOD,ASCNAM,ASCBDT,ASCUDT,"
                                                 "ASCUSR,ORGFLG1,ORGKEY1,ORGRLTCOD,ORGFLG2,ORGKEY2,OLDRCD,CHGRCD")
                                      .split(QLatin1Char(',')));
        QCOMPARE(tiesSorted(rendered(tree)), tiesSorted(expected));
    }());
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
    QVERIFY_THROWS_NO_EXCEPTION([&] {
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

        QList<int> found;
        for (const QVariantList &row : TableObject().Fetch(statement, values).toRows())
            found << row.first().toInt();
        std::sort(found.begin(), found.end());
        QCOMPARE(found, expected);
    }());
}

void StatementsTest::lists_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QStringList>("expected");  // the field names, then the rows

    const auto listRow = [](const char *name, const QString &source, const QString &typed) -> QTestData & {
        const RecordSource bound = RecordSource::bind(source, typed);
        return QTest::newRow(name) << bound.statement() << bound.parameters();
    };
    const QString names = QStringLiteral("ASCFLG|PTYKEY|PTYNAM|PTYBDTMDY");
    const QString zips = QStringLiteral("ZIPCTY|ZIPSTA|ZIPKEY");
    // Both tables merged in name order, birth dates month first; neither
    // "JONES, SMITH" nor "smith, al" starts with SMI.
    listRow("names", Statements::NameSearchSource, "SMI")
        << QStringList{names, "C|3|SMILEY, GEORGE|01/09/2000", "P|3|SMIRNOFF, IVAN|00/00/0000",
                       "P|1|SMITH, JOHN|01/02/1980", "C|10|SMITHERS, WAYLON|12/31/1955"};
    listRow("names in lower case", Statements::NameSearchSource, "smi")
        << QStringList{names, "P|5|smith, al|05/05/1985"};
    // By city, then state, then zip.
    listRow("cities", Statements::CityListSource, "SPRING")
        << QStringList{zips, "SPRING HILL|FL|34606", "SPRINGDALE|AR|72762", "SPRINGFIELD|IL|62701",
                       "SPRINGFIELD|IL|62702", "SPRINGFIELD|MA|1101", "SPRINGFIELD|MO|65801"};
    listRow("cities in lower case", Statements::CityListSource, "spring") << QStringList{zips};
    // The states of the country alone, by name (not by code).
    listRow("states", Statements::StateListSource, "")
        << QStringList{"STACOD|STADSC|STACTR", "ID|Idaho|US", "IL|Illinois|US", "IA|Iowa|US", "MO|Missouri|US"};
}

void StatementsTest::lists()
{
    QFETCH(QString, statement);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, expected);
    QVERIFY_THROWS_NO_EXCEPTION([&] {
        Fixtures::addParty(1, "SMITH, JOHN", 19800102);
        Fixtures::addParty(2, "SMALL, TOM", 19900202);
        Fixtures::addParty(3, "SMIRNOFF, IVAN", 0);
        Fixtures::addParty(5, "smith, al", 19850505);
        Fixtures::addClient(3, "SMILEY, GEORGE", 20000109);  // the same number as party 3
        Fixtures::addClient(10, "SMITHERS, WAYLON", 19551231);
        Fixtures::addClient(11, "JONES, SMITH", 19660606);
        Fixtures::addZip("SPRINGFIELD", "MO", 65801);
        Fixtures::addZip("SPRINGFIELD", "IL", 62702);
        Fixtures::addZip("SPOKANE", "WA", 99201);
        Fixtures::addZip("SPRINGFIELD", "IL", 62701);
        Fixtures::addZip("SPRINGDALE", "AR", 72762);
        Fixtures::addZip("SPRING HILL", "FL", 34606);
        Fixtures::addZip("SPRINGFIELD", "MA", 1101);
        Fixtures::addState("MO", "Missouri");
        Fixtures::addState("ON", "Ontario", "CA");
        Fixtures::addState("ID", "Idaho");
        Fixtures::addState("IL", "Illinois");
        Fixtures::addState("IA", "Iowa");

        const QueryResult result = TableObject().Fetch(statement, values);
        QCOMPARE(QStringList{result.fieldNames().join(QLatin1Char('|'))} + rendered(result), expected);
    }());
}

// Given the pair linked the other way round and by another code, an
// association is found, written and deleted by all five of its values.
void StatementsTest::associationWrites()
{
    QVERIFY_THROWS_NO_EXCEPTION([] {
        Fixtures::addAssociation("P", 5, 1, "C", 12);
        Fixtures::addAssociation("C", 12, 21, "P", 5);
        const QVariantList link{"C", 12.0, 1.0, "P", 5.0};  // the editor binds its keys and codes as doubles
        TableObject table;
        QVERIFY(table.Fetch(Statements::DuplicateAssociation, link).isEmpty());
        QCOMPARE(table.Execute(Statements::InsertAssociation, link + QVariantList{6232026, "CLERK"}), 1);
        QCOMPARE(rendered(table.Fetch(Statements::DuplicateAssociation, link)),
                 QStringList{"C|12|1|P|5|6232026|CLERK"});
        QCOMPARE(table.Execute(Statements::DeleteAssociation, link), 1);
        QCOMPARE(table.Execute(Statements::DeleteAssociation, link), 0);
        QVERIFY(table.Fetch(Statements::DuplicateAssociation, link).isEmpty());
        QCOMPARE(TestDatabase::count("DUVPRB.PRBCLTASC"), 2);
    }());
}

QTEST_GUILESS_MAIN(StatementsTest)
#include "tst_statements.moc"
