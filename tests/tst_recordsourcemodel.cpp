#include "controls/recordsourcemodel.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/statements.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
QStringList cities(const RecordSourceModel &model)
{
    QStringList listed;
    for (int row = 0; row < model.rowCount(); ++row)
        listed << model.value(row, QStringLiteral("ZIPCTY")).toString();
    return listed;
}
} // namespace

class RecordSourceModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDatabase::addEngineRows(); }
    void init() { TORVA_USE_GLOBAL_ENGINE_ROW(); }

    void listsAPageAtATime();
    void typedTextIsSearchedAsText_data();
    void typedTextIsSearchedAsText();
    void failureSignalsAndThrowsOnLoadOnly();
};

void RecordSourceModelTest::listsAPageAtATime()
{
    for (int zip = 0; zip < 12; ++zip)
        Fixtures::addZip(QStringLiteral("SPRINGFIELD"), QStringLiteral("IL"), 62701 + zip);
    Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("OR"), 97301);
    RecordSourceModel model;
    model.setRecordSource(Statements::CityListSource);
    model.setHeaderCaptions({QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("Zip")});
    model.setPageSize(5);
    model.setMaxRecords(11);

    // The first page comes at once,
    model.load(QStringLiteral("SPRING"));
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Zip"));
    QCOMPARE(model.value(0, QStringLiteral("zipkey")).toInt(), 62701);
    QVERIFY(model.canFetchMore(QModelIndex()));

    // further pages as a view asks, in order, up to the most rows listed.
    model.fetchMore(QModelIndex());
    model.fetchMore(QModelIndex());
    QCOMPARE(model.rowCount(), 11);
    QCOMPARE(model.value(10, QStringLiteral("ZIPKEY")).toInt(), 62711);
    QVERIFY(!model.canFetchMore(QModelIndex()));
    QCOMPARE(model.findRow(model.fieldIndex(QStringLiteral("ZIPKEY")), QStringLiteral("62705")), 4);
    QVERIFY(!cities(model).contains(QStringLiteral("SALEM")));
    QAbstractItemModelTester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void RecordSourceModelTest::typedTextIsSearchedAsText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("percent") << "100%" << QStringList{"100% CITY", "100% TOWN"};
    QTest::newRow("underscore") << "A_" << QStringList{"A_B", "A_C"};
}

void RecordSourceModelTest::typedTextIsSearchedAsText()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listed);
    // More than a page of names share the text before the wildcard and sort
    // before the ones that hold it.
    for (int i = 1; i <= 12; ++i) {
        Fixtures::addZip(QStringLiteral("100 %1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("ID"), 83814);
        Fixtures::addZip(QStringLiteral("AA%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("ID"), 83814);
    }
    for (const QString &city : {"100% CITY", "100% TOWN", "1000 OAKS", "A_B", "A_C", "AXB", "AB"})
        Fixtures::addZip(city, QStringLiteral("ID"), 83814);
    RecordSourceModel model;
    model.setRecordSource(Statements::CityListSource);
    model.setPageSize(2);

    // The first page a search lists holds the first names that begin with
    // the text, however many rows the database returns before them;
    model.load(typed);
    QCOMPARE(cities(model), listed);

    // nothing that does not begin with it follows.
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    QCOMPARE(cities(model), listed);
}

void RecordSourceModelTest::failureSignalsAndThrowsOnLoadOnly()
{
    for (int zip = 0; zip < 4; ++zip)
        Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("OR"), 97301 + zip);
    RecordSourceModel model;
    int errors = 0;
    connect(&model.tableObject(), &TableObject::Error, this, [&errors](int &, QString &) { ++errors; });
    model.setRecordSource(Statements::CityListSource);
    model.setPageSize(2);
    model.load(QStringLiteral("SAL"));

    // When the table goes away between two pages,
    Database::connection().run(QStringLiteral("Drop Table DUVCRT.ZIPDTA"));

    // then a view asking for more is told through Error only,
    model.fetchMore(QModelIndex());
    QCOMPARE(errors, 1);
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(!model.canFetchMore(QModelIndex()));

    // and a new search fails to its caller too.
    QVERIFY_THROWS_EXCEPTION(DataAccessError, model.load(QStringLiteral("SA")));
    QCOMPARE(errors, 2);
}

QTEST_GUILESS_MAIN(RecordSourceModelTest)
#include "tst_recordsourcemodel.moc"
