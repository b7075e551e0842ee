#include "associationfixture.h"
#include "associationhost.h"
#include "base/clock.h"
#include "controlrows.h"
#include "fixtures.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "data/connection.h"
#include "data/database.h"
#include "parties_editor/associationrows.h"
#include "testdatabase.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
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

    void menuByLevelModeAndRight_data();
    void menuByLevelModeAndRight();
    void newAssociateFromTheNameSearch_data();
    void newAssociateFromTheNameSearch();
    void viewAssociates_data();
    void viewAssociates();
    void keysOnStoredAssociates_data() { TestDatabase::addEngineRows(); }
    void keysOnStoredAssociates();
    void nameSearchList_data();
    void nameSearchList();
};

void AssociationEditingTest::menuByLevelModeAndRight_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("gesture");  // "Shift+F10" or "menu key" on the row, or the right button on its name or tree cell
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("newItem");     // caption, or "" when disabled
    QTest::addColumn<QString>("deleteItem");  // caption, or "" when disabled

    forEachEngine([](auto row) {
        row("caption row") << "right button" << "*EDIT" << "JSMITH" << "caption" << false << "" << "";
        row("the client itself") << "Shift+F10" << "*EDIT" << "JSMITH" << "header" << false << "" << "";
        row("folder") << "Shift+F10" << "*EDIT" << "JSMITH" << "Parents" << true << "&New Parent" << "&Delete All Parents";
        row("folder, may not delete") << "menu key" << "*EDIT" << "OFFICER" << "Parents" << true << "&New Parent" << "";
        row("empty folder") << "right button on the tree" << "*EDIT" << "JSMITH" << "Wards" << true << "&New Ward" << "";
        row("folder, viewing") << "Shift+F10" << "*VIEW" << "JSMITH" << "Parents" << false << "" << "";
        // An associate's menu offers View in every mode.
        row("associate") << "right button" << "*EDIT" << "JSMITH" << "DOE, BABY" << true << "" << "&Delete";
        row("associate, may not delete") << "menu key" << "*EDIT" << "OFFICER" << "DOE, BABY" << true << "" << "";
        row("associate, viewing") << "Shift+F10" << "*VIEW" << "JSMITH" << "DOE, BABY" << true << "" << "";
    });
}

void AssociationEditingTest::menuByLevelModeAndRight()
{
    QFETCH(QString, gesture);
    QFETCH(QString, mode);
    QFETCH(QString, user);
    QFETCH(QString, row);
    QFETCH(bool, opens);
    QFETCH(QString, newItem);
    QFETCH(QString, deleteItem);
    const bool view = row.contains(QLatin1Char(','));  // an associate
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host(user, mode);
    const int at = host.row(row);
    const int name = host.grid()->ColumnIndex(QStringLiteral("ASCNAM"));
    QMenu *menu = host.editor->popupMenu();
    const bool byMouse = gesture.startsWith(QLatin1String("right button"));
    // (the mouse's menu is the row's under it, wherever the current cell is)
    host.select(byMouse ? host.row(QStringLiteral("Parents")) : at);

    if (gesture == QLatin1String("Shift+F10")) {
        UserInput::press(Qt::Key_F10, Qt::ShiftModifier);
    } else if (gesture == QLatin1String("menu key")) {
        // The platform sends the menu key's request to the focus widget.
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), host.grid()->view()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(host.grid()->view(), &event);
    } else {
        auto [surface, point] = cellSpot(*host.grid(), at, gesture.endsWith(QLatin1String("tree")) ? 0 : name);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, surface->mapToGlobal(point));
        QCoreApplication::sendEvent(surface, &event);
    }

    // The menu opens where one applies, with the items for the row, the mode and the user's right;
    QTRY_COMPARE(menu->isVisible(), opens);
    const QAction *add = item(*host.editor, "mnuPopNew");
    const QAction *remove = item(*host.editor, "mnuPopDelete");
    QCOMPARE(add->isEnabled() ? add->text() : QString(), newItem);
    QCOMPARE(remove->isEnabled() ? remove->text() : QString(), deleteItem);
    QCOMPARE(item(*host.editor, "mnuPopViewParty")->isEnabled(), view);
    if (row == QLatin1String("Wards"))  // shown, but greyed: nothing to delete
        QCOMPARE(remove->text(), QStringLiteral("&Delete All Wards"));
    // the keyboard's opens just under the current cell.
    if (opens && !byMouse) {
        const QRect cell = host.grid()->CellRect(at, name);
        QCOMPARE(menu->pos(), host.grid()->mapToGlobal(QPoint(cell.left(), cell.bottom() + 1)));
    }
    menu->close();
}

