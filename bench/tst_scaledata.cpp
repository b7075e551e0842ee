// The scale-data generator: the sizes it plans, and a small scale database
// made for real on each engine, with names and zip rows spread as real ones are.

#include "scaledata.h"

#include "testdatabase.h"

#include "data/schema.h"
#include "data/tableobject.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <limits>
#include <map>
#include <stdexcept>

using namespace Torva;

namespace {

// 10,000 parties and clients, 30,000 associations, 410 zip rows: more than the demo's real ones.
constexpr double SmallScale = 0.01;

qint64 valueOf(const QString &statement, const QVariantList &values = {})
{
    return TestDatabase::value(statement, values).toLongLong();
}

} // namespace

class TestScaleData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizesFollowTheScale_data();
    void sizesFollowTheScale();
    void generatedDatabaseIsAsPlanned_data();
    void generatedDatabaseIsAsPlanned();
    void sameSeedGivesSameData();
};

void TestScaleData::sizesFollowTheScale_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<qint64>("parties");  // -1: the scale is refused
    QTest::addColumn<qint64>("associations");
    QTest::addColumn<qint64>("zipRows");
    QTest::addColumn<int>("heavy");
    QTest::addColumn<int>("typical");
    QTest::newRow("full") << 1.0 << qint64(1'000'000) << qint64(3'000'000) << qint64(41'000) << 2000 << 10;
    QTest::newRow("hundredth") << 0.01 << qint64(10'000) << qint64(30'000) << qint64(410) << 2000 << 10;
    QTest::newRow("heavy capped") << 0.001 << qint64(1'000) << qint64(3'000) << qint64(41) << 1000 << 10;
    QTest::newRow("smallest") << ScaleSizes::MinimumScale << qint64(100) << qint64(300) << qint64(4) << 100 << 10;
    for (const double scale : {0.0, -0.5, 1.5, ScaleSizes::MinimumScale / 2, std::numeric_limits<double>::quiet_NaN()})
        QTest::addRow("refused %g", scale) << scale << qint64(-1) << qint64(0) << qint64(0) << 0 << 0;
}

void TestScaleData::sizesFollowTheScale()
{
    QFETCH(double, scale);
    QFETCH(qint64, parties);
    if (parties < 0) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ScaleSizes::forScale(scale));
        return;
    }
    const ScaleSizes sizes = ScaleSizes::forScale(scale);
    QCOMPARE(sizes.parties, parties);
    QCOMPARE(sizes.clients, parties);
    QTEST(sizes.associations, "associations");
    QTEST(sizes.zipRows, "zipRows");
    QTEST(sizes.heavyClientAssociations, "heavy");
    QTEST(sizes.typicalClientAssociations, "typical");
}

void TestScaleData::generatedDatabaseIsAsPlanned_data()
{
    // Scale data is made on the engines that make their own tables; a
    // database behind an ODBC data source is the agency's, filled by the agency.
    QTest::addColumn<QString>("engine");
    for (const QString &engine : {QStringLiteral("sqlite"), QStringLiteral("postgresql")})
        QTest::newRow(qPrintable(engine)) << engine;
}

