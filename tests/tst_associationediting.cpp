#include "associationfixture.h"
#include "associationhost.h"
#include "common/clock.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "parties_editor/associationrows.h"
#include "testdatabase.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace AssociationFixture;

namespace {
QAction *item(const PartiesEditor &editor, const char *name)
{
    return editor.popupMenu()->findChild<QAction *>(QLatin1String(name));
}

// Starts a new associate under a folder the way the menu does, and types into the name search.
int startNew(AssociationHost &host, const QString &folder, const QString &typed)
{
    const int folderRow = rowOf(*host.editor, 1, folder);
    host.editor->PreparePopupMenu(folderRow);
    item(*host.editor, "mnuPopNew")->trigger();
    const int row = host.grid()->NodeRow(folderRow, 3);
    QTest::keyClicks(host.editor->nameSearch()->editor(), typed);
    host.editor->nameSearch()->Search();
    return row;
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
    void newSearchPick_data() { engines_data(); }
    void newSearchPick();
    void entryThatChoseNobodyAssignsNothing_data();
    void entryThatChoseNobodyAssignsNothing();
    void addPartyAnswer_data();
    void addPartyAnswer();
    void viewAssociates_data();
    void viewAssociates();
    void keyboardDoesWhatTheMouseDoes_data() { engines_data(); }
    void keyboardDoesWhatTheMouseDoes();
    void nameLinkReachesTheHost_data() { engines_data(); }
    void nameLinkReachesTheHost();
    void storedNamesAreNotEdited_data() { engines_data(); }
    void storedNamesAreNotEdited();
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

    for (const QString &engine : TestDatabase::engines()) {
        auto row = [&engine](const char *name) { return &(QTest::addRow("%s/%s", qPrintable(engine), name) << engine); };
        *row("caption row") << "*EDIT" << "JSMITH" << "caption" << false << "" << "" << false;
        *row("the client itself") << "*EDIT" << "JSMITH" << "header" << false << "" << "" << false;
        *row("folder") << "*EDIT" << "JSMITH" << "Parents" << true << "&New Parent" << "&Delete All Parents" << false;
        *row("folder, may not delete") << "*EDIT" << "OFFICER" << "Parents" << true << "&New Parent" << "" << false;
        *row("empty folder") << "*EDIT" << "JSMITH" << "Wards" << true << "&New Ward" << "" << false;
        *row("folder, viewing") << "*VIEW" << "JSMITH" << "Parents" << false << "" << "" << false;
        *row("associate") << "*EDIT" << "JSMITH" << "DOE, BABY" << true << "" << "&Delete" << true;
        *row("associate, may not delete") << "*EDIT" << "OFFICER" << "DOE, BABY" << true << "" << "" << true;
        *row("associate, viewing") << "*VIEW" << "JSMITH" << "DOE, BABY" << true << "" << "" << true;
    }
}

void AssociationEditingTest::menuByLevelModeAndRight()
{
    QFETCH(QString, engine);
    QFETCH(QString, mode);
    QFETCH(QString, user);
    QFETCH(QString, row);
    QFETCH(bool, applies);
    QFETCH(QString, newItem);
    QFETCH(QString, deleteItem);
    QFETCH(bool, view);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load(user, mode);
    const int at = row == QLatin1String("caption") ? 0
                   : row == QLatin1String("header")  ? host.grid()->FixedRows()
                   : row.contains(QLatin1Char(','))  ? rowOf(*host.editor, 2, row, "ASCNAM")
                                                     : rowOf(*host.editor, 1, row);

    QCOMPARE(host.editor->PreparePopupMenu(at), applies);

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
    seedClientTwelve();
    AssociationHost host;
    host.load();
    const int row = rowOf(*host.editor, 1, QStringLiteral("Parents"));
    host.select(row);

    QTest::keyClick(host.grid()->view(), Qt::Key_F10, Qt::ShiftModifier);

    QTRY_VERIFY(host.editor->popupMenu()->isVisible());
    const QRect cell = host.grid()->CellRect(row, host.grid()->ColumnIndex(QStringLiteral("ASCNAM")));
    QCOMPARE(host.editor->popupMenu()->pos(), host.grid()->mapToGlobal(QPoint(cell.left(), cell.bottom() + 1)));
    host.editor->popupMenu()->close();
}

void AssociationEditingTest::newSearchPick()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load();
    QSignalSpy changes(host.editor, &PartiesEditor::Change);

