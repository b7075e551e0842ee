#include "common/clock.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "faultinjector.h"
#include "scriptedmessages.h"
#include "testdatabase.h"
#include "writeattempt.h"

#include <QtTest>

#include <memory>

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
    void namedStatementFails_data();
    void namedStatementFails();
    void injectorFailsExactlyTheStatementAsked_data() { TestDatabase::addEngineRows(); }
    void injectorFailsExactlyTheStatementAsked();

private:
    // Runs the path cleanly and returns its statements and the state it leaves.
    void dryRun(const QString &engine, Path path, QStringList *statements, QStringList *before, QStringList *after);
    // Fails the path at one point and proves what the failure leaves behind.
    void failOnce(const QString &engine, Path path, const QStringList &before, const QStringList &after,
                  const std::function<void(FaultInjector &)> &arm, const QString &what);

    // Where the fault hit, as the injector saw it.
    int m_firedAt = 0;
    QStringList m_firedAmong;

    std::unique_ptr<ScriptedMessages> m_boxes;
    int m_faultsSurvived = 0;
};

void FaultsTest::init()
{
    Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0)));
    m_boxes.reset();
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
    QTest::addColumn<FaultInjector::Fault>("fault");
    const QList<QPair<const char *, Path>> paths{{"party insert", Path::PartyInsert},
                                                 {"party update", Path::PartyUpdate},
                                                 {"party delete", Path::PartyDelete},
                                                 {"association save", Path::AssociationSave}};
    const QList<QPair<const char *, FaultInjector::Fault>> faults{
        {"statement fails", FaultInjector::Fault::StatementFails},
        {"connection drops", FaultInjector::Fault::ConnectionDrops}};
    for (const QString &engine : TestDatabase::engines()) {
        for (const auto &path : paths) {
            for (const auto &fault : faults)
                QTest::addRow("%s/%s/%s", qPrintable(engine), path.first, fault.first)
                    << engine << path.second << fault.second;
        }
    }
}

void FaultsTest::dryRun(const QString &engine, Path path, QStringList *statements, QStringList *before,
                        QStringList *after)
{
    TORVA_USE_DATABASE(engine);
    WriteAttempt::seed(path);
    WriteAttempt attempt(path);
    QVERIFY(attempt.ready());
    *before = WriteAttempt::stored(path);
    FaultInjector counter;
    QVERIFY(attempt.write());
    *statements = counter.seen();
    *after = WriteAttempt::stored(path);
    QCOMPARE(attempt.errors, 0);
    QVERIFY(*before != *after);
}

void FaultsTest::failOnce(const QString &engine, Path path, const QStringList &before, const QStringList &after,
                          const std::function<void(FaultInjector &)> &arm, const QString &what)
{
    TORVA_USE_DATABASE(engine);
    WriteAttempt::seed(path);
    WriteAttempt attempt(path);
    QVERIFY(attempt.ready());
    QCOMPARE(WriteAttempt::stored(path), before);

    // When the fault hits,
    {
        FaultInjector injector;
        arm(injector);
        QVERIFY_THROWS_EXCEPTION(DataAccessError, attempt.write());
        QVERIFY2(injector.fired(), qPrintable(what));
        m_firedAt = injector.firedAt();
        m_firedAmong = injector.seen();
    }
    // The one known gap: the hold a new party takes right after its insert.
    const bool holdAfterInsert =
        path == Path::PartyInsert && m_firedAt > 1 && m_firedAmong.value(m_firedAt - 2) == Statements::InsertParty;

    // then the host heard of it once, and the database holds the old state or the new, whole.
    QVERIFY2(attempt.errors == 1, qPrintable(what + QStringLiteral(": Error raised %1 times").arg(attempt.errors)));
    const QStringList now = WriteAttempt::stored(path);
    QVERIFY2(now == before || now == after,
             qPrintable(what + QStringLiteral(": stored ") + now.join(QLatin1String("; "))));
    // The party on screen stays held against other editors.
    if (path == Path::PartyUpdate || path == Path::PartyDelete) {
        QVERIFY2(heldByAnother(HeldParty), qPrintable(what));
    } else if (path == Path::PartyInsert && now != before) {
        const int key = attempt.partyKey();
        QVERIFY2(key != 0, qPrintable(what + QStringLiteral(": the party was stored but the editor has no key")));
        const bool held = heldByAnother(key);
        // (a hold that failed right after the insert is taken at the retry below)
        QVERIFY2(held || holdAfterInsert, qPrintable(what));
    }
    // And the same control saves on the next try.
    QVERIFY2(attempt.write(), qPrintable(what));
    QCOMPARE(WriteAttempt::stored(path), after);
    QCOMPARE(attempt.errors, 1);
    // A party saved on the retry is held as a saved party always is.
    if (path == Path::PartyInsert || path == Path::PartyUpdate) {
        const bool held = heldByAnother(attempt.partyKey());
        QVERIFY2(held, qPrintable(what + QStringLiteral(": not held after the retry")));
    }
    ++m_faultsSurvived;
}

