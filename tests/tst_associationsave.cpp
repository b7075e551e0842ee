#include "associationfixture.h"
#include "associationhost.h"
#include "base/clock.h"
#include "controlrows.h"
#include "controls/datagrid.h"
#include "data/statements.h"
#include "hookguard.h"
#include "parties_editor/associationrows.h"
#include "testdatabase.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace Torva;

using namespace AssociationFixture;

namespace {
// The writes to the association table while it lives, in the order they ran.
struct WriteLog
{
    QStringList writes;
    HookGuard hook{[this](const QString &statement, const QVariantList &values) {
        if (statement == Statements::DeleteAssociation || statement == Statements::InsertAssociation)
            writes << (statement == Statements::DeleteAssociation ? QStringLiteral("delete ") : QStringLiteral("insert "))
                          + QStringLiteral("%1%2-%3-%4%5").arg(values.at(0).toString(), values.at(1).toString(),
                                                               values.at(2).toString(), values.at(3).toString(),
                                                               values.at(4).toString());
    }};
};

// A new associate in a folder, given a client or party.
int addAssociate(AssociationHost &host, const QString &folder, const QString &kind, int key)
{
    const int row = host.editor->rows().AddAssociateRow(host.row(folder), false);
    host.editor->rows().AssignAssociate(row, kind, key);
    return row;
}
} // namespace

class AssociationSaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0))); }
    void cleanup() { Clock::unpin(); }
    void engines_data() { TestDatabase::addEngineRows(); }

    void duplicateBlocksEverything_data();
    void duplicateBlocksEverything();
    void saveWritesWhatChangedOnce_data() { engines_data(); }
    void saveWritesWhatChangedOnce();
    void noTextIsWrittenNull_data() { engines_data(); }
    void noTextIsWrittenNull();
    void viewerWritesNothing_data();
    void viewerWritesNothing();
};

void AssociationSaveTest::duplicateBlocksEverything_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("twice");
    forEachEngine([](auto row) {
        row("already stored") << "Children" << "C" << 7 << false;
        // (the pending delete is still on file when the new row is checked, as after a move within its folder)
        row("deleted and added again") << "Parents" << "P" << 5 << false;
        row("symmetric, stored the other way") << "Siblings" << "P" << 8 << false;
        row("two new rows alike") << "Wards" << "P" << 6 << true;
    });
}

void AssociationSaveTest::duplicateBlocksEverything()
{
    QFETCH(QString, folder);
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(bool, twice);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    // Given a pending delete,
    const int parent = host.row(QStringLiteral("DOE, JOHN"));
    host.editor->rows().DeleteAssociateRows(parent, parent);
    // and a new association that is there already,
    int duplicate = addAssociate(host, folder, kind, key);
    if (twice)
        duplicate = addAssociate(host, folder, kind, key);
    WriteLog log;

    // then validation says so at that row, and the save writes nothing at all.
    QVERIFY(host.editor->HasErrors());
    QCOMPARE(host.grid()->Row(), duplicate);
    QCOMPARE(host.grid()->model()->CellError(duplicate, host.grid()->ColumnIndex(QStringLiteral("ASCNAM"))),
             QStringLiteral("Duplicate association."));
    QVERIFY(!host.editor->SaveRecords());
    QVERIFY(log.writes.isEmpty());
}

