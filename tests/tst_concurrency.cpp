#include "associationfixture.h"
#include "childprocess.h"
#include "controls/datagrid.h"
#include "controls/outlinemodel.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
#include "fixtures.h"
#include "hookguard.h"
#include "partyeditorhost.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "testdatabase.h"
#include "writeattempt.h"

#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <numeric>

using namespace Torva;

// Several users at once, each in a process of its own, on one database.

namespace {

// The associations once a save of WriteAttempt's association change is stored.
const QStringList AssociationsSaved{"C12-21-P6", "C12-5-C7", "C12-5-P6", "P5-3-C12", "P8-21-C12", "P99-3-C12"};

// How many new parties each of the two savers stores.
const int PartiesPerSaver = 500;

}  // namespace

class ConcurrencyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDatabase::addEngineRows(); }
    void init() { TORVA_USE_GLOBAL_ENGINE_ROW(); }

    void secondUserWaitsForTheFirst_data();
    void secondUserWaitsForTheFirst();
    void twoUsersSaveNewPartiesAtOnce();
    void sameAssociationSavedAtOnce();
    void sameAssociationValidatedTwice();
    void busyDatabaseFailsTheSaveCleanly();

private:
    ScriptedMessages m_boxes;
};

void ConcurrencyTest::secondUserWaitsForTheFirst_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("first closes") << false;
    QTest::newRow("first is killed") << true;
}

void ConcurrencyTest::secondUserWaitsForTheFirst()
{
    QFETCH(bool, killed);
    WriteAttempt::seed(WriteAttempt::Path::PartyUpdate);
    const int key = WriteAttempt::HeldParty;

    // Given another process that holds the party,
    ChildProcess first({QStringLiteral("hold"), QStringLiteral("FIRST"), QString::number(key)});
    QCOMPARE(first.nextLine(), QStringLiteral("locked %1").arg(key));

    // then this user is refused, told who holds it, and the control is disabled,
    PartyEditorHost second;
    QSignalSpy lockErrors(second.editor, &PartyEditor::LockError);
    QVERIFY(!second.editor->LoadRecord(key));
    QCOMPARE(lockErrors.count(), 1);
    QVERIFY(second.editor->LockedBy().has_value());
    QCOMPARE(second.editor->LockedBy()->userName, QStringLiteral("FIRST"));
    QCOMPARE(second.editor->LockedBy()->processId, first.processId());
    QVERIFY(!second.editor->Enabled());
    // (another party stays free meanwhile)
    Fixtures::addParty(PartyForm::onFile(key + 1, QStringLiteral("FREE, PARTY")));
    QVERIFY(PartyEditorHost().editor->LoadRecord(key + 1));

    // and let in once the first closes or dies.
    if (killed) {
        first.killHard();
    } else {
        first.closeWriteChannel();
        QVERIFY(first.waitForEnd());
    }
    // (the server may take a moment to end a killed user's session)
    second.editor->SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(second.editor->LoadRecord(key), 10000);
    // Now the first user, coming back, is the one refused.
    ChildProcess again({QStringLiteral("hold"), QStringLiteral("FIRST"), QString::number(key)});
    QCOMPARE(again.nextLine(), QStringLiteral("refused %1").arg(key));
}

void ConcurrencyTest::twoUsersSaveNewPartiesAtOnce()
{
    QFETCH_GLOBAL(QString, engine);
    PartyForm::seedCodes();
    const int each = PartiesPerSaver;

    // Given two users who start saving new parties at the same moment,
    std::vector<std::unique_ptr<ChildProcess>> savers;
    for (const QString &tag : {QStringLiteral("ALPHA"), QStringLiteral("BRAVO")})
        savers.push_back(std::make_unique<ChildProcess>(QStringList{"save-parties", QString::number(each), tag}));
    QElapsedTimer clock;
    clock.start();
    for (auto &saver : savers)
        saver->send("go\n");

    // then every save succeeds under a key of its own,
    QList<int> keys;
    QStringList failures;
    int retried = 0;
    for (auto &saver : savers) {
        QVERIFY2(saver->waitForEnd(240000), "a saver did not finish");
        for (const QString &line : saver->remainingLines()) {
            if (line.startsWith(QLatin1String("saved ")))
                keys << line.section(QLatin1Char(' '), 1).toInt();
            else if (line.startsWith(QLatin1String("retried ")))
                retried += line.section(QLatin1Char(' '), 1).toInt();
            else
                failures << line;
        }
        QVERIFY2(!saver->crashed(), qPrintable(saver->errorOutput()));
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 10).join(QLatin1Char('\n'))));
    QCOMPARE(keys.size(), 2 * each);
    QCOMPARE(QSet<int>(keys.cbegin(), keys.cend()).size(), 2 * each);

    // and the table holds each of them once, under the key its user was told: none lost, none twice.
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 2 * each);
    QCOMPARE(TestDatabase::value(QStringLiteral("Select Count(Distinct PTYNAM) From DUVPRB.PRBPTY")).toInt(), 2 * each);
    QCOMPARE(TestDatabase::value(QStringLiteral("Select Sum(PTYKEY) From DUVPRB.PRBPTY")).toLongLong(),
             std::accumulate(keys.cbegin(), keys.cend(), qlonglong(0)));
    qInfo("%d parties saved by two users at once on %s in %lld ms; %d keys taken by the other were tried again",
          2 * each, qPrintable(engine), qint64(clock.elapsed()), retried);
}

