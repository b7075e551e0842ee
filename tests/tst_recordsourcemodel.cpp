#include "controls/recordsourcemodel.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/recordsource.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QtTest>

using namespace Torva;

namespace {
// A row of the name search as text: kind, key, name, birth date.
QString rowText(const QVariantList &row)
{
    return QVariant(row).toStringList().join(QLatin1Char('|'));
}
} // namespace

class RecordSourceModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDatabase::addEngineRows(); }
    void init() { TORVA_USE_GLOBAL_ENGINE_ROW(); }

    void listsAPageAtATimeAndFailsOnlyToLoad();
    void nameSearchPagesHoldTheStatementsRows_data();
    void nameSearchPagesHoldTheStatementsRows();
};

void RecordSourceModelTest::listsAPageAtATimeAndFailsOnlyToLoad()
{
    for (int zip = 0; zip < 12; ++zip)
        Fixtures::addZip(QStringLiteral("SPRINGFIELD"), QStringLiteral("IL"), 62701 + zip);
    Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("OR"), 97301);
    RecordSourceModel model;
    int errors = 0;
    connect(&model.tableObject(), &TableObject::Error, this, [&errors](int &, QString &) { ++errors; });
    model.setRecordSource(Statements::CityListSource);
    model.setPageSize(5);
    model.setMaxRecords(11);

    // The first page comes at once,
    model.load(QStringLiteral("SPRING"));
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.value(0, QStringLiteral("zipkey")).toInt(), 62701);
    QVERIFY(model.canFetchMore(QModelIndex()));

    // further pages as a view asks, in order, up to the most rows listed.
    model.fetchMore(QModelIndex());
    model.fetchMore(QModelIndex());
    QCOMPARE(model.rowCount(), 11);
    QCOMPARE(model.value(10, QStringLiteral("ZIPKEY")).toInt(), 62711);
    QVERIFY(!model.canFetchMore(QModelIndex()));
    QAbstractItemModelTester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    // When the table goes away between two pages,
    model.load(QStringLiteral("SPRING"));
    Database::connection().run(QStringLiteral("Drop Table DUVCRT.ZIPDTA"));

    // then a view asking for more is told through Error only,
    model.fetchMore(QModelIndex());
    QCOMPARE(errors, 1);
    QCOMPARE(model.rowCount(), 5);
    QVERIFY(!model.canFetchMore(QModelIndex()));

    // and a new search fails to its caller too.
    QVERIFY_THROWS_EXCEPTION(DataAccessError, model.load(QStringLiteral("SA")));
    QCOMPARE(errors, 2);
}

void RecordSourceModelTest::nameSearchPagesHoldTheStatementsRows_data()
{
    QTest::addColumn<QString>("typed");
    for (const char *typed : {"", "A", "M", "O'B", "_", "%", "A_", "SMITH", "SMITH ", "Z", "ZZZ", "\xC3\x85", "d", "QQX"})
        QTest::newRow(typed[0] ? typed : "nothing typed") << QString::fromUtf8(typed);
}

void RecordSourceModelTest::nameSearchPagesHoldTheStatementsRows()
{
    QFETCH(QString, typed);
    // Given parties and clients whose names share prefixes, repeat across
    // the two tables (under the same key too), end in blanks, hold the
    // characters Like takes for wildcards, or sort past "Z",
    const QStringList names{QStringLiteral("O'BRIEN, PAT"), QStringLiteral("OBRIEN, PAT"), QStringLiteral("SMITH, JOHN"),
                            QStringLiteral("SMITH , JOHN"), QStringLiteral("SMITH"), QStringLiteral("SMITH "),
                            QStringLiteral("A_B, CO"), QStringLiteral("A%B, CO"), QStringLiteral("AB, CO"),
                            QStringLiteral("ZZZ, TOP"), QString::fromUtf8("\xC3\x85NGSTR\xC3\x96M, A"),
                            QStringLiteral("deLUCA, M")};
    int key = 0;
    for (const QString &name : names) {
        Fixtures::addParty(++key, name);
        Fixtures::addClient(key, name);
        Fixtures::addParty(100 + key, name);
    }
    for (int i = 0; i < 15; ++i)
        Fixtures::addParty(200 + i, QStringLiteral("MILLER, A%1").arg(i % 4));

    // the rows of the search as written, all at once, that hold what was typed,
    // with a name's rows in the order kind, then key (clients first),
    const RecordSource bound = RecordSource::bind(Statements::NameSearchSource, typed);
    TableObject table;
    QList<QVariantList> rows = table.Fetch(bound.statement(), bound.parameters(), -1).toRows();
    rows.removeIf([&bound](const QVariantList &row) { return !bound.accepts(row.at(2).toString()); });
    const auto kindThenKey = [](const QVariantList &a, const QVariantList &b) {
        return std::make_pair(a.at(0).toString(), a.at(1).toInt()) < std::make_pair(b.at(0).toString(), b.at(1).toInt());
    };
    for (auto name = rows.begin(); name != rows.end();) {
        const auto next = std::find_if(name, rows.end(), [&name](const QVariantList &row) { return row.at(2) != name->at(2); });
        std::sort(name, next, kindThenKey);
        name = next;
    }
    QStringList expected;
    for (const QVariantList &row : std::as_const(rows))
        expected << rowText(row);

    // are the rows a list reads a few at a time, in the same order:
    RecordSourceModel model;
    model.setRecordSource(Statements::NameSearchSource);
    model.setPageSize(4);
    model.load(typed);
    // a whole page at once, however many rows that do not hold it come before them,
    QVERIFY(model.rowCount() >= qMin(4, int(expected.size())));
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    QStringList listed;
    for (int row = 0; row < model.rowCount(); ++row) {
        QVariantList values;
        for (int column = 0; column < model.columnCount(); ++column)
            values << model.value(row, column);
        listed << rowText(values);
    }
    // each of them once.
    QCOMPARE(listed, expected);
}

QTEST_GUILESS_MAIN(RecordSourceModelTest)
#include "tst_recordsourcemodel.moc"
