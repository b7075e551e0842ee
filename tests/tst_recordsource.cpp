#include "data/recordsource.h"
#include "data/statements.h"

#include <QtTest>

class RecordSourceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedTextIsBound_data();
    void typedTextIsBound();
};

void RecordSourceTest::typedTextIsBound_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("marks");

    QTest::newRow("city list") << Statements::CityListSource << "SPRING" << 1;
    QTest::newRow("name search, both tables") << Statements::NameSearchSource << "SMI" << 2;
    QTest::newRow("a quote") << Statements::NameSearchSource << "O'BRIEN" << 2;
    QTest::newRow("text that looks like SQL") << Statements::CityListSource << "X' Or '1'='1" << 1;
    QTest::newRow("the mark itself typed") << Statements::CityListSource << "'&TEXT%'" << 1;
    QTest::newRow("nothing typed") << Statements::CityListSource << "" << 1;
    QTest::newRow("a fixed list") << Statements::SexListSource << "M" << 0;
}

void RecordSourceTest::typedTextIsBound()
{
    QFETCH(QString, source);
    QFETCH(QString, typed);
    QFETCH(int, marks);

    const RecordSource bound = RecordSource::bind(source, typed);

    // The statement is the source with each mark replaced by a marker, whatever was typed.
    QString expected = source;
    expected.replace(QStringLiteral("'&TEXT%'"), QStringLiteral("?"));
    QCOMPARE(bound.statement(), expected);
    QCOMPARE(bound.parameters().size(), marks);
    for (const QVariant &parameter : bound.parameters())
        QCOMPARE(parameter.toString(), typed + QLatin1Char('%'));
}

QTEST_GUILESS_MAIN(RecordSourceTest)
#include "tst_recordsource.moc"
