// Inputs the fuzz targets under fuzz/ found faults with, one row each, kept
// so that the faults stay fixed.

#include "data/dataaccesserror.h"
#include "data/databaselocation.h"

#include <QtTest>

using namespace Torva;

class FuzzFindingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void locationReadsBackFromItsDisplay_data();
    void locationReadsBackFromItsDisplay();
};

// What toDisplayString() shows, parse() must read back as the same engine,
// server, port, user and database: messages show that text, and the row
// locks of a PostgreSQL location keep their idle connections under it.
void FuzzFindingsTest::locationReadsBackFromItsDisplay_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("IPv6 server address") << "postgresql://officer@[::1]:5432/probation";
    QTest::newRow("at sign in the user name") << "postgresql://a%40b@db.example/probation";
    QTest::newRow("colon in the user name") << "postgresql://a%3Ab@db.example/probation";
    QTest::newRow("space in the database name") << "postgresql://officer@db.example/pro%20bation";
    QTest::newRow("folder ending in white space") << "sqlite:/data/torva\r/";
    QTest::newRow("folder ending in blanks and slashes by turns") << "sqlite:/data/torva\r\r/\r\r/";
    QTest::newRow("folder beginning with a colon") << "sqlite::::data/../cases";
    QTest::newRow("ODBC string of only a password") << "odbc:;PWD=secret";
}

void FuzzFindingsTest::locationReadsBackFromItsDisplay()
{
    QFETCH(QString, text);

    const DatabaseLocation location = DatabaseLocation::parse(text);
    const QString display = location.toDisplayString();
    DatabaseLocation again;
    QString error;
    try {
        again = DatabaseLocation::parse(display);
    } catch (const DataAccessError &refused) {
        error = refused.description();
    }
    const bool same = error.isEmpty() && again.engine() == location.engine() && again.folder() == location.folder()
                      && again.host() == location.host() && again.port() == location.port()
                      && again.userName() == location.userName()
                      && again.databaseName() == location.databaseName();
    // (in one arg() call: a text such as "a%3Ab" holds markers of its own)
    QVERIFY2(same, qPrintable(QStringLiteral("%1 -> %2: %3 / %4@%5:%6/%7")
                                  .arg(text, display, error, again.userName(), again.host(),
                                       QString::number(again.port()), again.databaseName())));
}

QTEST_GUILESS_MAIN(FuzzFindingsTest)
#include "tst_fuzzfindings.moc"
