#include "childprocess.h"
#include "controlrows.h"
#include "partyeditorhost.h"
#include "scriptedmessages.h"
#include "testdatabase.h"
#include "writeattempt.h"

#include <QtTest>

using namespace Torva;

// A user whose program dies in the middle of a save, at each of the save's
// statements in turn: the database stays sound, holds the old state or the
// new (never part of an association save), and the party is free again.

using Path = WriteAttempt::Path;

Q_DECLARE_METATYPE(WriteAttempt::Path)

class CrashSafetyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedAtEveryStep_data();
    void killedAtEveryStep();

private:
    ScriptedMessages m_boxes;
};

void CrashSafetyTest::killedAtEveryStep_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<Path>("path");
    forEachEngine([](auto row) {
        for (const Path path : {Path::PartyInsert, Path::PartyUpdate, Path::PartyDelete, Path::AssociationSave})
            row(qPrintable(WriteAttempt::name(path))) << path;
    });
}

void CrashSafetyTest::killedAtEveryStep()
{
    QFETCH(QString, engine);
    QFETCH(Path, path);

    // Given the save run once to its end by the child, for its statements and the state it leaves,
    TORVA_USE_DATABASE(engine);
    WriteAttempt::seed(path);
    const QStringList before = WriteAttempt::stored(path);
    int statements = 0;
    {
        ChildProcess child({QStringLiteral("save-and-die"), WriteAttempt::name(path), QStringLiteral("-1")});
        const QString line = child.nextLine();
        QVERIFY2(child.waitForEnd() && !child.crashed() && child.exitCode() == 0,
                 qPrintable(line + QLatin1Char('\n') + child.errorOutput()));
        QVERIFY2(line.startsWith(QLatin1String("statements ")), qPrintable(line));
        statements = line.section(QLatin1Char(' '), 1).toInt();
    }
    const QStringList after = WriteAttempt::stored(path);
    QVERIFY(statements > 0);
    QVERIFY(before != after);

    // when the child is killed just before each statement, right after the save,
    // or (the embedded database) inside its commit, with the journal still there,
    QStringList steps;
    for (int step = 0; step <= statements; ++step)
        steps << QString::number(step);
    if (engine == QLatin1String("sqlite"))
        steps << QStringLiteral("commit");
    for (const QString &step : std::as_const(steps)) {
        const QString what = step == QLatin1String("0") ? QStringLiteral("after the save")
                             : step == QLatin1String("commit") ? QStringLiteral("inside the commit")
                                                               : QStringLiteral("before statement ") + step;
        TORVA_USE_DATABASE(engine);
        WriteAttempt::seed(path);
        {
            ChildProcess child({QStringLiteral("save-and-die"), WriteAttempt::name(path), step});
            QVERIFY2(child.waitForEnd(), qPrintable(what));
            QVERIFY2(child.crashed(),
                     qPrintable(what + QStringLiteral(": the child did not die: ") + child.errorOutput()));
        }

        // then each library file passes the embedded database's own check,
        if (engine == QLatin1String("sqlite")) {
            for (const char *library : {"DUVPRB", "DUVCRT"}) {
                const QString check = QStringLiteral("PRAGMA %1.integrity_check").arg(QLatin1String(library));
                QCOMPARE(TestDatabase::value(check).toString(), QStringLiteral("ok"));
            }
        }
        // the database holds the whole save or none of it (the whole once it returned, none before its commit),
        const QStringList now = WriteAttempt::stored(path);
        QVERIFY2(now == before || now == after,
                 qPrintable(what + QStringLiteral(": ") + now.join(QLatin1String("; "))));
        QVERIFY2(step != QLatin1String("0") || now == after, qPrintable(what));
        QVERIFY2(step != QLatin1String("commit") || now == before, qPrintable(what));
        // and the party the child held (a new one: the next key after the one
        // on file) is free; the server may take a moment to notice a dead
        // client and end its session.
        const bool held = path == Path::PartyUpdate || (path == Path::PartyDelete && now == before)
                          || (path == Path::PartyInsert && now == after);
        const int key = WriteAttempt::HeldParty + (path == Path::PartyInsert ? 1 : 0);
        if (held)
            QTRY_VERIFY2_WITH_TIMEOUT(PartyEditorHost().editor->LoadRecord(key), qPrintable(what), 10000);
    }
    qInfo("%s: killed at %d points", qPrintable(WriteAttempt::name(path)), int(steps.size()));
}

QTEST_MAIN(CrashSafetyTest)
#include "tst_crashsafety.moc"
