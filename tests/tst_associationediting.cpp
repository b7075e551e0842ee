#include "associationfixture.h"
#include "associationhost.h"
#include "base/clock.h"
#include "controlrows.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "parties_editor/associationrows.h"
#include "testdatabase.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace Torva;

using namespace AssociationFixture;

namespace {
QAction *item(const PartiesEditor &editor, const char *name)
{
    return editor.popupMenu()->findChild<QAction *>(QLatin1String(name));
}
} // namespace

class AssociationEditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0))); }
    void cleanup() { Clock::unpin(); }
    void engines_data() { TestDatabase::addEngineRows(); }

    void menuByLevelModeAndRight_data();
    void menuByLevelModeAndRight();
    void menuOpensUnderTheCellForTheKeyboard();
    void newAssociateFromTheNameSearch_data();
    void newAssociateFromTheNameSearch();
    void viewAssociates_data();
    void viewAssociates();
    void keysOnStoredAssociates_data() { engines_data(); }
    void keysOnStoredAssociates();
    void nameLinkReachesTheHost_data() { engines_data(); }
    void nameLinkReachesTheHost();
    void changeCarriesTheUserOfTheMoment_data();
    void changeCarriesTheUserOfTheMoment();
};

void AssociationEditingTest::menuByLevelModeAndRight_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("applies");
    QTest::addColumn<QString>("newItem");     // caption, or "" when disabled
    QTest::addColumn<QString>("deleteItem");  // caption, or "" when disabled
    QTest::addColumn<bool>("view");

    forEachEngine([](auto row) {
        row("caption row") << "*EDIT" << "JSMITH" << "caption" << false << "" << "" << false;
        row("the client itself") << "*EDIT" << "JSMITH" << "header" << false << "" << "" << false;
        row("folder") << "*EDIT" << "JSMITH" << "Parents" << true << "&New Parent" << "&Delete All Parents" << false;
        row("folder, may not delete") << "*EDIT" << "OFFICER" << "Parents" << true << "&New Parent" << "" << false;
        row("empty folder") << "*EDIT" << "JSMITH" << "Wards" << true << "&New Ward" << "" << false;
        row("folder, viewing") << "*VIEW" << "JSMITH" << "Parents" << false << "" << "" << false;
        row("associate") << "*EDIT" << "JSMITH" << "DOE, BABY" << true << "" << "&Delete" << true;
        row("associate, may not delete") << "*EDIT" << "OFFICER" << "DOE, BABY" << true << "" << "" << true;
        row("associate, viewing") << "*VIEW" << "JSMITH" << "DOE, BABY" << true << "" << "" << true;
    });
}

void AssociationEditingTest::menuByLevelModeAndRight()
{
    QFETCH(QString, mode);
    QFETCH(QString, user);
    QFETCH(QString, row);
    QFETCH(bool, applies);
    QFETCH(QString, newItem);
    QFETCH(QString, deleteItem);
    QFETCH(bool, view);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host(user, mode);

    QCOMPARE(host.editor->PreparePopupMenu(host.row(row)), applies);

    const QAction *add = item(*host.editor, "mnuPopNew");
    const QAction *remove = item(*host.editor, "mnuPopDelete");
    QCOMPARE(add->isEnabled() ? add->text() : QString(), newItem);
    QCOMPARE(remove->isEnabled() ? remove->text() : QString(), deleteItem);
    QCOMPARE(item(*host.editor, "mnuPopViewParty")->isEnabled(), view);
    if (row == QLatin1String("Wards"))  // shown, but greyed: nothing to delete
        QCOMPARE(remove->text(), QStringLiteral("&Delete All Wards"));
}

void AssociationEditingTest::menuOpensUnderTheCellForTheKeyboard()
{
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    ClientTwelveHost host;
    const int row = host.row(QStringLiteral("Parents"));
    host.select(row);

    UserInput::press(Qt::Key_F10, Qt::ShiftModifier);

    QTRY_VERIFY(host.editor->popupMenu()->isVisible());
    const QRect cell = host.grid()->CellRect(row, host.grid()->ColumnIndex(QStringLiteral("ASCNAM")));
    QCOMPARE(host.editor->popupMenu()->pos(), host.grid()->mapToGlobal(QPoint(cell.left(), cell.bottom() + 1)));
    host.editor->popupMenu()->close();
}

