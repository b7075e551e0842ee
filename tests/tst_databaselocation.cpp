#include "data/dataaccesserror.h"
#include "data/databaselocation.h"
#include "data/engines/odbcengine.h"

#include <QDir>
#include <QtTest>

using namespace Torva;

class DatabaseLocationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayReadsBackWithoutPassword_data();
    void displayReadsBackWithoutPassword();
    void refusesWhatNamesNoDatabase_data();
    void refusesWhatNamesNoDatabase();
    void odbcStringReachesTheDriverManagerWhole_data();
    void odbcStringReachesTheDriverManagerWhole();
};

void DatabaseLocationTest::displayReadsBackWithoutPassword_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("display");

    QTest::newRow("sqlite folder") << "sqlite:/var/lib/torva" << "sqlite" << "sqlite:/var/lib/torva";
    QTest::newRow("sqlite folder cleaned") << "sqlite:/var/lib//torva/" << "sqlite" << "sqlite:/var/lib/torva";
    QTest::newRow("postgresql with port") << "postgresql://officer@db.example:6543/probation" << "postgresql"
                                          << "postgresql://officer@db.example:6543/probation";
    QTest::newRow("postgresql default port") << "postgres://officer@localhost/probation" << "postgresql"
                                             << "postgresql://officer@localhost:5432/probation";
    QTest::newRow("postgresql IPv6 server") << "postgresql://officer@[::1]/probation" << "postgresql"
                                            << "postgresql://officer@[::1]:5432/probation";
    QTest::newRow("postgresql names beyond ASCII")
        << QString::fromUtf8("postgresql://jos\xC3\xA9@db.example/pr\xC3\xBC" "fung") << "postgresql"
        << "postgresql://jos%C3%A9@db.example:5432/pr%C3%BCfung";
    QTest::newRow("engine in any case") << "SQLite:/data" << "sqlite" << "sqlite:/data";
    QTest::newRow("odbc data source") << "odbc:DSN=AS400;UID=PROB" << "odbc" << "odbc:DSN=AS400;UID=PROB";
    // A password is kept for the connection, never shown.
    QTest::newRow("postgresql password") << "postgresql://officer:s3cret@db:5432/probation" << "postgresql"
                                         << "postgresql://officer@db:5432/probation";
    QTest::newRow("odbc password") << "odbc:DSN=AS400;UID=PROB;PWD=s3cret" << "odbc" << "odbc:DSN=AS400;UID=PROB";
    QTest::newRow("odbc keyword in lower case, blanks around it") << "odbc:DSN=AS400; pwd = s3cret;UID=PROB" << "odbc"
                                                                << "odbc:DSN=AS400;UID=PROB";
    QTest::newRow("odbc PASSWORD keyword") << "odbc:DSN=AS400;PASSWORD=s3cret" << "odbc" << "odbc:DSN=AS400";
    QTest::newRow("odbc password in braces holding ;") << "odbc:DSN=AS400;PWD={s3cret;s3cret};UID=PROB" << "odbc"
                                                       << "odbc:DSN=AS400;UID=PROB";
    QTest::newRow("odbc password in braces holding }}") << "odbc:PWD= {s3cret}};s3cret};DSN=AS400" << "odbc"
                                                        << "odbc:DSN=AS400";
    // Only a closed brace holds a ";": an open one cannot hide a password behind it.
    QTest::newRow("odbc value with its brace left open") << "odbc:DSN={AS400;PWD=s3cret" << "odbc" << "odbc:DSN={AS400";
    QTest::newRow("odbc value in braces holding ;") << "odbc:DSN={AS;400};PWD=s3cret" << "odbc" << "odbc:DSN={AS;400}";
    QTest::newRow("odbc of only a password") << "odbc:PWD=s3cret" << "odbc" << "odbc:;";
    // Inputs the fuzz target under fuzz/ found faults with, kept so that the faults stay fixed.
    QTest::newRow("fuzz: at sign in the user name") << "postgresql://a%40b@db.example/probation" << "postgresql"
                                                    << "postgresql://a%40b@db.example:5432/probation";
    QTest::newRow("fuzz: colon in the user name") << "postgresql://a%3Ab@db.example/probation" << "postgresql"
                                                  << "postgresql://a%3Ab@db.example:5432/probation";
    QTest::newRow("fuzz: space in the database name") << "postgresql://officer@db.example/pro%20bation" << "postgresql"
                                                      << "postgresql://officer@db.example:5432/pro%20bation";
    QTest::newRow("fuzz: folder ending in white space") << "sqlite:/data/torva\r/" << "sqlite" << "sqlite:/data/torva";
    QTest::newRow("fuzz: folder ending in blanks and slashes by turns") << "sqlite:/data/torva\r\r/\r\r/" << "sqlite"
                                                                        << "sqlite:/data/torva";
    QTest::newRow("fuzz: folder beginning with a colon") << "sqlite::::data/../cases" << "sqlite"
                                                         << "sqlite:" + QDir::current().absoluteFilePath("cases");
    QTest::newRow("fuzz: odbc string of only a password") << "odbc:;PWD=s3cret" << "odbc" << "odbc:;";
}

void DatabaseLocationTest::displayReadsBackWithoutPassword()
{
    QFETCH(QString, text);
    QFETCH(QString, engine);
    QFETCH(QString, display);

    const DatabaseLocation location = DatabaseLocation::parse(text);

    QCOMPARE(location.engineName(), engine);
    QCOMPARE(location.toDisplayString(), display);
    // What is shown reads back as the same location, less its password.
    const DatabaseLocation shown = DatabaseLocation::parse(display);
    QCOMPARE(shown.toDisplayString(), display);
    if (!text.contains(QLatin1String("s3cret")))
        QCOMPARE(shown, location);
    else
        QVERIFY(location.password() == QLatin1String("s3cret")
                || location.odbcConnectString().contains(QLatin1String("s3cret")));
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

void DatabaseLocationTest::odbcStringReachesTheDriverManagerWhole_data()
{
    // Qt's ODBC driver puts "DSN=" before whatever names no driver or
    // server; what it is given must come out as the location's own string.
    QTest::addColumn<QString>("connectString");
    QTest::addColumn<QString>("givenToQt");
    QTest::newRow("data source alone") << "DSN=AS400" << "AS400";
    QTest::newRow("data source first") << "DSN=AS400;UID=PROB;PWD=x" << "AS400;UID=PROB;PWD=x";
    QTest::newRow("data source later, any case, blanks") << "UID=PROB; dsn = AS400 ;PWD=x" << "AS400;UID=PROB;PWD=x";
    QTest::newRow("a driver named") << "DRIVER={IBM i Access ODBC Driver};SYSTEM=as400;DSN=X"
                                    << "DRIVER={IBM i Access ODBC Driver};SYSTEM=as400;DSN=X";
    QTest::newRow("a server named") << "Server=db;Database=p" << "Server=db;Database=p";
}

void DatabaseLocationTest::odbcStringReachesTheDriverManagerWhole()
{
    QFETCH(QString, connectString);
    QFETCH(QString, givenToQt);
    QCOMPARE(OdbcEngine::qtDatabaseName(connectString), givenToQt);
}

QTEST_GUILESS_MAIN(DatabaseLocationTest)
#include "tst_databaselocation.moc"
