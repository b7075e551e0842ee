// The scale-data generator: the sizes it plans, the names, zip rows,
// relationship types and associations it makes, and a small scale database
// made for real on each engine.

#include "addressgenerator.h"
#include "associationplan.h"
#include "namegenerator.h"
#include "relationshiptypes.h"
#include "scaledatagenerator.h"
#include "scalesizes.h"

#include "testdatabase.h"

#include "data/database.h"
#include "demoreferencedata.h"
#include "data/schema.h"
#include "data/tableobject.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

using namespace Torva;

namespace {

constexpr double SmallScale = 0.0005;  // 500 parties and clients, 1,500 associations

qint64 valueOf(const QString &statement, const QVariantList &values = {})
{
    return TestDatabase::value(statement, values).toLongLong();
}

bool indexExists(const QString &engine, const QString &library, const QString &index)
{
    if (engine == QLatin1String("sqlite"))
        return valueOf(QStringLiteral("Select Count(*) As FOUND From %1.sqlite_master Where type='index' And name=?")
                           .arg(library),
                       {index})
               == 1;
    return valueOf(QStringLiteral("Select Count(*) As FOUND From pg_indexes Where schemaname=? And indexname=?"),
                   {library.toLower(), index.toLower()})
           == 1;
}

} // namespace

class TestScaleData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizesFollowTheScale_data();
    void sizesFollowTheScale();
    void scaleOutsideItsRangeIsRefused_data();
    void scaleOutsideItsRangeIsRefused();
    void personNamesFitAndSpread_data();
    void personNamesFitAndSpread();
    void zipTableRowsAreDistinctAndFit_data();
    void zipTableRowsAreDistinctAndFit();
    void relationshipTypesMixBothKinds();
    void associationPlanAddsUp_data();
    void associationPlanAddsUp();
    void generatedDatabaseIsAsPlanned_data();
    void generatedDatabaseIsAsPlanned();
    void sameSeedGivesSameData();
};

void TestScaleData::sizesFollowTheScale_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<qint64>("parties");
    QTest::addColumn<qint64>("associations");
    QTest::addColumn<qint64>("zipRows");
    QTest::addColumn<int>("heavy");
    QTest::addColumn<int>("typical");
    QTest::newRow("full") << 1.0 << qint64(1'000'000) << qint64(3'000'000) << qint64(41'000) << 2000 << 10;
    QTest::newRow("hundredth") << 0.01 << qint64(10'000) << qint64(30'000) << qint64(410) << 2000 << 10;
    QTest::newRow("heavy capped") << 0.001 << qint64(1'000) << qint64(3'000) << qint64(41) << 1000 << 10;
    QTest::newRow("smallest") << ScaleSizes::MinimumScale << qint64(100) << qint64(300) << qint64(4) << 100 << 10;
}

void TestScaleData::sizesFollowTheScale()
{
    QFETCH(double, scale);
    const ScaleSizes sizes = ScaleSizes::forScale(scale);
    QTEST(sizes.parties, "parties");
    QCOMPARE(sizes.clients, sizes.parties);
    QTEST(sizes.associations, "associations");
    QTEST(sizes.zipRows, "zipRows");
    QTEST(sizes.heavyClientAssociations, "heavy");
    QTEST(sizes.typicalClientAssociations, "typical");
}

void TestScaleData::scaleOutsideItsRangeIsRefused_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative") << -0.5;
    QTest::newRow("beyond the full sizes") << 1.5;
    QTest::newRow("below the smallest") << ScaleSizes::MinimumScale / 2;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
}

void TestScaleData::scaleOutsideItsRangeIsRefused()
{
    QFETCH(double, scale);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ScaleSizes::forScale(scale));
}

void TestScaleData::personNamesFitAndSpread_data()
{
    QTest::addColumn<int>("maxLength");
    QTest::newRow("shortest allowed") << 10;
    QTest::newRow("party name") << 20;
    QTest::newRow("client name") << 30;
}