void AssociationEditingTest::newAssociateFromTheNameSearch_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("addAnswer");  // the host's key for AddParty; -1: adding is off
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("name");  // in the row's name cell afterwards
    QTest::addColumn<QString>("born");  // in its birth date cell
    QTest::addColumn<bool>("stillOpen");
    const int ctrl = Qt::ControlModifier;
    const QStringList none{"", "", "", "", ""};
    forEachEngine([&](auto row) {
        // Client 12 is guardian of the one match, party 6.
        row("pick") << "DOE, S" << int(Qt::Key_Return) << 0 << -1 << QStringList{"C", "12", "5", "P", "6"} << "DOE, SIS"
                    << "19820101" << false;
        row("escape") << "DOE" << int(Qt::Key_Escape) << 0 << -1 << none << "" << "" << false;
        row("enter on nothing") << "NOBODY" << int(Qt::Key_Return) << 0 << -1 << none << "" << "" << false;
        row("add declined") << "NEW, PERSON" << int(Qt::Key_Return) << ctrl << 0 << none << "" << "" << true;
        row("add taken") << "NEW, PERSON" << int(Qt::Key_Return) << ctrl << 512 << QStringList{"C", "12", "5", "P", "512"}
                         << "NEW, PERSON" << "" << false;
    });
}

void AssociationEditingTest::newAssociateFromTheNameSearch()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, addAnswer);
    QFETCH(QStringList, keys);
    QFETCH(QString, name);
    QFETCH(QString, born);
    QFETCH(bool, stillOpen);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    ComboBox *search = host.editor->nameSearch();
    search->setAllowAddRecord(addAnswer >= 0);
    QString asked;
    connect(host.editor, &PartiesEditor::AddParty, this, [&](QVariant &id, const QString &partyName) {
        asked = partyName;
        id = addAnswer;
    });
    QSignalSpy changes(host.editor, &PartiesEditor::Change);
    QStringList expected = stored();

    // Given a new row from the menu, with the name search open on it and no change yet,
    const int folder = host.row(QStringLiteral("Wards"));
    host.editor->PreparePopupMenu(folder);
    item(*host.editor, "mnuPopNew")->trigger();
    const int row = host.grid()->NodeRow(folder, 3);
    QVERIFY(search->Visible());
    QCOMPARE(changes.count(), 0);

    // when the user types and finishes the entry,
    UserInput::type(typed);
    search->Search();
    UserInput::press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    // then the row has the keys of whom the user chose (nobody: none, and no change),
    QCOMPARE(search->Visible(), stillOpen);
    QCOMPARE(AssociationFixture::keys(*host.editor, row), keys);
    QCOMPARE(cell(*host.editor, row, "ASCNAM"), name);
    QCOMPARE(cell(*host.editor, row, "ASCBDT"), born);
    QCOMPARE(changes.count(), keys.first().isEmpty() ? 0 : 1);
    QCOMPARE(asked, addAnswer >= 0 ? typed : QString());

    // and a save stores just that, with the day of the change as a seven-digit number.
    QVERIFY(host.editor->SaveRecords());
    if (!keys.first().isEmpty()) {
        expected << keys.mid(0, 2).join(QString()) + '-' + keys.at(2) + '-' + keys.mid(3).join(QString());
        expected.sort();
        QCOMPARE(TestDatabase::value(QStringLiteral("Select ASCUDT From DUVPRB.PRBCLTASC Where ASCKEY2=? And ASCRLTCOD=5"),
                                     {keys.at(4).toInt()})
                     .toInt(),
                 1052026);
    }
    QCOMPARE(stored(), expected);
}

void AssociationEditingTest::viewAssociates_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    forEachEngine([](auto row) {
        row("client on side 1") << "DOE, BABY" << false << "C" << 7;
        row("client on side 2") << "DOE, JOHN" << false << "P" << 5;
        row("Enter") << "DOE, BRO" << true << "P" << 8;
        row("row without a subject") << "" << false << "" << 0;
    });
}

void AssociationEditingTest::viewAssociates()
{
    QFETCH(QString, name);
    QFETCH(bool, byEnter);
    QFETCH(QString, kind);
    QFETCH(int, key);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    const int row = name.isEmpty() ? host.editor->rows().AddAssociateRow(host.row(QStringLiteral("Wards")), false)
                                   : host.row(name);
    QSignalSpy views(host.editor, &PartiesEditor::ViewParty);

    if (byEnter) {
        host.select(row);
        UserInput::press(Qt::Key_Return);
    } else {
        host.editor->PreparePopupMenu(row);
        item(*host.editor, "mnuPopViewParty")->trigger();
    }

    QCOMPARE(views.count(), 1);
    QCOMPARE(views.first().at(0).toString(), kind);
    QCOMPARE(views.first().at(1).toInt(), key);

    // A double click on a folder or on the client itself opens nothing.
    for (const int other : {host.row(QStringLiteral("Parents")), host.grid()->FixedRows()}) {
        host.select(other);
        Q_EMIT host.grid()->RowDoubleClick();
    }
    QCOMPARE(views.count(), 1);
}

