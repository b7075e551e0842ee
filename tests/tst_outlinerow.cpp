#include "controls/outlinerow.h"

#include <QtTest>

using namespace Torva;

class OutlineRowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setText_data();
    void setText();
    void truncate_data();
    void truncate();
    void extrasGoWhenEmpty();
};

void OutlineRowTest::setText_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("first") << QStringList{"a", "b", "c"} << 0 << "x" << QStringList{"x", "b", "c"};
    QTest::newRow("middle, longer") << QStringList{"a", "b", "c"} << 1 << "longer" << QStringList{"a", "longer", "c"};
    QTest::newRow("last, emptied") << QStringList{"a", "b", "c"} << 2 << "" << QStringList{"a", "b", ""};
    QTest::newRow("past the end") << QStringList{"a"} << 3 << "d" << QStringList{"a", "", "", "d"};
    QTest::newRow("empty row") << QStringList{} << 2 << "c" << QStringList{"", "", "c"};
    QTest::newRow("empty past the end") << QStringList{"a"} << 5 << "" << QStringList{"a", "", "", ""};
    QTest::newRow("between empties") << QStringList{"", "", "c"} << 1 << "b" << QStringList{"", "b", "c"};
}

void OutlineRowTest::setText()
{
    QFETCH(QStringList, before);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    OutlineRow row;
    row.setTexts(before);

    row.setText(column, text);

    for (int col = 0; col < after.size() + 2; ++col)
        QCOMPARE(row.text(col), after.value(col));
}

void OutlineRowTest::truncate_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("all") << 0 << QStringList{};
    QTest::newRow("some") << 2 << QStringList{"a", "b"};
    QTest::newRow("more than there are") << 9 << QStringList{"a", "b", "c"};
}

void OutlineRowTest::truncate()
{
    QFETCH(int, columns);
    QFETCH(QStringList, kept);
    OutlineRow row;
    row.setTexts({"a", "b", "c"});
    row.extrasFor(2).bold = true;

    row.truncate(columns);

    for (int col = 0; col < 4; ++col)
        QCOMPARE(row.text(col), kept.value(col));
    QCOMPARE(row.extras(2) != nullptr, columns > 2);
}

void OutlineRowTest::extrasGoWhenEmpty()
{
    OutlineRow row;
    row.extrasFor(1).data = QStringLiteral("Child");
    row.extrasFor(3).bold = true;
    row.extrasFor(1).data.clear();
    row.compact(1);
    QVERIFY(!row.extras(1));
    QVERIFY(row.extras(3) && row.extras(3)->bold);
}

QTEST_MAIN(OutlineRowTest)
#include "tst_outlinerow.moc"
