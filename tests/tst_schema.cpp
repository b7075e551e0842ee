#include "data/database.h"
#include "data/lockedselect.h"
#include "data/recordsource.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "controlrows.h"
#include "fixtures.h"

#include <QtTest>

using namespace Torva;

namespace {
const QStringList LargeTables{QStringLiteral("PRBPTY"), QStringLiteral("PRBCLT"), QStringLiteral("PRBCLTASC"),
                              QStringLiteral("ZIPDTA")};

// SQLite's plan for the statement with these values bound, one line per step.
QStringList sqlitePlan(const QString &statement, const QVariantList &values)
{
    const QueryResult plan = TableObject().Fetch(QStringLiteral("EXPLAIN QUERY PLAN ") + statement, values);
    QStringList steps;
    for (int row = 0; row < plan.rowCount(); ++row)
        steps << plan.value(row, plan.fieldIndex(QStringLiteral("DETAIL"))).toString();
    return steps;
}
} // namespace

class SchemaTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Database::clearLocation();
        qunsetenv("TORVA_DATABASE");
    }
    void initializingAgainKeepsData_data() { TestDatabase::addEngineRows(); }
    void initializingAgainKeepsData();
    void hotStatementsUseIndexes_data();
    void hotStatementsUseIndexes();
    void hostChoiceWinsOverEnvironment();
};

void SchemaTest::initializingAgainKeepsData()
{
    TORVA_USE_ENGINE_ROW();
    Fixtures::addParty(1, QStringLiteral("SMITH, JOHN"));
    Fixtures::addAssociation(QStringLiteral("P"), 1, 3, QStringLiteral("C"), 7);

    Database::initialize();
    Database::initialize();

    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBCLTASC")), 1);
}

void SchemaTest::hotStatementsUseIndexes_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QVariantList>("values");

    const RecordSource names = RecordSource::bind(Statements::NameSearchSource, QStringLiteral("SMI"));
    const RecordSource cities = RecordSource::bind(Statements::CityListSource, QStringLiteral("SPRING"));
    const QVariantList party{QStringLiteral("A, B"), "", "", "", "", 0, "", "", 0.0, 0.0, 0.0, 0, "M", 0, "U", 1};
    const QVariantList association{QStringLiteral("C"), 12.0, 3.0, QStringLiteral("P"), 5.0};

    QTest::newRow("party load") << LockedSelect::parse(Statements::LoadPartyForUpdate).statement() << QVariantList{5};
    QTest::newRow("duplicate, same street") << Statements::DuplicatePartyWithStreet
                                            << QVariantList{0, "SMITH, JOHN%", 19800101, "M", "12 MAIN ST"};
    QTest::newRow("duplicate") << Statements::DuplicateParty << QVariantList{0, "SMITH, JOHN%", 19800101, "M"};
    QTest::newRow("next key") << Statements::NextPartyKey << QVariantList{};
    QTest::newRow("party update") << Statements::UpdateParty << party;
    QTest::newRow("party delete") << Statements::DeleteParty << QVariantList{5};
    QTest::newRow("name search") << names.statement() << names.parameters();
    QTest::newRow("city list") << cities.statement() << cities.parameters();
    QTest::newRow("zip lookup") << Statements::ZipLookup << QVariantList{"SPRINGFIELD", "IL", 62701};
    QTest::newRow("client tree") << Statements::associationTree(QStringLiteral("C"))
                                 << QVariantList{12, "C", 12, "C", 12};
    QTest::newRow("party tree") << Statements::associationTree(QStringLiteral("P")) << QVariantList{5, "P", 5, "P", 5};
    QTest::newRow("duplicate association") << Statements::DuplicateAssociation << association;
    QTest::newRow("association delete") << Statements::DeleteAssociation << association;
}

void SchemaTest::hotStatementsUseIndexes()
{
    QFETCH(QString, statement);
    QFETCH(QVariantList, values);
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));

    const QStringList plan = sqlitePlan(statement, values);

    QVERIFY(!plan.isEmpty());
    for (const QString &step : plan) {
        // "SCAN DUVPRB.PRBPTY" reads the whole table, and so does a scan of a covering index.
        const QString scanned = step.startsWith(QLatin1String("SCAN "))
                                    ? step.section(QLatin1Char(' '), 1, 1).section(QLatin1Char('.'), -1)
                                    : QString();
        QVERIFY2(!LargeTables.contains(scanned), qPrintable(QStringLiteral("%1\nplan:\n%2").arg(step, plan.join('\n'))));
    }
}

void SchemaTest::hostChoiceWinsOverEnvironment()
{
    QTemporaryDir fromEnvironment;
    QTemporaryDir fromHost;
    qputenv("TORVA_DATABASE", "sqlite:" + fromEnvironment.path().toLocal8Bit());
    Database::clearLocation();
    QCOMPARE(Database::location().folder(), fromEnvironment.path());

    Database::setLocation(QStringLiteral("sqlite:") + fromHost.path());
    QCOMPARE(Database::location().folder(), fromHost.path());
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "tst_schema.moc"