void AssociationEditingTest::newAssociateFromTheNameSearch_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("keys");  // what the user types, "{click}" clicks the first name listed; "~" first: no pause
    QTest::addColumn<int>("addAnswer");  // the host's key for AddParty; -1: adding is off, 0: the host declines
    QTest::addColumn<QString>("stored");  // the row's keys, joined as "C12-5-P6"
    QTest::addColumn<QString>("name");  // in the row's name cell afterwards
    QTest::addColumn<QString>("born");  // in its birth date cell
    const char *none = "--";  // the keys of a row without an associate
    forEachEngine([&](auto row) {
        // Client 12's new ward, parent, child or sibling, typed in lower case.
        row("pick a party, empty inverse folder") << "Wards" << "doe, s{Return}" << -1 << "C12-5-P6" << "DOE, SIS" << "19820101";
        row("pick a client, direct folder") << "Parents" << "doe, ba{Return}" << -1 << "C7-3-C12" << "DOE, BABY" << "20100505";
        row("the second listed, inverse folder") << "Children" << "doe, b{Down}{Return}" << -1 << "C12-3-P8" << "DOE, BRO"
                                                 << "19840101";
        row("by the mouse, symmetric folder") << "Siblings" << "doe, ba{click}" << -1 << "C12-21-C7" << "DOE, BABY" << "20100505";
        row("enter before the search ran") << "Wards" << "~doe, s{Return}" << -1 << "C12-5-P6" << "DOE, SIS" << "19820101";
        row("escape") << "Wards" << "doe{Escape}" << -1 << none << "" << "";
        row("enter on nothing") << "Wards" << "nobody{Return}" << -1 << none << "" << "";
        // (the name search takes 30 characters)
        row("add declined") << "Wards" << "new, person with a very long name{Return}" << 0 << none << "" << "";
        row("add taken") << "Wards" << "new, person{Return}" << 512 << "C12-5-P512" << "NEW, PERSON" << "";
        row("add over a list") << "Wards" << "doe{Down}{Ctrl+Return}" << 512 << "C12-5-P512" << "DOE" << "";
    });
}

