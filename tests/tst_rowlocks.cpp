#include "childprocess.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/engines/odbcengine.h"
#include "data/engines/postgresengine.h"
#include "data/engines/transactionrowlocks.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QtTest>

#include <QScopeGuard>

#include <functional>
#include <memory>

using namespace Torva;

namespace {

bool loadIsRefused(TableObject &table, int key)
{
    table.Execute(Statements::LoadPartyForUpdate, QVariantList{key});
    return table.RecordLocked();
}

bool freshLoadIsRefused(int key)
{
    TableObject table;
    return loadIsRefused(table, key);
}

// What happens after one table object took party 5: done through that holder
// or through another object of the same process; true when every load it made was let in.
using Holder = std::unique_ptr<TableObject>;
using HolderStep = std::function<bool(Holder &holder, TableObject &other)>;

// The lock_holder program, holding the given parties as the user CHILD.
QStringList lockHolderArguments(const QStringList &keys)
{
    return QStringList{TestDatabase::location(), QStringLiteral("CHILD")} + keys;
}

} // namespace

Q_DECLARE_METATYPE(HolderStep)

class RowLocksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void engines_data();

    void othersAreRefusedUntilClose_data() { engines_data(); }
    void othersAreRefusedUntilClose();
    void whatTheHolderDoesNext_data();
    void whatTheHolderDoesNext();
    void anotherProcessHoldsUntilItEnds_data();
    void anotherProcessHoldsUntilItEnds();
    void databaseKeptLocksHoldUntilLetGo_data();
    void databaseKeptLocksHoldUntilLetGo();
};

void RowLocksTest::init()
{
    Database::setUserName(QStringLiteral("JSMITH"));
}

void RowLocksTest::engines_data()
{
    TestDatabase::addEngineRows();
}

void RowLocksTest::othersAreRefusedUntilClose()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    // Given one table object holding party 5,
    TableObject first;
    QVERIFY(!loadIsRefused(first, 5));
    QVERIFY(!first.Eof());

    // when a second one in the same process loads it,
    TableObject second;
    QVERIFY(loadIsRefused(second, 5));

    // then it is told who holds it, and can still read the row;
    QVERIFY(second.LockedBy().has_value());
    QCOMPARE(second.LockedBy()->userName, QStringLiteral("JSMITH"));
    QCOMPARE(second.LockedBy()->processId, QCoreApplication::applicationPid());
    QVERIFY(second.LockedBy()->since.isValid());
    QCOMPARE(second.FieldValue(QStringLiteral("PTYNAM")).toString(), QStringLiteral("SMITH, JOHN"));
    // another process is refused it too, but not party 6.
    {
        ChildProcess child(QStringLiteral(TORVA_LOCK_HOLDER),
                           lockHolderArguments({QStringLiteral("5"), QStringLiteral("6")}));
        QCOMPARE(child.readLine(), QStringLiteral("refused 5"));
        QCOMPARE(child.readLine(), QStringLiteral("locked 6"));
    }

    // Closing the holder lets the second in.
    first.Close();
    QVERIFY(!loadIsRefused(second, 5));
    QVERIFY(!second.LockedBy().has_value());
}

void RowLocksTest::whatTheHolderDoesNext_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<HolderStep>("step");
    QTest::addColumn<QList<int>>("held");  // of parties 5, 6 and 7, afterwards
    struct Step
    {
        const char *name;
        HolderStep step;
        QList<int> held;
    };
    const QList<Step> steps{
        {"closed", [](Holder &holder, TableObject &) { holder->Close(); return true; }, {}},
        {"destroyed", [](Holder &holder, TableObject &) { holder.reset(); return true; }, {}},
        {"loaded party 5 again", [](Holder &holder, TableObject &) { return !loadIsRefused(*holder, 5); }, {5}},
        {"moved on to party 6", [](Holder &holder, TableObject &) { return !loadIsRefused(*holder, 6); }, {6}},
        {"wrote through the holder",
         [](Holder &holder, TableObject &) {
             holder->Execute(QStringLiteral("Update DUVPRB.PRBPTY Set PTYST1=? Where PTYKEY=?"),
                             QVariantList{"1 ELM ST", 5});
             holder->Execute(QStringLiteral("Select PTYZIP From DUVPRB.PRBPTY Where PTYKEY=?"), QVariantList{5});
             return true;
         },
         {5}},
        {"another object took party 6", [](Holder &, TableObject &other) { return !loadIsRefused(other, 6); }, {5, 6}},
        // A party saved later is not held by the object that found nothing.
        {"another object found no party 7, then it was saved",
         [](Holder &, TableObject &other) {
             const bool found = !loadIsRefused(other, 7) && other.Eof();
             Fixtures::addParty(7, QStringLiteral("SMITH, JUNE"));
             return found;
         },
         {5}},
    };
    for (const QString &engine : TestDatabase::engines()) {
        for (const Step &step : steps)
            QTest::addRow("%s/%s", qPrintable(engine), step.name) << engine << step.step << step.held;
    }
}

