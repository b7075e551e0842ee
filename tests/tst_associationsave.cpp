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

#include <QAction>
#include <QMenu>
#include <QtTest>

using namespace Torva;

using namespace AssociationFixture;

namespace {
// The writes to the association table while it lives, in the order they ran,
// and how many statements ran in all.
struct WriteLog
{
    QStringList writes;
    int statements = 0;
    HookGuard hook{[this](const QString &statement, const QVariantList &values) {
        ++statements;
        if (statement == Statements::DeleteAssociation || statement == Statements::InsertAssociation)
            writes << (statement == Statements::DeleteAssociation ? QStringLiteral("delete ") : QStringLiteral("insert "))
                          + association(QVariant(values.mid(0, 5)).toStringList());
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

    void refusedSaveWritesNothing_data();
    void refusedSaveWritesNothing();
    void saveWritesWhatChangedOnce_data() { TestDatabase::addEngineRows(); }
    void saveWritesWhatChangedOnce();
};

void AssociationSaveTest::refusedSaveWritesNothing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("loaded");  // the mode of the load
    QTest::addColumn<QString>("saving");  // the mode when SaveRecords runs
    QTest::addColumn<QString>("folder");  // of the new association
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("twice");
    forEachEngine([](auto row) {
        // A new association that is there already blocks everything,
        row("already stored") << "*EDIT" << "*EDIT" << "Children" << "C" << 7 << false;
        // (the pending delete is still on file when the new row is checked, as after a move within its folder)
        row("deleted and added again") << "*EDIT" << "*EDIT" << "Parents" << "P" << 5 << false;
        row("symmetric, stored the other way") << "*EDIT" << "*EDIT" << "Siblings" << "P" << 8 << false;
        row("two new rows alike") << "*EDIT" << "*EDIT" << "Wards" << "P" << 6 << true;
        // and a viewer saves nothing, however good the rows.
        row("viewing") << "*VIEW" << "*VIEW" << "Wards" << "P" << 6 << false;
        row("switched to viewing after the load") << "*EDIT" << "*VIEW" << "Wards" << "P" << 6 << false;
        row("no mode after the load") << "*EDIT" << "" << "Wards" << "P" << 6 << false;
    });
}

void AssociationSaveTest::refusedSaveWritesNothing()
{
    QFETCH(QString, loaded);
    QFETCH(QString, saving);
    QFETCH(QString, folder);
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(bool, twice);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host(QStringLiteral("JSMITH"), loaded);
    // Given a pending delete,
    const int parent = host.row(QStringLiteral("DOE, JOHN"));
    host.editor->rows().DeleteAssociateRows(parent, parent);
    // and a new association (that may be there already) when the host sets the mode of the save,
    int added = addAssociate(host, folder, kind, key);
    if (twice)
        added = addAssociate(host, folder, kind, key);
    host.editor->UserMode = saving;
    WriteLog log;

    // then the save fails and writes nothing at all:
    QVERIFY(!host.editor->SaveRecords());
    QVERIFY(log.writes.isEmpty());
    // a viewer's runs not a single statement,
    if (saving != QLatin1String("*EDIT")) {
        QCOMPARE(log.statements, 0);
        return;
    }
    // and validation names the duplicate at its row.
    QCOMPARE(host.grid()->Row(), added);
    QCOMPARE(host.grid()->model()->CellError(added, host.grid()->ColumnIndex(QStringLiteral("ASCNAM"))),
             QStringLiteral("Duplicate association."));
}

void AssociationSaveTest::saveWritesWhatChangedOnce()
{
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    // Given an association table whose text columns forbid NULL, as a host's may,
    const QString table = QStringLiteral("DUVPRB.PRBCLTASC");
    const QStringList texts{"ASCFLG1", "ASCFLG2", "ASCUSR"};
    TestDatabase::forbidNull(table, texts);
    WriteLog log;
    // saving what was loaded writes nothing and finds no duplicate.
    QVERIFY(!host.editor->HasErrors());
    QVERIFY(host.editor->SaveRecords());
    QVERIFY(log.writes.isEmpty());

    // Given a host that names no user any more, a new ward, the child copied to the wards,
    host.editor->UserID.clear();
    addAssociate(host, QStringLiteral("Wards"), QStringLiteral("P"), 6);
    host.select(host.row(QStringLiteral("DOE, BABY")));
    UserInput::press(Qt::Key_C, Qt::ControlModifier);
    host.select(host.row(QStringLiteral("Wards")));
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    // and a new parent, then every parent deleted from the folder's menu,
    addAssociate(host, QStringLiteral("Parents"), QStringLiteral("P"), 8);
    const int rows = host.grid()->Rows();
    host.editor->PreparePopupMenu(host.row(QStringLiteral("Parents")));
    host.editor->popupMenu()->findChild<QAction *>(QStringLiteral("mnuPopDelete"))->trigger();
    // the new parent is gone at once, the stored ones are hidden until the save;
    QCOMPARE(host.grid()->Rows(), rows - 1);
    QCOMPARE(namesIn(*host.editor, QStringLiteral("Parents")), QStringList());

    // when saved, the table takes it all, the deleted rows first, by the keys they were read with,
    bool saved = false;
    QVERIFY_THROWS_NO_EXCEPTION(saved = host.editor->SaveRecords());
    QVERIFY(saved);
    QCOMPARE(log.writes, QStringList({"delete P99-3-C12", "delete P5-3-C12", "insert C12-5-P6", "insert C12-5-C7"}));
    QCOMPARE(stored(), QStringList({"C12-21-P6", "C12-3-C7", "C12-5-C7", "C12-5-P6", "P8-21-C12"}));
    // with the missing user as empty text;
    QCOMPARE(TestDatabase::rowsWithNull(table, texts), 0);
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

QTEST_MAIN(AssociationSaveTest)
#include "tst_associationsave.moc"