void AssociationEditingTest::newAssociateFromTheNameSearch()
{
    QFETCH(QString, folder);
    QFETCH(QString, keys);
    const bool pause = !keys.startsWith(QLatin1Char('~'));
    keys.remove(0, pause ? 0 : 1);
    QFETCH(int, addAnswer);
    const bool stillOpen = addAnswer == 0;  // a declined name stays in the entry
    QFETCH(QString, stored);
    const bool picked = stored != QLatin1String("--");
    QFETCH(QString, name);
    QFETCH(QString, born);
    TORVA_USE_ENGINE_ROW();
    // Given client 12 loaded, then handed to another user by the host,
    ClientTwelveHost host;
    host.editor->UserID = QStringLiteral("KJONES");
    ComboBox *search = host.editor->nameSearch();
    search->setAllowAddRecord(addAnswer >= 0);
    QString asked;
    connect(host.editor, &PartiesEditor::AddParty, this, [&](QVariant &id, const QString &partyName) {
        asked = partyName;
        if (addAnswer > 0)  // as a host adds the party
            Fixtures::addParty(addAnswer, partyName);
        id = addAnswer;
    });
    QSignalSpy changes(host.editor, &PartiesEditor::Change);
    QStringList expected = AssociationFixture::stored();

    // and a new row from the folder's menu, right below its associates, with the name search open on it and no change yet,
    const int row = host.newAssociate(folder);
    QCOMPARE(row, host.row(folder) + namesIn(*host.editor, folder).size());
    QVERIFY(search->Visible());
    QCOMPARE(changes.count(), 0);
    // over the row's name cell, as its editor, with the keyboard,
    const QRect nameCell = host.grid()->CellRect(row, host.grid()->ColumnIndex(QStringLiteral("ASCNAM")));
    QCOMPARE(search->geometry().topLeft(), host.grid()->mapTo(host.editor, nameCell.topLeft()));
    QCOMPARE(search->width(), nameCell.width());
    QCOMPARE(UserInput::focusWidget(), search->editor());

    // when the user types, pauses while the search runs, and finishes the entry,
    const QString typed = keys.left(keys.indexOf(QLatin1Char('{')));
    UserInput::type(typed);
    if (pause)
        QTRY_VERIFY(search->listModel().isLoaded());
    const bool click = keys.endsWith(QLatin1String("{click}"));
    UserInput::keys(keys.mid(typed.size(), click ? 0 : -1));
    if (click) {
        QTableView *list = search->listView();
        QTRY_VERIFY(list->isVisible());
        UserInput::click(list->viewport(), list->visualRect(list->model()->index(0, 2)).center());
    }

    // then the row has the keys of whom the user chose (nobody: none, and no change),
    QCOMPARE(search->Visible(), stillOpen);
    QCOMPARE(association(AssociationFixture::keys(*host.editor, row)), stored);
    QCOMPARE(cell(*host.editor, row, "ASCNAM"), name);
    QCOMPARE(cell(*host.editor, row, "ASCBDT"), born);
    QCOMPARE(changes.count(), picked ? 1 : 0);
    QCOMPARE(asked, addAnswer >= 0 ? typed.toUpper().left(30) : QString());
    // an entry that ended gives the keyboard back to the grid, on the row;
    QCOMPARE(UserInput::focusWidget(), stillOpen ? search->editor() : static_cast<QWidget *>(host.grid()->view()));
    QCOMPARE(host.grid()->Row(), row);
    if (!picked) {
        QVERIFY(host.editor->SaveRecords());
        QCOMPARE(AssociationFixture::stored(), expected);
        return;
    }
    QCOMPARE(cell(*host.editor, row, "ASCUSR"), QStringLiteral("KJONES"));
    // (the associate is the side that is not client 12: "P6" of "C12-5-P6")
    const QString associate = stored.section(QLatin1Char('-'), stored.startsWith(QLatin1String("C12-")) ? 2 : 0);
    const QString kind = associate.startsWith(QLatin1Char('C')) ? QStringLiteral("Client") : QStringLiteral("Party");
    QCOMPARE(cell(*host.editor, row, "RLTDSC"), kind);

    // and a save stores just that, by the user of the moment, with the day of the change as a seven-digit number,
    QVERIFY(host.editor->SaveRecords());
    expected << stored;
    expected.sort();
    QCOMPARE(AssociationFixture::stored(), expected);
    const QString changedOn = QStringLiteral("Select ASCUDT From DUVPRB.PRBCLTASC Where ASCUSR=?");
    QCOMPARE(TestDatabase::value(changedOn, {QStringLiteral("KJONES")}).toInt(), 1052026);
    // where a reload shows it, in the same folder.
    host.load();
    QVERIFY(namesIn(*host.editor, folder).contains(name));
}

void AssociationEditingTest::viewAssociates_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");  // -1: no view asked for
    forEachEngine([](auto row) {
        row("client on side 1") << "DOE, BABY" << "menu" << "*EDIT" << "C" << 7;
        row("party on side 2") << "DOE, JOHN" << "menu" << "*EDIT" << "P" << 5;
        row("Enter") << "DOE, BRO" << "Enter" << "*EDIT" << "P" << 8;
        row("Enter, viewing") << "DOE, BRO" << "Enter" << "*VIEW" << "P" << 8;
        row("double click, viewing") << "DOE, SIS" << "double click" << "*VIEW" << "P" << 6;
        row("row without a subject") << "" << "menu" << "*EDIT" << "" << 0;
        // Enter on a new row's name opens the name search: nothing to view;
        row("Enter on a new row's name") << "" << "Enter" << "*EDIT" << "" << -1;
        // and a double click on a folder's name or on the client itself opens nothing.
        row("double click on a folder") << "Parents" << "double click" << "*EDIT" << "" << -1;
        row("double click on a folder, viewing") << "Parents" << "double click" << "*VIEW" << "" << -1;
        row("double click on the client itself") << "header" << "double click" << "*EDIT" << "" << -1;
        row("double click on the client itself, viewing") << "header" << "double click" << "*VIEW" << "" << -1;
    });
}

