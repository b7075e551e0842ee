#include "data/database.h"
#include "data/databaselocation.h"
#include "data/engines/odbcengine.h"
#include "data/engines/postgresengine.h"
#include "data/engines/transactionrowlocks.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QScopeGuard>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Torva;

// Row locks within one process, and those the servers keep themselves; locks
// held by another process are tst_concurrency's.

namespace {

bool loadIsRefused(TableObject &table, int key)
{
    table.Execute(Statements::LoadPartyForUpdate, QVariantList{key});
    return table.RecordLocked();
}

// What happens after one table object took party 5: done through that holder
// or through another object of the same process; true when every load it made was let in.
using Holder = std::unique_ptr<TableObject>;
using HolderStep = std::function<bool(Holder &holder, TableObject &other)>;

} // namespace

Q_DECLARE_METATYPE(HolderStep)

class RowLocksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Database::setUserName(QStringLiteral("JSMITH")); }
    void whatTheHolderDoesNext_data();
    void whatTheHolderDoesNext();
    void databaseKeptLocksHoldUntilLetGo_data();
    void databaseKeptLocksHoldUntilLetGo();
};

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

    // Given one table object holding party 5, which another object is
    // refused, told who holds it, and can still read,
    Holder holder = std::make_unique<TableObject>();
    QVERIFY(!loadIsRefused(*holder, 5));
    TableObject refused;
    QVERIFY(loadIsRefused(refused, 5));
    QVERIFY(refused.LockedBy().has_value());
    QCOMPARE(refused.LockedBy()->userName, QStringLiteral("JSMITH"));
    QCOMPARE(refused.LockedBy()->processId, QCoreApplication::applicationPid());
    QVERIFY(refused.LockedBy()->since.isValid());
    QCOMPARE(refused.FieldValue(QStringLiteral("PTYNAM")).toString(), QStringLiteral("SMITH, JOHN"));

    // when it, or another object, goes on,
    TableObject other;
    QVERIFY(step(holder, other));

    // then exactly the parties named are held against anyone else,
    for (const int key : {5, 6, 7}) {
        TableObject anyoneElse;
        QVERIFY2(loadIsRefused(anyoneElse, key) == held.contains(key), qPrintable(QStringLiteral("party %1").arg(key)));
    }
    // and the object refused before gets a party let go, told of no holder.
    if (!held.contains(5)) {
        QVERIFY(!loadIsRefused(refused, 5));
        QVERIFY(!refused.LockedBy().has_value());
    }
}

void RowLocksTest::databaseKeptLocksHoldUntilLetGo_data()
{
    // The row locks a database keeps itself (those DB2 for i gets), asked of
    // the servers here: SQLite locks whole files, not rows.
    QTest::addColumn<QString>("engine");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
    QTest::newRow("odbc") << QStringLiteral("odbc");
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