void AssociationEditingTest::keysOnStoredAssociates()
{
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    const int baby = host.row(QStringLiteral("DOE, BABY"));

    // A stored association is not re-pointed by typing over its name: it is
    // deleted and another added instead.
    QVERIFY(!host.grid()->BeginCellEdit(baby, host.grid()->ColumnIndex(QStringLiteral("ASCNAM"))));
    QVERIFY(!host.editor->nameSearch()->Visible());
    QVERIFY(!host.grid()->BeginCellEdit(baby, host.grid()->ColumnIndex(QStringLiteral("ASCUSR"))));
    QVERIFY(!host.grid()->IsEditing());

    // Ctrl+X on it and Ctrl+V on another folder moves it there, though a
    // row came above it in between (the row at its old place is not taken),
    host.select(baby);
    UserInput::press(Qt::Key_X, Qt::ControlModifier);
    host.editor->rows().AddAssociateRow(host.row(QStringLiteral("Parents")), false);
    const QStringList before = outline(*host.editor);
    host.select(host.row(QStringLiteral("Wards")));
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(outline(*host.editor).filter(QStringLiteral("DOE, BABY")), QStringList{"2:Client:DOE, BABY"});
    const int moved = host.row(QStringLiteral("DOE, BABY"));
    QVERIFY(host.grid()->NodeRow(moved, 1) == host.row(QStringLiteral("Wards")) || host.grid()->RowHidden(moved));
    QCOMPARE(outline(*host.editor).size(), before.size());
    // and once moved it is pasted nowhere else.
    const QStringList afterMove = outline(*host.editor);
    host.select(host.row(QStringLiteral("Parents")));
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(outline(*host.editor), afterMove);

    // and Delete deletes where the user may.
    host.select(host.row(QStringLiteral("DOE, SIS")));
    UserInput::press(Qt::Key_Delete);
    QVERIFY(!outline(*host.editor).join(QLatin1Char(',')).contains(QLatin1String("DOE, SIS")));
    QVERIFY(host.editor->SaveRecords());
    // Client 7 is now client 12's ward, and the sister is gone.
    QCOMPARE(stored(), QStringList({"C12-5-C7", "P5-3-C12", "P8-21-C12", "P99-3-C12"}));
}

void AssociationEditingTest::nameLinkReachesTheHost()
{
    TORVA_USE_ENGINE_ROW();
    seedClientTwelve();
    AssociationHost host;
    host.editor->SetHyperlinkNames(true);
    host.load(QStringLiteral("JSMITH"), QStringLiteral("*VIEW"));
    QSignalSpy links(host.editor, &PartiesEditor::HyperlinkClickName);

    auto [surface, point] = host.spot(host.row(QStringLiteral("DOE, BABY")));
    UserInput::click(surface, point);

    QCOMPARE(links.count(), 1);
    QCOMPARE(links.first().at(0).toString(), QStringLiteral("DOE, BABY"));
    QCOMPARE(links.first().at(1).toInt(), 20100505);
}

void AssociationEditingTest::changeCarriesTheUserOfTheMoment_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("moved");  // else chosen, as the name search chooses
    QTest::addColumn<int>("key");     // the new ward's
    forEachEngine([](auto row) {
        row("chosen") << false << 6;
        row("moved by the keyboard") << true << 7;
    });
}

void AssociationEditingTest::changeCarriesTheUserOfTheMoment()
{
    QFETCH(bool, moved);
    QFETCH(int, key);
    TORVA_USE_ENGINE_ROW();
    // Given an editor loaded for one user, then handed to another by its host,
    ClientTwelveHost host(QStringLiteral("JSMITH"));
    host.editor->UserID = QStringLiteral("KJONES");

    // when a ward is added,
    if (moved) {
        host.select(host.row(QStringLiteral("DOE, BABY")));
        UserInput::press(Qt::Key_X, Qt::ControlModifier);
        host.select(host.row(QStringLiteral("Wards")));
        UserInput::press(Qt::Key_V, Qt::ControlModifier);
    } else {
        const int row = host.editor->rows().AddAssociateRow(host.row(QStringLiteral("Wards")), false);
        host.editor->rows().AssignAssociate(row, QStringLiteral("P"), key);
    }

    // then its row shows the user of the moment, and the save stores that user.
    const int ward = host.grid()->NodeRow(host.row(QStringLiteral("Wards")), 3);
    QCOMPARE(AssociationFixture::keys(*host.editor, ward).at(4), QString::number(key));
    QCOMPARE(cell(*host.editor, ward, "ASCUSR"), QStringLiteral("KJONES"));
    QVERIFY(host.editor->SaveRecords());
    QCOMPARE(TestDatabase::value(QStringLiteral("Select ASCUSR From DUVPRB.PRBCLTASC Where ASCRLTCOD=5 And ASCKEY2=?"),
                                 {key})
                 .toString(),
             QStringLiteral("KJONES"));
}

QTEST_MAIN(AssociationEditingTest)
#include "tst_associationediting.moc"