void AssociationEditingTest::viewAssociates()
{
    QFETCH(QString, name);
    QFETCH(QString, gesture);
    QFETCH(QString, mode);
    QFETCH(QString, kind);
    QFETCH(int, key);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host(QStringLiteral("JSMITH"), mode);
    const int row = name.isEmpty() ? host.editor->rows().AddAssociateRow(host.row(QStringLiteral("Wards")), false)
                                   : host.row(name);
    QSignalSpy views(host.editor, &PartiesEditor::ViewParty);

    if (gesture == QLatin1String("Enter")) {
        host.select(row);
        UserInput::press(Qt::Key_Return);
    } else if (gesture == QLatin1String("double click")) {
        auto [surface, point] = host.spot(row);
        UserInput::doubleClick(surface, point);
    } else {
        host.editor->PreparePopupMenu(row);
        item(*host.editor, "mnuPopViewParty")->trigger();
    }

    QCOMPARE(host.editor->nameSearch()->IsEditing(), name.isEmpty() && key < 0);
    QCOMPARE(views.count(), key < 0 ? 0 : 1);
    if (key >= 0)
        QCOMPARE(views.first(), (QVariantList{kind, key}));
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
    host.select(host.row(QStringLiteral("Wards")));
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(namesIn(*host.editor, QStringLiteral("Wards")), QStringList{"DOE, BABY"});
    QCOMPARE(namesIn(*host.editor, QStringLiteral("Children")), QStringList());
    // and once moved it is pasted nowhere else.
    const QStringList afterMove = outline(*host.editor);
    host.select(host.row(QStringLiteral("Parents")));
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(outline(*host.editor), afterMove);
    // Saved, client 7 is client 12's ward.
    QVERIFY(host.editor->SaveRecords());
    QCOMPARE(stored(), QStringList({"C12-21-P6", "C12-5-C7", "P5-3-C12", "P8-21-C12", "P99-3-C12"}));
}

void AssociationEditingTest::nameSearchList_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("clients");  // whose long names the search finds
    forEachEngine([](auto row) {
        row("one row") << 1;
        row("a few rows") << 5;
        row("pages of rows") << 130;
    });
}

void AssociationEditingTest::nameSearchList()
{
    QFETCH(int, clients);
    TORVA_USE_ENGINE_ROW();
    for (int key = 1; key <= clients; ++key)
        Fixtures::addClient(100000 + key, QStringLiteral("WASHINGTON-BARRINGTON, MAX %1").arg(key, 3, 10, QLatin1Char('0')));
    ClientTwelveHost host;
    ComboBox *search = host.editor->nameSearch();
    int errors = 0;
    connect(host.editor, &PartiesEditor::Error, this, [&errors](TableObject *&) { ++errors; });
    host.newAssociate(QStringLiteral("Wards"));
    const int page = search->listModel().pageSize();

    // A one-letter search lists one page, not every match,
    UserInput::keys(QStringLiteral("w{Down}{Up}"));
    QTableView *list = search->listView();
    QTRY_VERIFY(list->isVisible());
    QCOMPARE(search->ListCount(), qMin(clients, page));
    QCOMPARE(search->ListIndex(), 0);
    QCOMPARE(search->Columns(QStringLiteral("PTYNAM")).toString(), QStringLiteral("WASHINGTON-BARRINGTON, MAX 001"));

    // under a narrow cell, every column shows its widest text whole, the birth
    // date too, and no horizontal scroll bar takes the room of a row;
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    int columns = 0;
    QStyleOptionViewItem option;
    option.initFrom(list);
    for (int col = 0; col < list->model()->columnCount(); ++col) {
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex cell = list->model()->index(row, col);
            QVERIFY2(list->columnWidth(col) >= list->itemDelegateForIndex(cell)->sizeHint(option, cell).width(),
                     qPrintable(cell.data().toString()));
        }
        columns += list->columnWidth(col);
    }
    QVERIFY(list->viewport()->width() >= columns);
    const int rowsShown = qMin(clients, 8);
    QVERIFY(list->viewport()->height() >= rowsShown * list->rowHeight(0));
    QVERIFY2(list->viewport()->height() < (rowsShown + 1) * list->rowHeight(0), "no blank row under the last");
    QVERIFY(list->screen()->availableGeometry().contains(list->window()->frameGeometry()));

    // and moving down past the page's end reads the next.
    search->setListIndex(qMin(clients, page) - 1);
    UserInput::press(Qt::Key_Down);
    QCOMPARE(search->ListCount(), qMin(clients, 2 * page));
    QCOMPARE(search->ListIndex(), qMin(clients - 1, page));
    QCOMPARE(search->Columns(QStringLiteral("PTYKEY")).toInt(), 100000 + qMin(clients, page + 1));

    // When the table goes while the user types, the host hears of it once the typing pauses,
    Database::connection().run(QStringLiteral("Drop Table DUVPRB.PRBCLT"));
    UserInput::type(QStringLiteral("a"));
    QTRY_COMPARE(errors, 1);

    // and the entry goes on with an empty list.
    QCOMPARE(search->ListCount(), 0);
    QVERIFY(search->IsEditing());
}

QTEST_MAIN(AssociationEditingTest)
#include "tst_associationediting.moc"
