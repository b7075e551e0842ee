#include "base/clock.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
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

#include <memory>

using namespace Torva;

// Every write path of both editors, failed at each of its statements in turn:
// the host is told once, the call fails, the database holds all of the old
// state or all of the new, the party's lock stays, and a retry saves.

namespace {

using Path = WriteAttempt::Path;
const int HeldParty = WriteAttempt::HeldParty;

bool heldByAnother(int key)
{
    PartyEditorHost other;
    return !other.editor->LoadRecord(key) && other.editor->LockedBy().has_value();
}

}  // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void everyStatementOfEveryWritePath_data();
    void everyStatementOfEveryWritePath();
    void aNewPartysLockThatCannotBeHadWritesNothing_data() { TestDatabase::addEngineRows(); }
    void aNewPartysLockThatCannotBeHadWritesNothing();

private:
    // Fails the path at its nth statement and proves what the failure leaves behind.
    void failOnce(const QString &engine, Path path, const QStringList &before, const QStringList &after, int n,
                  FaultInjector::Fault fault, const QString &what);

    std::unique_ptr<ScriptedMessages> m_boxes;
};

void FaultsTest::init()
{
    Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0)));
    m_boxes = std::make_unique<ScriptedMessages>();
}

void FaultsTest::cleanup()
{
    m_boxes.reset();
    Clock::unpin();
}

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

void FaultsTest::failOnce(const QString &engine, Path path, const QStringList &before, const QStringList &after,
                          int n, FaultInjector::Fault fault, const QString &what)
{
    TORVA_USE_DATABASE(engine);
    WriteAttempt::seed(path);
    WriteAttempt attempt(path);
    QVERIFY(attempt.ready());
    QCOMPARE(WriteAttempt::stored(path), before);

    // When the fault hits,
    QStringList seen;
    {
        FaultInjector injector;
        injector.failStatement(n, fault);
        QVERIFY_THROWS_EXCEPTION(DataAccessError, attempt.write());
        QVERIFY2(injector.fired(), qPrintable(what));
        seen = injector.seen();
    }
    // then the host heard of it once, and the database holds the old state or the new, whole.
    QVERIFY2(attempt.errors == 1, qPrintable(what + QStringLiteral(": Error raised %1 times").arg(attempt.errors)));
    const QStringList now = WriteAttempt::stored(path);
    QVERIFY2(now == before || now == after,
             qPrintable(what + QStringLiteral(": stored ") + now.join(QLatin1String("; "))));
    // A server that got a write and never answered may have made it: the
    // editor cannot know, and the retry must not make it twice.
    const bool unanswered = fault == FaultInjector::Fault::ServerStopsAnswering;
    // The party on screen stays held against other editors.
    if (path == Path::PartyUpdate || (path == Path::PartyDelete && now == before)) {
        QVERIFY2(heldByAnother(HeldParty), qPrintable(what));
    } else if (path == Path::PartyInsert && now != before && !unanswered) {
        const int key = attempt.partyKey();
        QVERIFY2(key != 0, qPrintable(what + QStringLiteral(": the party was stored but the editor has no key")));
        QVERIFY2(heldByAnother(key), qPrintable(what));
    } else if (path == Path::PartyInsert) {
        // A new party that was not stored keeps no key, so that the retry inserts it.
        QVERIFY2(attempt.partyKey() == 0, qPrintable(what + QStringLiteral(": the editor kept a key of no party")));
    }
    // And the same control saves on the next try (or finds the work done).
    const bool retried = attempt.write();
    QVERIFY2(retried || (unanswered && now == after), qPrintable(what));
    QCOMPARE(WriteAttempt::stored(path), after);
    QCOMPARE(attempt.errors, 1);
    // A party saved on the retry is held as a saved party always is.
    if (path == Path::PartyInsert || path == Path::PartyUpdate) {
        const bool held = heldByAnother(attempt.partyKey());
        QVERIFY2(held, qPrintable(what + QStringLiteral(": not held after the retry")));
    }
}

void FaultsTest::everyStatementOfEveryWritePath()
{
    QFETCH(QString, engine);
    QFETCH(Path, path);
    QFETCH(QStringList, among);
    QFETCH(FaultInjector::Fault, fault);
    // A short deadline: each statement that gets no answer waits it out.
    if (fault == FaultInjector::Fault::ServerStopsAnswering)
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

    // when each of them fails in turn, then each failure leaves the database whole and the retry saves.
    for (int n = 1; n <= statements.size(); ++n) {
        failOnce(engine, path, before, after, n, fault,
                 QStringLiteral("statement %1 of %2 (%3)").arg(n).arg(statements.size()).arg(statements.at(n - 1)));
        if (QTest::currentTestFailed())
            return;
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
    QVERIFY(heldByAnother(attempt.partyKey()));
    QVERIFY2(m_boxes->messages.isEmpty(), qPrintable(m_boxes->texts().join('\n')));
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