void TestScaleData::personNamesFitAndSpread()
{
    QFETCH(int, maxLength);
    std::mt19937_64 random(7);
    NameGenerator names(random);
    // "LAST, FIRST" with an optional middle name or initial, as the editor's name check wants it.
    const QRegularExpression shape(QStringLiteral(R"(^[A-Z][A-Z'\-]*, [A-Z]+( [A-Z]+)?$)"));
    QSet<QString> distinct;
    std::map<QChar, int> initials;
    const int draws = 5000;
    for (int i = 0; i < draws; ++i) {
        const QString name = QString::fromStdString(names.personName(maxLength));
        QVERIFY2(name.size() <= maxLength, qPrintable(name));
        QVERIFY2(shape.match(name).hasMatch(), qPrintable(name));
        distinct.insert(name);
        ++initials[name.at(0)];
    }
    QVERIFY2(distinct.size() > draws / 2, "the names repeat far more than real names do");
    QVERIFY(initials.size() >= 20);
    for (const auto &[initial, count] : initials)
        QVERIFY2(count < draws / 6, qPrintable(QStringLiteral("%1 begins %2 of %3 names").arg(initial).arg(count).arg(draws)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, names.personName(9));
}

void TestScaleData::zipTableRowsAreDistinctAndFit_data()
{
    QTest::addColumn<qint64>("count");
    QTest::newRow("fewer than the real rows") << qint64(25);
    QTest::newRow("real rows and more") << qint64(2'000);
    QTest::newRow("a tenth of full scale") << qint64(4'100);
}

void TestScaleData::zipTableRowsAreDistinctAndFit()
{
    QFETCH(qint64, count);
    std::mt19937_64 random(3);
    AddressGenerator addresses(random);
    const std::vector<AddressGenerator::ZipRow> rows = addresses.zipTable(count);
    QCOMPARE(qint64(rows.size()), count);
    QSet<QString> states;
    for (const auto &state : DemoReferenceData::states())
        states.insert(QString::fromLatin1(state.code));
    std::set<std::tuple<std::string, std::string, int>> keys;
    for (const AddressGenerator::ZipRow &row : rows) {
        QVERIFY2(keys.emplace(row.city, row.state, row.zip).second, row.city.c_str());
        QVERIFY2(!row.city.empty() && row.city.size() <= 15 && row.city.back() != ' ', row.city.c_str());
        QVERIFY(states.contains(QString::fromStdString(row.state)));
        QVERIFY(row.zip > 0 && row.zip <= 99999);
    }
    const std::string street = addresses.streetLine();
    QVERIFY(street.size() <= 30 && street.find(',') == std::string::npos);
}

void TestScaleData::relationshipTypesMixBothKinds()
{
    const std::vector<RelationshipTypes::Type> &types = RelationshipTypes::all();
    QCOMPARE(int(types.size()), RelationshipTypes::Count);
    QSet<int> codes;
    int symmetric = 0;
    for (const RelationshipTypes::Type &type : types) {
        QVERIFY2(!codes.contains(type.code), qPrintable(QString::number(type.code)));
        codes.insert(type.code);
        QVERIFY(type.code > 0 && type.code <= RelationshipTypes::HighestCode);
        QVERIFY(type.description.size() <= 20 && type.inverseDescription.size() <= 20);
        symmetric += type.symmetric() ? 1 : 0;
    }
    QVERIFY(symmetric >= 10);
    QVERIFY(int(types.size()) - symmetric >= 10);
}

void TestScaleData::associationPlanAddsUp_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("smallest") << ScaleSizes::MinimumScale;
    QTest::newRow("small") << SmallScale;
    QTest::newRow("hundredth") << 0.01;
}

void TestScaleData::associationPlanAddsUp()
{
    QFETCH(double, scale);
    const ScaleSizes sizes = ScaleSizes::forScale(scale);
    std::vector<int> codes;
    for (const RelationshipTypes::Type &type : RelationshipTypes::all())
        codes.push_back(type.code);
    std::mt19937_64 random(11);
    AssociationPlan plan(sizes, codes, std::vector<double>(codes.size(), 1.0), random);
    QVERIFY(plan.heavyClient() != plan.typicalClient());

    using Key = std::tuple<char, qint64, int, char, qint64>;
    std::optional<Key> previous;
    qint64 written = 0;
    std::map<std::pair<char, qint64>, int> perSubject;  // both sides counted
    const std::set<int> knownCodes(codes.begin(), codes.end());
    bool ordered = true;
    bool valid = true;
    plan.forEach([&](const AssociationPlan::Association &row) {
        const Key key{row.flag1, row.key1, row.code, row.flag2, row.key2};
        ordered = ordered && (!previous || *previous < key);
        previous = key;
        const qint64 highest2 = row.flag2 == 'C' ? sizes.clients : sizes.parties;
        const qint64 highest1 = row.flag1 == 'C' ? sizes.clients : sizes.parties;
        valid = valid && knownCodes.count(row.code) && row.key1 >= 1 && row.key1 <= highest1 && row.key2 >= 1
                && row.key2 <= highest2 && !(row.flag1 == row.flag2 && row.key1 == row.key2);
        ++perSubject[{row.flag1, row.key1}];
        ++perSubject[{row.flag2, row.key2}];
        ++written;
    });
    QVERIFY2(ordered, "rows must come in the order of the table's key, each once");
    QVERIFY2(valid, "a row names an unknown code or subject, or a subject with itself");
    QCOMPARE(written, sizes.associations);
    const std::pair<char, qint64> heavy{'C', plan.heavyClient()};
    const std::pair<char, qint64> typical{'C', plan.typicalClient()};
    QCOMPARE(perSubject[heavy], sizes.heavyClientAssociations);
    QCOMPARE(perSubject[typical], sizes.typicalClientAssociations);
    for (const auto &[subject, count] : perSubject) {
        if (subject != heavy)
            QVERIFY2(count < sizes.heavyClientAssociations, qPrintable(QString::number(subject.second)));
    }
}

void TestScaleData::generatedDatabaseIsAsPlanned_data()
{
    // Scale data is written by each engine's own bulk loader; a database
    // behind an ODBC data source is the agency's, filled by the agency.
    QTest::addColumn<QString>("engine");
    for (const QString &engine : {QStringLiteral("sqlite"), QStringLiteral("postgresql")})
        QTest::newRow(qPrintable(engine)) << engine;
}

void TestScaleData::generatedDatabaseIsAsPlanned()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    const ScaleSizes sizes = ScaleSizes::forScale(SmallScale);
    const ScaleDataGenerator::Outcome outcome = ScaleDataGenerator(sizes, 5).run(nullptr);

    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), int(sizes.parties));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBCLT")), int(sizes.clients));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBCLTASC")), int(sizes.associations));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVCRT.ZIPDTA")), int(sizes.zipRows));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.ARYRLT")), RelationshipTypes::Count);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVCRT.ARYSEX")), int(DemoReferenceData::sexCodes().size()));
    QCOMPARE(outcome.rowCounts.size(), Schema::tables().size());
    QVERIFY(outcome.databaseBytes > 0);

    // Every party's address passes the editor's zip check.
    QCOMPARE(valueOf(QStringLiteral("Select Count(*) As MISSING From DUVPRB.PRBPTY Where Not Exists (Select 1 From "
                                    "DUVCRT.ZIPDTA Where ZIPCTY=PTYCTY And ZIPSTA=PTYSTA And ZIPKEY=PTYZIP)")),
             qint64(0));
    QCOMPARE(valueOf(QStringLiteral("Select Count(*) As BADNAMES From DUVPRB.PRBPTY Where PTYNAM Not Like '%, %'")),
             qint64(0));

    // The heavy client has the most associations of anyone, counting both sides.
    const QString perSubject = QStringLiteral(
        "Select FLAG,SUBJECT,Count(*) As ROWCOUNT From (Select ASCFLG1 As FLAG,ASCKEY1 As SUBJECT From "
        "DUVPRB.PRBCLTASC Union All Select ASCFLG2 As FLAG,ASCKEY2 As SUBJECT From DUVPRB.PRBCLTASC) As SIDES "
        "Group By FLAG,SUBJECT Order By ROWCOUNT Desc,SUBJECT");
    TableObject table;
    const QueryResult most = table.Fetch(perSubject, QVariant(), 2);
    QCOMPARE(most.value(0, 0).toString(), QStringLiteral("C"));
    QCOMPARE(most.value(0, 1).toLongLong(), outcome.heavyClient);
    QCOMPARE(most.value(0, 2).toInt(), sizes.heavyClientAssociations);
    QVERIFY(most.value(1, 2).toInt() < sizes.heavyClientAssociations);
    table.Close();

    // The indexes dropped for the load are back.
    for (const Schema::Table &definition : Schema::tables()) {
        for (const Schema::Index &index : definition.indexes)
            QVERIFY2(indexExists(engine, definition.library, index.name), qPrintable(index.name));
    }

    // A database that holds rows is left alone.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ScaleDataGenerator(sizes, 6).run(nullptr));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), int(sizes.parties));
}

void TestScaleData::sameSeedGivesSameData()
{
    const ScaleSizes sizes = ScaleSizes::forScale(ScaleSizes::MinimumScale);
    const QString names = QStringLiteral("Select PTYNAM From DUVPRB.PRBPTY Where PTYKEY<=20 Order By PTYKEY");
    const auto generate = [&](quint64 seed) {
        TestDatabase::create(QStringLiteral("sqlite"));
        const ScaleDataGenerator::Outcome outcome = ScaleDataGenerator(sizes, seed).run(nullptr);
        TableObject table;
        QStringList first;
        for (const QVariantList &row : table.Fetch(names).toRows())
            first << row.at(0).toString();
        return std::make_pair(outcome.heavyClient, first);
    };
    const auto once = generate(9);
    const auto again = generate(9);
    const auto other = generate(10);
    QCOMPARE(again, once);
    QVERIFY(other.second != once.second);
}

QTEST_GUILESS_MAIN(TestScaleData)
#include "tst_scaledata.moc"
