#include "data/recordsource.h"
#include "data/statements.h"

#include <QtTest>

using namespace Torva;

// Typed text with a Like wildcard in it: the database is asked for what comes
// before the wildcard, and the list keeps only what begins with the text as
// typed. (How typed text is bound, and searched, is proved on every engine
// through the lists: tst_hostileinput, tst_recordsourcemodel.)

class RecordSourceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wildcardsAreSearchedAsText_data();
    void wildcardsAreSearchedAsText();
};

void RecordSourceTest::wildcardsAreSearchedAsText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QStringList>("accepted");
    QTest::addColumn<QStringList>("refused");

    QTest::newRow("percent") << "100%" << "100%" << QStringList{"100% PURE"} << QStringList{"1000 OAKS", "100 MILE"};
    QTest::newRow("underscore") << "A_B" << "A%" << QStringList{"A_BC"} << QStringList{"AXB", "AB"};
    QTest::newRow("wildcard first") << "%X" << "%" << QStringList{"%XY"} << QStringList{"AX", "X"};
    // Text holding half a character is no valid input for a regular expression; the scan still finds the wildcard.
    const QString broken(QChar(0xD800));
    QTest::newRow("half a character before it") << broken + QStringLiteral("%") << broken + QStringLiteral("%")
                                                << QStringList{broken + QStringLiteral("%Y")} << QStringList{broken + QStringLiteral("Y")};
}

void RecordSourceTest::wildcardsAreSearchedAsText()
{
    QFETCH(QString, typed);
    QFETCH(QString, parameter);
    QFETCH(QStringList, accepted);
    QFETCH(QStringList, refused);

    const RecordSource bound = RecordSource::bind(Statements::CityListSource, typed);

    // The database is asked for the part before the wildcard, by the index,
    QCOMPARE(bound.parameters(), QVariantList{parameter});
    QVERIFY(bound.needsFiltering());
    // and only rows that begin with the text as typed belong in the list.
    for (const QString &value : accepted)
        QVERIFY2(bound.accepts(value), qPrintable(value));
    for (const QString &value : refused)
        QVERIFY2(!bound.accepts(value), qPrintable(value));
}

QTEST_GUILESS_MAIN(RecordSourceTest)
#include "tst_recordsource.moc"