    // The new row opens the name search on itself, with no change yet,
    const int row = startNew(host, QStringLiteral("Wards"), QStringLiteral("DOE, S"));
    QVERIFY(host.editor->nameSearch()->Visible());
    QCOMPARE(changes.count(), 0);

    // and picking DOE, SIS gives it its keys: client 12 is guardian of party 6.
    QCOMPARE(host.editor->nameSearch()->ListCount(), 1);
    QTest::keyClick(host.editor->nameSearch()->editor(), Qt::Key_Return);
    QCOMPARE(cell(*host.editor, row, "ASCNAM"), QStringLiteral("DOE, SIS"));
    QCOMPARE(keys(*host.editor, row), QStringList({"C", "12", "5", "P", "6"}));
    QCOMPARE(changes.count(), 1);

    // Saved, it is stored with the day of the change as a seven-digit number.
    QVERIFY(host.editor->SaveRecords());
    QVERIFY(stored().contains(QStringLiteral("C12-5-P6")));
    QCOMPARE(TestDatabase::value(QStringLiteral("Select ASCUDT From DUVPRB.PRBCLTASC Where ASCKEY2=6 And ASCRLTCOD=5")).toInt(),
             1052026);
}

void AssociationEditingTest::entryThatChoseNobodyAssignsNothing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("escape");
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/escape", qPrintable(engine)) << engine << true;
        QTest::addRow("%s/enter on nothing", qPrintable(engine)) << engine << false;
    }
}

void AssociationEditingTest::entryThatChoseNobodyAssignsNothing()
{
    QFETCH(QString, engine);
    QFETCH(bool, escape);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load();
    host.editor->nameSearch()->setAllowAddRecord(false);
    QSignalSpy changes(host.editor, &PartiesEditor::Change);
    const QStringList before = stored();

    const int row = startNew(host, QStringLiteral("Wards"), escape ? QStringLiteral("DOE") : QStringLiteral("NOBODY"));
    QTest::keyClick(host.editor->nameSearch()->editor(), escape ? Qt::Key_Escape : Qt::Key_Return);

    QVERIFY(!host.editor->nameSearch()->Visible());
    QCOMPARE(keys(*host.editor, row), QStringList({"", "", "", "", ""}));
    QCOMPARE(changes.count(), 0);
    // A row without a client or party never reaches the table.
    QVERIFY(host.editor->SaveRecords());
    QCOMPARE(stored(), before);
}

void AssociationEditingTest::addPartyAnswer_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("keys");
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/declined", qPrintable(engine)) << engine << 0 << QStringList{"", "", "", "", ""};
        QTest::addRow("%s/party 512", qPrintable(engine)) << engine << 512 << QStringList{"C", "12", "5", "P", "512"};
    }
}

void AssociationEditingTest::addPartyAnswer()
{
    QFETCH(QString, engine);
    QFETCH(int, answer);
    QFETCH(QStringList, keys);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load();
    QString asked;
    connect(host.editor, &PartiesEditor::AddParty, this, [&](QVariant &id, const QString &name) {
        asked = name;
        id = answer;
    });
    QSignalSpy changes(host.editor, &PartiesEditor::Change);

    const int row = startNew(host, QStringLiteral("Wards"), QStringLiteral("NEW, PERSON"));
    QTest::keyClick(host.editor->nameSearch()->editor(), Qt::Key_Return, Qt::ControlModifier);

    QCOMPARE(asked, QStringLiteral("NEW, PERSON"));
    QCOMPARE(AssociationFixture::keys(*host.editor, row), keys);
    QCOMPARE(changes.count(), answer > 0 ? 1 : 0);
}

void AssociationEditingTest::viewAssociates_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    for (const QString &engine : TestDatabase::engines()) {
        const QByteArray e = engine.toLatin1();
        QTest::addRow("%s/client on side 1", e.constData()) << engine << "DOE, BABY" << false << "C" << 7;
        QTest::addRow("%s/client on side 2", e.constData()) << engine << "DOE, JOHN" << false << "P" << 5;
        QTest::addRow("%s/double click", e.constData()) << engine << "DOE, BRO" << true << "P" << 8;
        QTest::addRow("%s/row without a subject", e.constData()) << engine << "" << false << "" << 0;
    }
}

