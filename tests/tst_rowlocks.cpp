#include "data/database.h"
#include "data/databaselocation.h"
#include "data/engines/odbcengine.h"
#include "data/engines/postgresengine.h"
#include "data/engines/transactionrowlocks.h"
#include "data/lockedselect.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "controlrows.h"
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
    void statementsThatTakeARowLock_data();
    void statementsThatTakeARowLock();
    void whatTheHolderDoesNext_data();
    void whatTheHolderDoesNext();
    void databaseKeptLocksHoldUntilLetGo_data();
    void databaseKeptLocksHoldUntilLetGo();
};

// A select ending in "For Update [of columns]" takes the row lock of the
// table it reads; what it runs is the select without that clause.
void RowLocksTest::statementsThatTakeARowLock_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("withoutClause");  // of a locked select; any other statement stays as it is
    QTest::addColumn<QString>("table");

    QTest::newRow("party load") << "Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update of PTYNAM" << true
                                << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << "DUVPRB.PRBPTY";
    QTest::newRow("any case, extra blanks") << "select * from duvprb.prbpty where ptykey=?   FOR  UPDATE  OF  ptynam  "
                                            << true << "select * from duvprb.prbpty where ptykey=?" << "DUVPRB.PRBPTY";
    QTest::newRow("no column list") << "Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update" << true
                                    << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << "DUVPRB.PRBPTY";
    QTest::newRow("several columns") << "Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update of PTYNAM, PTYST1"
                                     << true << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << "DUVPRB.PRBPTY";
    QTest::newRow("unqualified table") << "Select * From PRBPTY For Update of PTYNAM" << true << "Select * From PRBPTY"
                                       << "PRBPTY";
    QTest::newRow("plain select") << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << false << "" << "";
    QTest::newRow("clause inside a text") << "Select * From DUVPRB.PRBPTY Where PTYNAM='x For Update of y'" << false
                                          << "" << "";
    QTest::newRow("not at the end") << "Select * From DUVPRB.PRBPTY For Update of PTYNAM Where PTYKEY=?" << false
                                    << "" << "";
    QTest::newRow("an update statement") << "Update DUVPRB.PRBPTY Set PTYNAM=? Where PTYKEY=?" << false << "" << "";
    QTest::newRow("empty") << "" << false << "" << "";
}

void RowLocksTest::statementsThatTakeARowLock()
{
    QFETCH(QString, statement);
    QFETCH(bool, locked);
    QFETCH(QString, withoutClause);
    QFETCH(QString, table);

    const LockedSelect select = LockedSelect::parse(statement);

    QCOMPARE(select.isLocked(), locked);
    QCOMPARE(select.statement(), locked ? withoutClause : statement);
    QCOMPARE(select.table(), table);
}

void RowLocksTest::whatTheHolderDoesNext_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<HolderStep>("step");
    QTest::addColumn<QList<int>>("held");  // of parties 5, 6 and 7, afterwards
    using Held = QList<int>;
    forEachEngine([](auto row) {
        row("closed") << HolderStep([](Holder &holder, TableObject &) { holder->Close(); return true; }) << Held{};
        row("destroyed") << HolderStep([](Holder &holder, TableObject &) { holder.reset(); return true; }) << Held{};
        row("loaded party 5 again")
            << HolderStep([](Holder &holder, TableObject &) { return !loadIsRefused(*holder, 5); }) << Held{5};
        row("moved on to party 6")
            << HolderStep([](Holder &holder, TableObject &) { return !loadIsRefused(*holder, 6); }) << Held{6};
        row("wrote through the holder") << HolderStep([](Holder &holder, TableObject &) {
            holder->Execute(QStringLiteral("Update DUVPRB.PRBPTY Set PTYST1=? Where PTYKEY=?"),
                            QVariantList{"1 ELM ST", 5});
            holder->Execute(QStringLiteral("Select PTYZIP From DUVPRB.PRBPTY Where PTYKEY=?"), QVariantList{5});
            return true;
        }) << Held{5};
        row("another object took party 6")
            << HolderStep([](Holder &, TableObject &other) { return !loadIsRefused(other, 6); }) << Held{5, 6};
        // A party saved later is not held by the object that found nothing.
        row("another object found no party 7, then it was saved") << HolderStep([](Holder &, TableObject &other) {
            const bool found = !loadIsRefused(other, 7) && other.Eof();
            Fixtures::addParty(7, QStringLiteral("SMITH, JUNE"));
            return found;
        }) << Held{5};
    });
}

void RowLocksTest::whatTheHolderDoesNext()
{
    QFETCH(HolderStep, step);
    QFETCH(QList<int>, held);
    TORVA_USE_ENGINE_ROW();
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
    TORVA_USE_ENGINE_ROW();
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