void ConcurrencyTest::sameAssociationSavedAtOnce()
{
    WriteAttempt::seed(WriteAttempt::Path::AssociationSave);
    WriteAttempt mine(WriteAttempt::Path::AssociationSave);
    QVERIFY(mine.ready());

    // Given another user who saves the same new associations while this save,
    // already past its checks, is about to write,
    int otherExit = -1;  // -2: it crashed or hung
    bool mineSaved = false;
    bool mineFailed = false;
    {
        HookGuard hook([&](const QString &statement, const QVariantList &) {
            if (statement != Statements::DeleteAssociation || otherExit != -1)
                return;
            ChildProcess other({QStringLiteral("save-and-die"), WriteAttempt::name(WriteAttempt::Path::AssociationSave),
                                QStringLiteral("-1")});
            otherExit = other.waitForEnd() && !other.crashed() ? other.exitCode() : -2;
        });
        try {
            mineSaved = mine.write();
        } catch (const DataAccessError &) {
            mineFailed = true;
        }
    }

    // then one of the two saves is stored and the other user is told it failed.
    QVERIFY2(otherExit == 0 || otherExit == 1, qPrintable(QString::number(otherExit)));
    QVERIFY2(mineSaved != (otherExit == 0), "exactly one save may succeed");
    if (otherExit == 0) {
        QVERIFY(mineFailed);
        QCOMPARE(mine.errors, 1);
    }
    QCOMPARE(AssociationFixture::stored(), AssociationsSaved);
    qInfo("%s", otherExit == 0 ? "stored by the other process; this editor was told"
                               : "stored by this editor; the other process was told");
}

void ConcurrencyTest::sameAssociationValidatedTwice()
{
    WriteAttempt::seed(WriteAttempt::Path::AssociationSave);
    // Given two editors that both found the new associations valid,
    WriteAttempt first(WriteAttempt::Path::AssociationSave);
    WriteAttempt second(WriteAttempt::Path::AssociationSave);
    QVERIFY(first.ready() && second.ready());
    QVERIFY(!first.associations->editor->HasErrors());
    QVERIFY(!second.associations->editor->HasErrors());

    // when the first saves,
    QVERIFY(first.write());

    // then the second's save stops at the duplicate and says so at its row.
    QVERIFY(!second.write());
    const DataGrid *grid = second.associations->grid();
    QCOMPARE(grid->model()->CellError(grid->Row(), grid->ColumnIndex(QStringLiteral("ASCNAM"))),
             QStringLiteral("Duplicate association."));
    QCOMPARE(AssociationFixture::stored(), AssociationsSaved);
    QCOMPARE(second.errors, 0);
}

void ConcurrencyTest::busyDatabaseFailsTheSaveCleanly()
{
    WriteAttempt::seed(WriteAttempt::Path::PartyUpdate);
    const QStringList before = WriteAttempt::stored(WriteAttempt::Path::PartyUpdate);
    WriteAttempt mine(WriteAttempt::Path::PartyUpdate);
    QVERIFY(mine.ready());

    // Given another writer that holds the database longer than the busy timeout,
    ChildProcess writer({QStringLiteral("keep-busy"), QStringLiteral("15")});  // seconds
    QCOMPARE(writer.nextLine(), QStringLiteral("holding"));

    // when this user saves, the save waits out the busy timeout, then fails through Error and the exception,
    int number = 0;
    try {
        mine.write();
    } catch (const DataAccessError &error) {
        number = error.number();
    }
    QVERIFY(writer.nextLine(0) != QLatin1String("released"));
    QCOMPARE(number, int(DataAccessError::DatabaseBusy));
    QCOMPARE(mine.errors, 1);
    QCOMPARE(WriteAttempt::stored(WriteAttempt::Path::PartyUpdate), before);

    // and once the writer is gone the same control saves.
    writer.closeWriteChannel();
    QVERIFY(writer.waitForEnd());
    QVERIFY(mine.write());
    QVERIFY(WriteAttempt::stored(WriteAttempt::Path::PartyUpdate) != before);
}

QTEST_MAIN(ConcurrencyTest)
#include "tst_concurrency.moc"
