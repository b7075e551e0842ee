#include "demodata.h"
#include "data/tableobject.h"
#include "controlrows.h"

#include <QtTest>

using namespace Torva;

namespace {
int scalar(const QString &statement)
{
    return TestDatabase::value(statement).toInt();
}
} // namespace

class DemoDataTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void seedsAUsableAgencyOnce_data() { TestDatabase::addEngineRows(); }
    void seedsAUsableAgencyOnce();
};

void DemoDataTest::seedsAUsableAgencyOnce()
{
    TORVA_USE_ENGINE_ROW();

    const QMap<QString, int> added = DemoData::seed();

    QCOMPARE(added.value(QStringLiteral("DUVPRB.PRBCLT")), 60);
    QCOMPARE(added.value(QStringLiteral("DUVPRB.PRBPTY")), 60);
    QVERIFY(added.value(QStringLiteral("DUVCRT.ZIPDTA")) >= 200);
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVCRT.ARYSTA Where STACTR='US'")), 56);
    QVERIFY(scalar(QStringLiteral("Select Count(*) From DUVCRT.ARYSTA Where STACTR<>'US'")) > 0);
    QVERIFY(scalar(QStringLiteral("Select Count(*) From DUVPRB.ARYRLT Where RLTDSC=RLTINVDSC")) >= 3);
    QVERIFY(scalar(QStringLiteral("Select Count(*) From DUVPRB.ARYRLT Where RLTDSC<>RLTINVDSC")) >= 3);
    QVERIFY(scalar(QStringLiteral("Select Max(RLTCOD) From DUVPRB.ARYRLT")) <= 100);

    // One user may delete associations and one may not.
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBSEC Where SECP02='Y'")), 1);
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBSEC Where SECP02<>'Y'")), 1);

    // Names are typed last name first and fit their fields; cities fit the city field.
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBPTY Where PTYNAM Not Like '%, %' Or Length(PTYNAM)>20")), 0);
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBCLT Where CLTNAM Not Like '%, %'")), 0);
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVCRT.ZIPDTA Where Length(ZIPCTY)>15")), 0);
    // Every party's address passes the zip check.
    QCOMPARE(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBPTY p Where Not Exists (Select 1 From DUVCRT.ZIPDTA "
                                   "Where ZIPCTY=p.PTYCTY And ZIPSTA=p.PTYSTA And ZIPKEY=p.PTYZIP)")),
             0);

    // Associations run both ways and name subjects that exist.
    QVERIFY(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBCLTASC Where ASCFLG1='C'")) > 20);
    QVERIFY(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBCLTASC Where ASCFLG2='C'")) > 20);
    QVERIFY(scalar(QStringLiteral("Select Count(*) From DUVPRB.PRBCLTASC Where ASCFLG1='P'")) > 10);
    QCOMPARE(scalar(QStringLiteral(
                 "Select Count(*) From DUVPRB.PRBCLTASC Where (ASCFLG1='C' And ASCKEY1 Not In (Select CLTCNO From DUVPRB.PRBCLT))"
                 " Or (ASCFLG2='C' And ASCKEY2 Not In (Select CLTCNO From DUVPRB.PRBCLT))"
                 " Or (ASCFLG1='P' And ASCKEY1 Not In (Select PTYKEY From DUVPRB.PRBPTY))"
                 " Or (ASCFLG2='P' And ASCKEY2 Not In (Select PTYKEY From DUVPRB.PRBPTY))")),
             0);
    // A symmetric relationship is never stored in both orientations.
    QCOMPARE(scalar(QStringLiteral(
                 "Select Count(*) From DUVPRB.PRBCLTASC a Join DUVPRB.ARYRLT On RLTCOD=a.ASCRLTCOD And RLTDSC=RLTINVDSC"
                 " Join DUVPRB.PRBCLTASC b On b.ASCRLTCOD=a.ASCRLTCOD And b.ASCFLG1=a.ASCFLG2 And b.ASCKEY1=a.ASCKEY2"
                 " And b.ASCFLG2=a.ASCFLG1 And b.ASCKEY2=a.ASCKEY1")),
             0);

    // Seeding again adds nothing.
    const int associations = TestDatabase::count(QStringLiteral("DUVPRB.PRBCLTASC"));
    QVERIFY(DemoData::seed().isEmpty());
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBCLTASC")), associations);
}

QTEST_GUILESS_MAIN(DemoDataTest)
#include "tst_demodata.moc"
