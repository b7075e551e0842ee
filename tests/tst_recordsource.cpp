#include "data/recordsource.h"
#include "data/statements.h"

#include <QtTest>

using namespace Torva;

class RecordSourceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedTextIsBound_data();
    void typedTextIsBound();
    void wildcardsAreSearchedAsText_data();
    void wildcardsAreSearchedAsText();
};

void RecordSourceTest::typedTextIsBound_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("marks");
    QTest::addColumn<QString>("searchColumn");

    QTest::newRow("city list") << Statements::CityListSource << "SPRING" << 1 << "ZIPCTY";
    QTest::newRow("name search, both tables") << Statements::NameSearchSource << "SMI" << 2 << "PTYNAM";
    QTest::newRow("a quote") << Statements::NameSearchSource << "O'BRIEN" << 2 << "PTYNAM";
    QTest::newRow("text that looks like SQL") << Statements::CityListSource << "X' Or '1'='1" << 1 << "ZIPCTY";
    QTest::newRow("the mark itself typed") << Statements::CityListSource << "'&TEXT" << 1 << "ZIPCTY";
    QTest::newRow("nothing typed") << Statements::CityListSource << "" << 1 << "ZIPCTY";
    QTest::newRow("a fixed list") << Statements::SexListSource << "M" << 0 << "";
}

void RecordSourceTest::typedTextIsBound()
{
    QFETCH(QString, source);
    QFETCH(QString, typed);
    QFETCH(int, marks);
    QFETCH(QString, searchColumn);

    const RecordSource bound = RecordSource::bind(source, typed);

    // The statement is the source with each mark replaced by a marker, whatever was typed.
    QString expected = source;
    expected.replace(QStringLiteral("'&TEXT%'"), QStringLiteral("?"));
    QCOMPARE(bound.statement(), expected);
    QCOMPARE(bound.parameters().size(), marks);
    for (const QVariant &parameter : bound.parameters())
        QCOMPARE(parameter.toString(), typed + QLatin1Char('%'));
    QCOMPARE(bound.searchColumn(), searchColumn);
    QVERIFY(!bound.needsFiltering());
}

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
