#include "base/clock.h"
#include "data/dataaccesserror.h"
#include "faultinjector.h"
#include "scriptedmessages.h"
#include "testdatabase.h"
#include "writeattempt.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/databaselocation.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QtTest>

using namespace Torva;

// Every write path of both editors, failed at each of its statements in turn:
// the host is told once, the call fails, the database holds all of the old
// state or all of the new, the party's lock stays, and a retry saves.

using Path = WriteAttempt::Path;

class FaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0)));
        m_boxes.messages.clear();
    }
    void cleanup() { Clock::unpin(); }

    void everyStatementOfEveryWritePath_data();
    void everyStatementOfEveryWritePath();
    void aNewPartysLockThatCannotBeHadWritesNothing_data() { TestDatabase::addEngineRows(); }
    void aNewPartysLockThatCannotBeHadWritesNothing();

private:
    ScriptedMessages m_boxes;
};

Q_DECLARE_METATYPE(Path)
Q_DECLARE_METATYPE(FaultInjector::Fault)

void FaultsTest::everyStatementOfEveryWritePath_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<Path>("path");
    QTest::addColumn<QStringList>("among");  // statements the path must run, and so see fail
    QTest::addColumn<FaultInjector::Fault>("fault");
    const QList<std::tuple<const char *, Path, QStringList>> paths{
        {"party insert", Path::PartyInsert, {"MAXPTYKEY", "Insert Into DUVPRB.PRBPTY"}},
        {"party update", Path::PartyUpdate, {"PTYNAM Like", "Update DUVPRB.PRBPTY"}},
        {"party delete", Path::PartyDelete, {"Delete From DUVPRB.PRBPTY"}},
        {"association save", Path::AssociationSave, {"Delete From DUVPRB.PRBCLTASC", "Insert Into DUVPRB.PRBCLTASC"}}};
    // A server that stops answering mid-write (frozen, or cut off) is PostgreSQL's alone.
    const QList<QPair<const char *, FaultInjector::Fault>> faults{
        {"statement fails", FaultInjector::Fault::StatementFails},
        {"connection drops", FaultInjector::Fault::ConnectionDrops},
        {"server stops answering", FaultInjector::Fault::ServerStopsAnswering}};
    for (const QString &engine : TestDatabase::engines()) {
        for (const auto &[name, path, among] : paths) {
            for (const auto &[faultName, fault] : faults) {
                if (fault != FaultInjector::Fault::ServerStopsAnswering || engine == QLatin1String("postgresql"))
                    QTest::addRow("%s/%s/%s", qPrintable(engine), name, faultName) << engine << path << among << fault;
            }
        }
    }
}