void RowLocksTest::whatTheHolderDoesNext()
{
    QFETCH(QString, engine);
    QFETCH(HolderStep, step);
    QFETCH(QList<int>, held);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    // Given one table object holding party 5,
    Holder holder = std::make_unique<TableObject>();
    QVERIFY(!loadIsRefused(*holder, 5));
    QVERIFY(freshLoadIsRefused(5));

    // when it, or another object, goes on,
    TableObject other;
    QVERIFY(step(holder, other));

    // then exactly the parties named are held against anyone else.
    for (const int key : {5, 6, 7})
        QVERIFY2(freshLoadIsRefused(key) == held.contains(key), qPrintable(QStringLiteral("party %1").arg(key)));
}

void RowLocksTest::anotherProcessHoldsUntilItEnds_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("killed");
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/closed", qPrintable(engine)) << engine << false;
        QTest::addRow("%s/killed", qPrintable(engine)) << engine << true;
    }
}

void RowLocksTest::anotherProcessHoldsUntilItEnds()
{
    QFETCH(QString, engine);
    QFETCH(bool, killed);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    // Given another process holding party 5,
    ChildProcess child(QStringLiteral(TORVA_LOCK_HOLDER), lockHolderArguments({QStringLiteral("5")}));
    QCOMPARE(child.readLine(), QStringLiteral("locked 5"));

    // then this process is refused party 5, told who has it, and gets party 6.
    TableObject table;
    QVERIFY(loadIsRefused(table, 5));
    QVERIFY(table.LockedBy().has_value());
    QCOMPARE(table.LockedBy()->userName, QStringLiteral("CHILD"));
    QCOMPARE(table.LockedBy()->processId, child.processId());
    QVERIFY(!freshLoadIsRefused(6));

    // When the holder ends, by closing or by being killed, the lock goes with it.
    if (killed) {
        child.killHard();
    } else {
        child.closeInput();
        QVERIFY(child.waitForEnd());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!freshLoadIsRefused(5), 10000);
}

void RowLocksTest::databaseKeptLocksHoldUntilLetGo_data()
{
    // The row locks a database keeps itself (those DB2 for i gets), asked of
    // the servers here: SQLite locks whole files, not rows.
    QTest::addColumn<QString>("engine");
    for (const QString &engine : TestDatabase::engines()) {
        if (engine != QLatin1String("sqlite"))
            QTest::newRow(qPrintable(engine)) << engine;
    }
}

void RowLocksTest::databaseKeptLocksHoldUntilLetGo()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));
    Database::setStatementDeadline(std::chrono::milliseconds(400));
    const auto usualDeadline = qScopeGuard([] { Database::setStatementDeadline(Database::DefaultDeadline); });
    const QString party = QStringLiteral("DUVPRB.PRBPTY");
    const DatabaseLocation location = DatabaseLocation::parse(TestDatabase::location());
    const auto sessionEngine = [&location]() -> std::unique_ptr<Engine> {
        if (location.engine() == DatabaseLocation::Engine::Odbc)
            return std::make_unique<OdbcEngine>(location);
        return std::make_unique<PostgresEngine>(location);
    };

    // Given one session holding party 5, and a party not on file yet,
    TransactionRowLocks first(sessionEngine());
    QVERIFY(first.tryLock(LockKey(party, {5})));
    QVERIFY(first.tryLock(LockKey(party, {99})));

    // a second session is refused party 5 once the database's lock wait
    // runs out, and gets party 6;
    TransactionRowLocks second(sessionEngine());
    QVERIFY(!second.tryLock(LockKey(party, {5})));
    QVERIFY(second.tryLock(LockKey(party, {6})));
    second.unlock(LockKey(party, {6}));
    // party 5 stays held while the first holds anything,
    first.unlock(LockKey(party, {5}));
    QVERIFY(!second.tryLock(LockKey(party, {5})));
    // and is the second's once the first has let go of all.
    first.unlock(LockKey(party, {99}));
    QVERIFY(second.tryLock(LockKey(party, {5})));
    QVERIFY(!second.holdsKeysWithoutRows());
}

QTEST_GUILESS_MAIN(RowLocksTest)
#include "tst_rowlocks.moc"