void TestScaleData::generatedDatabaseIsAsPlanned()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    const ScaleSizes sizes = ScaleSizes::forScale(SmallScale);
    const ScaleOutcome outcome = generateScaleData(sizes, 5, nullptr);

    // The generator counts what every table holds itself, and fails on a difference.
    QCOMPARE(outcome.rowCounts.size(), Schema::tables().size());
    QCOMPARE(TestDatabase::count(Schema::AssociationTable), int(sizes.associations));
    QVERIFY(outcome.databaseBytes > 0);

    // 40 relationship types, each code one the grid can hold, both directional and symmetric ones.
    QCOMPARE(TestDatabase::count(Schema::RelationTable), 40);
    QCOMPARE(valueOf(QStringLiteral("Select Count(*) As BADCODES From DUVPRB.ARYRLT Where RLTCOD<1 Or RLTCOD>100")),
             qint64(0));
    QVERIFY(valueOf(QStringLiteral("Select Count(*) As SYMMETRIC From DUVPRB.ARYRLT Where RLTDSC=RLTINVDSC")) >= 10);
    QVERIFY(valueOf(QStringLiteral("Select Count(*) As DIRECTED From DUVPRB.ARYRLT Where RLTDSC<>RLTINVDSC")) >= 10);
    // Names are "LAST, FIRST" with an optional middle name or initial, as the
    // editor's name check wants them, seldom the same and with initials spread.
    const QRegularExpression shape(QStringLiteral(R"(^[A-Z][A-Z'\-]*, [A-Z]+( [A-Z]+)?$)"));
    TableObject table;
    const QueryResult names =
        table.Fetch(QStringLiteral("Select PTYNAM From DUVPRB.PRBPTY Union All Select CLTNAM From DUVPRB.PRBCLT"));
    QSet<QString> distinct;
    std::map<QChar, int> initials;
    for (int row = 0; row < names.rowCount(); ++row) {
        const QString name = names.value(row, 0).toString();
        QVERIFY2(shape.match(name).hasMatch(), qPrintable(name));
        distinct.insert(name);
        ++initials[name.at(0)];
    }
    QVERIFY2(distinct.size() > names.rowCount() / 2, "the names repeat far more than real names do");
    QVERIFY(initials.size() >= 20);
    for (const auto &[initial, count] : initials)
        QVERIFY2(count < names.rowCount() / 6, qPrintable(QStringLiteral("%1 begins %2").arg(initial).arg(count)));
    // Every zip row is a town of at most 15 letters (no blank at the end) in
    // a US state of the list, under a zip of five digits at most.
    QCOMPARE(valueOf(QStringLiteral("Select Count(*) As STRAYS From DUVCRT.ZIPDTA Where ZIPKEY<1 Or ZIPKEY>99999 Or "
                                    "ZIPCTY='' Or ZIPCTY Like '% ' Or Length(ZIPCTY)>15 Or Not Exists (Select 1 From "
                                    "DUVCRT.ARYSTA Where STACOD=ZIPSTA And STACTR='US')")),
             qint64(0));
    // Every party's address passes the editor's zip check; every association
    // is of a known type, between two subjects on file.
    QCOMPARE(valueOf(QStringLiteral("Select Count(*) As MISSING From DUVPRB.PRBPTY Where Not Exists (Select 1 From "
                                    "DUVCRT.ZIPDTA Where ZIPCTY=PTYCTY And ZIPSTA=PTYSTA And ZIPKEY=PTYZIP)")),
             qint64(0));
    QCOMPARE(valueOf(QStringLiteral("Select Count(*) As STRAYS From DUVPRB.PRBCLTASC Where (ASCFLG1=ASCFLG2 And "
                                    "ASCKEY1=ASCKEY2) Or Not Exists (Select 1 From DUVPRB.ARYRLT Where "
                                    "RLTCOD=ASCRLTCOD) Or Not Exists (Select 1 From DUVPRB.PRBPTY Where ASCFLG1='P' "
                                    "And PTYKEY=ASCKEY1 Union All Select 1 From DUVPRB.PRBCLT Where ASCFLG1='C' And "
                                    "CLTCNO=ASCKEY1) Or Not Exists (Select 1 From DUVPRB.PRBPTY Where ASCFLG2='P' And "
                                    "PTYKEY=ASCKEY2 Union All Select 1 From DUVPRB.PRBCLT Where ASCFLG2='C' And "
                                    "CLTCNO=ASCKEY2)")),
             qint64(0));

    // The heavy client has the most associations of anyone, counting both sides.
    const QString perSubject = QStringLiteral(
        "Select FLAG,SUBJECT,Count(*) As ROWCOUNT From (Select ASCFLG1 As FLAG,ASCKEY1 As SUBJECT From "
        "DUVPRB.PRBCLTASC Union All Select ASCFLG2 As FLAG,ASCKEY2 As SUBJECT From DUVPRB.PRBCLTASC) As SIDES "
        "Group By FLAG,SUBJECT Order By ROWCOUNT Desc,SUBJECT");
    const QueryResult most = table.Fetch(perSubject, QVariant(), 2);
    QCOMPARE(most.value(0, 0).toString(), QStringLiteral("C"));
    QCOMPARE(most.value(0, 1).toLongLong(), outcome.heavyClient);
    QVERIFY(most.value(1, 2).toInt() < sizes.heavyClientAssociations);
    table.Close();

    // The indexes dropped for the load are back.
    qsizetype indexes = 0;
    for (const Schema::Table &definition : Schema::tables())
        indexes += definition.indexes.size();
    const QString made = engine == QLatin1String("sqlite")
        ? QStringLiteral("Select (Select Count(*) From DUVPRB.sqlite_master Where type='index' And sql Is Not Null) "
                         "+ (Select Count(*) From DUVCRT.sqlite_master Where type='index' And sql Is Not Null) As MADE")
        : QStringLiteral("Select Count(*) As MADE From pg_indexes Where schemaname In ('duvprb','duvcrt') And "
                         "indexname<>tablename || '_pkey'");
    QCOMPARE(valueOf(made), qint64(indexes));

    // A database that holds rows is left alone.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, generateScaleData(sizes, 6, nullptr));
    QCOMPARE(TestDatabase::count(Schema::PartyTable), int(sizes.parties));
}

void TestScaleData::sameSeedGivesSameData()
{
    const ScaleSizes sizes = ScaleSizes::forScale(ScaleSizes::MinimumScale);
    const QString names = QStringLiteral("Select PTYNAM From DUVPRB.PRBPTY Where PTYKEY<=20 Order By PTYKEY");
    const auto generate = [&](quint64 seed) {
        TestDatabase::create(QStringLiteral("sqlite"));
        const ScaleOutcome outcome = generateScaleData(sizes, seed, nullptr);
        TableObject table;
        QStringList first;
        for (const QVariantList &row : table.Fetch(names).toRows())
            first << row.at(0).toString();
        return std::make_pair(outcome.heavyClient, first);
    };
    QCOMPARE(generate(9), generate(9));
}

QTEST_GUILESS_MAIN(TestScaleData)
#include "tst_scaledata.moc"