void AssociationSaveTest::saveWritesWhatChangedOnce()
{
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    WriteLog log;
    // Saving what was loaded writes nothing and finds no duplicate.
    QVERIFY(!host.editor->HasErrors());
    QVERIFY(host.editor->SaveRecords());
    QVERIFY(log.writes.isEmpty());

    // Given a new ward, and a new parent, then every parent deleted from the folder's menu,
    addAssociate(host, QStringLiteral("Wards"), QStringLiteral("P"), 6);
    addAssociate(host, QStringLiteral("Parents"), QStringLiteral("P"), 8);
    const int rows = host.grid()->Rows();
    host.editor->PreparePopupMenu(host.row(QStringLiteral("Parents")));
    host.editor->popupMenu()->findChild<QAction *>(QStringLiteral("mnuPopDelete"))->trigger();
    // the new parent is gone at once, the stored ones are hidden until the save;
    QCOMPARE(host.grid()->Rows(), rows - 1);
    QCOMPARE(namesIn(*host.editor, QStringLiteral("Parents")), QStringList());

    // when saved, the deleted rows go first, by the keys they were read with,
    QVERIFY(host.editor->SaveRecords());
    QCOMPARE(log.writes, QStringList({"delete P99-3-C12", "delete P5-3-C12", "insert C12-5-P6"}));
    QCOMPARE(stored(), QStringList({"C12-21-P6", "C12-3-C7", "C12-5-P6", "P8-21-C12"}));
    // then the outline shows what is stored: saving again without a reload writes nothing,
    log.writes.clear();
    QVERIFY(!host.editor->HasErrors());
    QVERIFY(host.editor->SaveRecords());
    QVERIFY(log.writes.isEmpty());
    QCOMPARE(host.grid()->Rows(), rows - 3);
    // and deleting the new association now deletes it from the table.
    const int ward = host.grid()->NodeRow(host.row(QStringLiteral("Wards")), 2);
    host.editor->rows().DeleteAssociateRows(ward, ward);
    QVERIFY(host.editor->SaveRecords());
    QCOMPARE(log.writes, QStringList{"delete C12-5-P6"});
}

void AssociationSaveTest::noTextIsWrittenNull()
{
    TORVA_USE_ENGINE_ROW();
    seedClientTwelve();
    // Given an association table whose text columns forbid NULL, as a host's may,
    const QString table = QStringLiteral("DUVPRB.PRBCLTASC");
    const QStringList texts{"ASCFLG1", "ASCFLG2", "ASCUSR"};
    TestDatabase::forbidNull(table, texts);
    // an editor whose host never named the user, a new ward, and the child copied to the wards,
    AssociationHost host;
    host.load(QString());
    addAssociate(host, QStringLiteral("Wards"), QStringLiteral("P"), 6);
    host.select(host.row(QStringLiteral("DOE, BABY")));
    UserInput::press(Qt::Key_C, Qt::ControlModifier);
    host.select(host.row(QStringLiteral("Wards")));
    UserInput::press(Qt::Key_V, Qt::ControlModifier);

    // when it is saved, the table takes both,
    bool saved = false;
    QVERIFY_THROWS_NO_EXCEPTION(saved = host.editor->SaveRecords());
    QVERIFY(saved);

    // with the user as empty text.
    QCOMPARE(stored(), QStringList({"C12-21-P6", "C12-3-C7", "C12-5-C7", "C12-5-P6", "P5-3-C12", "P8-21-C12", "P99-3-C12"}));
    QCOMPARE(TestDatabase::rowsWithNull(table, texts), 0);
}

void AssociationSaveTest::viewerWritesNothing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("loaded");  // the mode of the load
    QTest::addColumn<QString>("saving");  // the mode when SaveRecords runs
    forEachEngine([](auto row) {
        row("viewing") << "*VIEW" << "*VIEW";
        row("switched to viewing after the load") << "*EDIT" << "*VIEW";
        row("no mode after the load") << "*EDIT" << "";
    });
}

void AssociationSaveTest::viewerWritesNothing()
{
    QFETCH(QString, loaded);
    QFETCH(QString, saving);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host(QStringLiteral("JSMITH"), loaded);
    // Given rows an editing user's save would write (a delete and a new ward),
    const int parent = host.row(QStringLiteral("DOE, JOHN"));
    host.editor->rows().DeleteAssociateRows(parent, parent);
    addAssociate(host, QStringLiteral("Wards"), QStringLiteral("P"), 6);
    host.editor->UserMode = saving;

    // a save by a viewer fails without running a single statement.
    int statements = 0;
    {
        HookGuard hook([&statements](const QString &, const QVariantList &) { ++statements; });
        QVERIFY(!host.editor->SaveRecords());
    }
    QCOMPARE(statements, 0);
}

QTEST_MAIN(AssociationSaveTest)
#include "tst_associationsave.moc"
