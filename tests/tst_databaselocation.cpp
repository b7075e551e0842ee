#include "data/dataaccesserror.h"
#include "data/databaselocation.h"

#include <QtTest>

class DatabaseLocationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesEachEngine_data();
    void parsesEachEngine();
    void refusesWhatNamesNoDatabase_data();
    void refusesWhatNamesNoDatabase();
    void displayLeavesPasswordsOut_data();
    void displayLeavesPasswordsOut();
};

void DatabaseLocationTest::parsesEachEngine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("detail");

    QTest::newRow("sqlite folder") << "sqlite:/var/lib/torva" << "sqlite" << "/var/lib/torva";
    QTest::newRow("sqlite folder cleaned") << "sqlite:/var/lib//torva/" << "sqlite" << "/var/lib/torva";
    QTest::newRow("postgresql with port") << "postgresql://officer@db.example:6543/probation" << "postgresql"
                                          << "officer@db.example:6543/probation";
    QTest::newRow("postgresql default port") << "postgres://officer@localhost/probation" << "postgresql"
                                             << "officer@localhost:5432/probation";
    QTest::newRow("engine in any case") << "SQLite:/data" << "sqlite" << "/data";
    QTest::newRow("odbc data source") << "odbc:DSN=AS400;UID=PROB" << "odbc" << "DSN=AS400;UID=PROB";
}

void DatabaseLocationTest::parsesEachEngine()
{
    QFETCH(QString, text);
    QFETCH(QString, engine);
    QFETCH(QString, detail);

    const DatabaseLocation location = DatabaseLocation::parse(text);

    QCOMPARE(location.engineName(), engine);
    QCOMPARE(location.toDisplayString(), engine + (engine == QLatin1String("postgresql") ? "://" : ":") + detail);
    // What is shown can be read back as the same location.
    QCOMPARE(DatabaseLocation::parse(location.toDisplayString()), location);
}

void DatabaseLocationTest::refusesWhatNamesNoDatabase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << "" << "no engine";
    QTest::newRow("a bare path") << "/var/lib/torva" << "no engine";
    QTest::newRow("unknown engine") << "mysql://u@h/db" << "\"mysql\" is unknown";
    QTest::newRow("sqlite without folder") << "sqlite:" << "no folder";
    QTest::newRow("postgresql without database") << "postgresql://u@host:5432/" << "no database name";
    QTest::newRow("postgresql without host") << "postgresql:///probation" << "server address";
    QTest::newRow("odbc without source") << "odbc:" << "no ODBC connection string";
}

void DatabaseLocationTest::refusesWhatNamesNoDatabase()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);

    try {
        DatabaseLocation::parse(text, QStringLiteral("TORVA_DATABASE"));
        QFAIL("an unusable location was accepted");
    } catch (const DataAccessError &error) {
        QCOMPARE(error.number(), int(DataAccessError::ConfigurationError));
        // The message says where the text came from, what it was and what is wrong.
        QVERIFY2(error.description().startsWith(QLatin1String("TORVA_DATABASE: ")), qPrintable(error.description()));
        QVERIFY2(error.description().contains(QLatin1Char('"') + text + QLatin1Char('"')), qPrintable(error.description()));
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
    }
}

void DatabaseLocationTest::displayLeavesPasswordsOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("postgresql") << "postgresql://officer:s3cret@db:5432/probation";
    QTest::newRow("odbc") << "odbc:DSN=AS400;UID=PROB;PWD=s3cret";
}

void DatabaseLocationTest::displayLeavesPasswordsOut()
{
    QFETCH(QString, text);
    const DatabaseLocation location = DatabaseLocation::parse(text);
    QVERIFY(!location.toDisplayString().contains(QLatin1String("s3cret")));
    QVERIFY(location.password() == QLatin1String("s3cret") || location.odbcConnectString().contains(QLatin1String("s3cret")));
}

QTEST_GUILESS_MAIN(DatabaseLocationTest)
#include "tst_databaselocation.moc"