void FaultsTest::everyStatementOfEveryWritePath()
{
    QFETCH(QString, engine);
    QFETCH(Path, path);
    QFETCH(QStringList, among);
    QFETCH(FaultInjector::Fault, fault);
    // A server that got a write and never answered may have made it: the
    // editor cannot know, and the retry must not make it twice. A short
    // deadline: each statement that gets no answer waits it out.
    const bool unanswered = fault == FaultInjector::Fault::ServerStopsAnswering;
    if (unanswered)
        Database::setStatementDeadline(std::chrono::milliseconds(300));
    const auto usualDeadline = qScopeGuard([] { Database::setStatementDeadline(Database::DefaultDeadline); });

    // Given the write run cleanly once, for its statements and the state it leaves,
    TORVA_USE_DATABASE(engine);
    WriteAttempt::seed(path);
    const QStringList before = WriteAttempt::stored(path);
    QStringList statements;
    {
        WriteAttempt attempt(path);
        QVERIFY(attempt.ready());
        FaultInjector counter;
        QVERIFY(attempt.write());
        QCOMPARE(attempt.errors, 0);
        statements = counter.seen();
    }
    const QStringList after = WriteAttempt::stored(path);
    QVERIFY(before != after);
    for (const QString &statement : among)
        QVERIFY2(statements.join(QLatin1Char('\n')).contains(statement, Qt::CaseInsensitive), qPrintable(statement));

    // when each of them fails in turn, on a fresh database,
    for (int n = 1; n <= statements.size(); ++n) {
        const QString what = QStringLiteral("statement %1 of %2 (%3)").arg(n).arg(statements.size()).arg(statements.at(n - 1));
        TORVA_USE_DATABASE(engine);
        WriteAttempt::seed(path);
        WriteAttempt attempt(path);
        QVERIFY(attempt.ready());
        QCOMPARE(WriteAttempt::stored(path), before);
        {
            FaultInjector injector;
            injector.failStatement(n, fault);
            QVERIFY_THROWS_EXCEPTION(DataAccessError, attempt.write());
            QVERIFY2(injector.fired(), qPrintable(what));
        }
        // then the host heard of it once, and the database holds the old state or the new, whole;
        QVERIFY2(attempt.errors == 1, qPrintable(what + QStringLiteral(": Error raised %1 times").arg(attempt.errors)));
        const QStringList now = WriteAttempt::stored(path);
        QVERIFY2(now == before || now == after,
                 qPrintable(what + QStringLiteral(": stored ") + now.join(QLatin1String("; "))));
        // the party on screen stays held against other editors;
        if (path == Path::PartyUpdate || (path == Path::PartyDelete && now == before)) {
            QVERIFY2(WriteAttempt::heldByAnother(WriteAttempt::HeldParty), qPrintable(what));
        } else if (path == Path::PartyInsert && now != before && !unanswered) {
            QVERIFY2(attempt.partyKey() != 0,
                     qPrintable(what + QStringLiteral(": the party was stored but the editor has no key")));
            QVERIFY2(WriteAttempt::heldByAnother(attempt.partyKey()), qPrintable(what));
        } else if (path == Path::PartyInsert) {
            // a new party that was not stored keeps no key, so that the retry inserts it;
            QVERIFY2(attempt.partyKey() == 0, qPrintable(what + QStringLiteral(": the editor kept a key of no party")));
        }
        // and the same control saves on the next try (or finds the work done),
        QVERIFY2(attempt.write() || (unanswered && now == after), qPrintable(what));
        QCOMPARE(WriteAttempt::stored(path), after);
        QCOMPARE(attempt.errors, 1);
        // a party saved on the retry held as a saved party always is.
        if (path == Path::PartyInsert || path == Path::PartyUpdate)
            QVERIFY2(WriteAttempt::heldByAnother(attempt.partyKey()),
                     qPrintable(what + QStringLiteral(": not held after the retry")));
    }
    qInfo("%d statements failed in turn", int(statements.size()));
}

void FaultsTest::aNewPartysLockThatCannotBeHadWritesNothing()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    const Path path = Path::PartyInsert;
    WriteAttempt::seed(path);
    const QStringList before = WriteAttempt::stored(path);
    WriteAttempt attempt(path);
    QVERIFY(attempt.ready());

    // Given row locks that cannot be taken (the lock file is no file; the
    // table of lock holders is gone),
    const QString lockFile = QDir(DatabaseLocation::parse(TestDatabase::location(), QString()).folder())
                                 .filePath(QStringLiteral("locks/ROWLOCKS"));
    const auto breakLocks = [&](bool broken) {
        if (engine == QLatin1String("sqlite")) {
            QFile::remove(lockFile);
            QVERIFY(broken ? QDir().mkpath(lockFile) : QDir().rmdir(lockFile));
        } else {
            Database::connection().run(broken ? QStringLiteral("Alter Table torva.lock_holders Rename To lock_holders_gone")
                                              : QStringLiteral("Alter Table torva.lock_holders_gone Rename To lock_holders"));
        }
    };
    breakLocks(true);

    // when the new party is saved, the save fails, once, and nothing is written:
    QVERIFY_THROWS_EXCEPTION(DataAccessError, attempt.write());
    QCOMPARE(attempt.errors, 1);
    QCOMPARE(WriteAttempt::stored(path), before);
    QCOMPARE(attempt.partyKey(), 0);

    // once the locks work again the same save stores it once, held as a saved party is.
    breakLocks(false);
    QVERIFY(attempt.write());
    QCOMPARE(WriteAttempt::stored(path).size(), before.size() + 1);
    QVERIFY(WriteAttempt::heldByAnother(attempt.partyKey()));
    QVERIFY2(m_boxes.messages.isEmpty(), qPrintable(m_boxes.texts().join('\n')));
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