void AssociationEditingTest::viewAssociates()
{
    QFETCH(QString, engine);
    QFETCH(QString, name);
    QFETCH(bool, doubleClick);
    QFETCH(QString, kind);
    QFETCH(int, key);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load();
    int row = rowOf(*host.editor, 2, name, "ASCNAM");
    if (name.isEmpty())
        row = host.editor->rows().AddAssociateRow(rowOf(*host.editor, 1, QStringLiteral("Wards")), false);
    QSignalSpy views(host.editor, &PartiesEditor::ViewParty);

    if (doubleClick) {
        host.select(row);
        Q_EMIT host.grid()->RowDoubleClick();
    } else {
        host.editor->PreparePopupMenu(row);
        item(*host.editor, "mnuPopViewParty")->trigger();
    }

    QCOMPARE(views.count(), 1);
    QCOMPARE(views.first().at(0).toString(), kind);
    QCOMPARE(views.first().at(1).toInt(), key);

    // A double click on a folder or on the client itself opens nothing.
    for (const int other : {rowOf(*host.editor, 1, QStringLiteral("Parents")), host.grid()->FixedRows()}) {
        host.select(other);
        Q_EMIT host.grid()->RowDoubleClick();
    }
    QCOMPARE(views.count(), 1);
}

void AssociationEditingTest::keyboardDoesWhatTheMouseDoes()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load();
    QSignalSpy views(host.editor, &PartiesEditor::ViewParty);

    // Enter on a stored associate opens it,
    host.select(rowOf(*host.editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM"));
    QTest::keyClick(host.grid()->view(), Qt::Key_Return);
    QCOMPARE(views.count(), 1);

    // Ctrl+X on it and Ctrl+V on another folder moves it there,
    QTest::keyClick(host.grid()->view(), Qt::Key_X, Qt::ControlModifier);
    host.select(rowOf(*host.editor, 1, QStringLiteral("Wards")));
    QTest::keyClick(host.grid()->view(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(outline(*host.editor).filter(QStringLiteral("DOE, BABY")), QStringList{"2:Client:DOE, BABY"});
    const int moved = rowOf(*host.editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM");
    QVERIFY(host.grid()->NodeRow(moved, 1) == rowOf(*host.editor, 1, QStringLiteral("Wards"))
            || host.grid()->RowHidden(moved));

    // and Delete deletes where the user may.
    host.select(rowOf(*host.editor, 2, QStringLiteral("DOE, SIS"), "ASCNAM"));
    QTest::keyClick(host.grid()->view(), Qt::Key_Delete);
    QVERIFY(!outline(*host.editor).join(QLatin1Char(',')).contains(QLatin1String("DOE, SIS")));
    QVERIFY(host.editor->SaveRecords());
    // Client 7 is now client 12's ward, and the sister is gone.
    QCOMPARE(stored(), QStringList({"C12-5-C7", "P5-3-C12", "P8-21-C12", "P99-3-C12"}));
}

void AssociationEditingTest::nameLinkReachesTheHost()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.editor->SetHyperlinkNames(true);
    host.load(QStringLiteral("JSMITH"), QStringLiteral("*VIEW"));
    QSignalSpy links(host.editor, &PartiesEditor::HyperlinkClickName);

    auto [surface, point] = host.spot(rowOf(*host.editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM"));
    QTest::mouseClick(surface, Qt::LeftButton, {}, point);

    QCOMPARE(links.count(), 1);
    QCOMPARE(links.first().at(0).toString(), QStringLiteral("DOE, BABY"));
    QCOMPARE(links.first().at(1).toInt(), 20100505);
}

void AssociationEditingTest::storedNamesAreNotEdited()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    AssociationHost host;
    host.load();
    const int row = rowOf(*host.editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM");

    // A stored association is not re-pointed by typing over its name: it is
    // deleted and another added instead.
    QVERIFY(!host.grid()->BeginCellEdit(row, host.grid()->ColumnIndex(QStringLiteral("ASCNAM"))));
    QVERIFY(!host.editor->nameSearch()->Visible());
    QVERIFY(!host.grid()->BeginCellEdit(row, host.grid()->ColumnIndex(QStringLiteral("ASCUSR"))));
    QVERIFY(!host.grid()->IsEditing());
}

QTEST_MAIN(AssociationEditingTest)
#include "tst_associationediting.moc"