void FaultsTest::everyStatementOfEveryWritePath()
{
    QFETCH(QString, engine);
    QFETCH(Path, path);
    QFETCH(FaultInjector::Fault, fault);
    TORVA_USE_DATABASE(engine);  // skips here when the engine is not there
    QStringList statements;
    QStringList before;
    QStringList after;
    dryRun(engine, path, &statements, &before, &after);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!statements.isEmpty());

    for (int n = 1; n <= statements.size(); ++n) {
        const QString what =
            QStringLiteral("statement %1 of %2 (%3)").arg(n).arg(statements.size()).arg(statements.at(n - 1));
        failOnce(
            engine, path, before, after, [n, fault](FaultInjector &injector) { injector.failStatement(n, fault); },
            what);
        if (QTest::currentTestFailed())
            return;
    }
    qInfo("%d statements failed in turn; faults survived so far: %d", int(statements.size()), m_faultsSurvived);
}

void FaultsTest::namedStatementFails_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<Path>("path");
    QTest::addColumn<QString>("pattern");
    for (const QString &engine : TestDatabase::engines()) {
        const QByteArray e = engine.toLatin1();
        QTest::addRow("%s/the party insert", e.constData())
            << engine << Path::PartyInsert << "Insert Into DUVPRB.PRBPTY";
        QTest::addRow("%s/the next key", e.constData()) << engine << Path::PartyInsert << "MAXPTYKEY";
        QTest::addRow("%s/the party update", e.constData()) << engine << Path::PartyUpdate << "Update DUVPRB.PRBPTY";
        QTest::addRow("%s/the duplicate search", e.constData()) << engine << Path::PartyUpdate << "PTYNAM Like";
        QTest::addRow("%s/the party delete", e.constData())
            << engine << Path::PartyDelete << "Delete From DUVPRB.PRBPTY";
        QTest::addRow("%s/an association delete", e.constData())
            << engine << Path::AssociationSave << "Delete From DUVPRB.PRBCLTASC";
        QTest::addRow("%s/an association insert", e.constData())
            << engine << Path::AssociationSave << "Insert Into DUVPRB.PRBCLTASC";
    }
}

void FaultsTest::namedStatementFails()
{
    QFETCH(QString, engine);
    QFETCH(Path, path);
    QFETCH(QString, pattern);
    TORVA_USE_DATABASE(engine);  // skips here when the engine is not there
    QStringList statements;
    QStringList before;
    QStringList after;
    dryRun(engine, path, &statements, &before, &after);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(std::any_of(statements.cbegin(), statements.cend(),
                         [&pattern](const QString &s) { return s.contains(pattern, Qt::CaseInsensitive); }),
             qPrintable(statements.join(QLatin1String("\n"))));
    failOnce(
        engine, path, before, after, [pattern](FaultInjector &injector) { injector.failNextMatching(pattern); },
        pattern);
}

void FaultsTest::injectorFailsExactlyTheStatementAsked()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    FaultInjector injector;
    injector.failStatement(2);
    TableObject table;
    int errors = 0;
    connect(&table, &TableObject::Error, this, [&errors](int &, QString &) { ++errors; });

    table.Execute(QStringLiteral("Select 1 As ONE From DUVPRB.PRBSEC"));
    QVERIFY_THROWS_EXCEPTION(DataAccessError, table.Execute(QStringLiteral("Select 2 As TWO From DUVPRB.PRBSEC")));
    table.Execute(QStringLiteral("Select 3 As THREE From DUVPRB.PRBSEC"));

    QCOMPARE(errors, 1);
    QCOMPARE(injector.statements(), 3);
    QVERIFY(injector.failedStatement().contains(QLatin1String("TWO")));
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
