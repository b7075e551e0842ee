#include "associationfixture.h"
#include "associationhost.h"
#include "controlrows.h"
#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "controls/listpopup.h"
#include "data/database.h"
#include "parties_editor/partieseditor.h"
#include "party_editor/partyeditor.h"
#include "fixtures.h"
#include "mainwindow.h"
#include "partyform.h"
#include "partywindow.h"
#include "scriptedmessages.h"
#include "userinput.h"
#include "accelerators.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace Torva;

using namespace AssociationFixture;

namespace {
void seed()
{
    PartyForm::seedCodes();
    Fixtures::addState(QStringLiteral("IL"), QStringLiteral("Illinois"));
    Fixtures::addZip(QStringLiteral("SPRINGFIELD"), QStringLiteral("IL"), 62701);
    seedClientTwelve();
}

// A fresh database of the engine with the seed above (a message box no test
// scripts fails the test).
#define TORVA_USE_DEMO_DATABASE(engine)                                                                                \
    TORVA_USE_DATABASE(engine);                                                                                        \
    seed()

struct Shown
{
    std::unique_ptr<MainWindow> window;

    // The main window shown, on this client when one is given.
    explicit Shown(int client = 0, bool viewOnly = false)
        : window(std::make_unique<MainWindow>(QStringLiteral("JSMITH"), viewOnly))
    {
        window->resize(900, 640);
        window->show();
        activate(window.get());
        if (client)
            window->openSubject(QStringLiteral("C"), client);
    }
    static void activate(QWidget *window)
    {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("a window did not become active");
    }
    DataGrid *grid() const { return window->associations()->grid(); }
    int row(const QString &name) const
    {
        return name.contains(QLatin1Char(',')) ? rowOf(*window->associations(), 2, name, "ASCNAM")
                                               : rowOf(*window->associations(), 1, name);
    }
    // A click on the name cell of an associate or a folder of the outline.
    void click(const QString &name) const
    {
        const auto [surface, point] = cellSpot(*grid(), row(name), grid()->ColumnIndex(QStringLiteral("ASCNAM")));
        UserInput::click(surface, point);
    }
    // Opens an associate as a user does: a click on it, then Enter.
    PartyWindow *open(const QString &name) const
    {
        click(name);
        UserInput::press(Qt::Key_Return);
        if (window->partyWindows().isEmpty())
            return nullptr;
        PartyWindow *party = window->partyWindows().constLast();
        activate(party);
        return party;
    }
    QStringList listed() const
    {
        QStringList names;
        for (int row = 0; row < window->finder()->model().rowCount(); ++row)
            names << window->finder()->model().value(row, QStringLiteral("PTYNAM")).toString();
        return names;
    }
};
} // namespace

class DemoAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findAddSaveAndSeeIt_data() { TestDatabase::addEngineRows(); }
    void findAddSaveAndSeeIt();
    void findOpensOnlyAChosenName_data();
    void findOpensOnlyAChosenName();
    void partyHeldElsewhereIsShownReadOnly_data() { TestDatabase::addEngineRows(); }
    void partyHeldElsewhereIsShownReadOnly();
    void nothingToSaveOffersNoSave_data();
    void nothingToSaveOffersNoSave();
    void unsavedChangesAreNotLostUnasked();
};

// A user's round by keyboard and mouse: finds a client, adds a ward and
// saves, then opens a party from the outline, changes it and saves, and sees
// each change come back; every accelerator on the way does what it says.
void DemoAppTest::findAddSaveAndSeeIt()
{
    QFETCH(QString, engine);
    TORVA_USE_DEMO_DATABASE(engine);
    Shown app;

    // The File menu opens with its accelerator, and closes with Escape.
    UserInput::press(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    QCOMPARE(qobject_cast<QMenu *>(QApplication::activePopupWidget())->title(), QStringLiteral("&File"));
    UserInput::press(Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());

    // The user goes to Find with its accelerator and types the start of a name:
    // the list narrows to the names that begin so.
    UserInput::keys(QStringLiteral("{Alt+I}doe, "));
    QTRY_COMPARE(app.window->finder()->model().typedText(), QStringLiteral("DOE, "));
    QCOMPARE(app.listed(), (QStringList{"DOE, BABY", "DOE, BRO", "DOE, JANE", "DOE, JOHN", "DOE, SIS"}));
    UserInput::type(QStringLiteral("j"));
    QTRY_COMPARE(app.listed(), (QStringList{"DOE, JANE", "DOE, JOHN"}));

    // Enter picks the first, the client, whose associations come up;
    UserInput::press(Qt::Key_Return);
    QCOMPARE(app.window->associations()->PartyType, QStringLiteral("C"));
    QCOMPARE(app.window->associations()->PartyKey, 12);
    QCOMPARE(app.window->windowTitle(), QStringLiteral("Client 00012[*] - Probation parties"));

    // the popup menu of the Wards folder (Shift+F10) adds a ward by name, typed in lower case,
    app.click(QStringLiteral("Wards"));
    UserInput::press(Qt::Key_F10, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::activePopupWidget(), app.window->associations()->popupMenu());
    UserInput::type(QStringLiteral("n"));
    ComboBox *search = app.window->associations()->nameSearch();
    QTRY_VERIFY(search->Visible());
    UserInput::type(QStringLiteral("doe, s"));
    QTRY_COMPARE(search->ListCount(), 1);
    UserInput::press(Qt::Key_Return);

    // the keyboard is back in the outline, on the new row, so Up goes up the outline;
    QVERIFY(!search->Visible());
    QCOMPARE(UserInput::focusWidget(), app.grid()->view());
    QCOMPARE(app.grid()->Row(), app.row(QStringLiteral("Wards")) + 1);
    QCOMPARE(app.grid()->Row(), app.row(QStringLiteral("DOE, SIS")));
    UserInput::press(Qt::Key_Up);
    QCOMPARE(app.grid()->Row(), app.row(QStringLiteral("Wards")));
    QVERIFY(!app.window->finder()->popup()->isVisible());

    // Ctrl+S saves,
    QVERIFY(app.window->isWindowModified());
    UserInput::press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!app.window->isWindowModified());
    QCOMPARE(app.window->statusText(), QStringLiteral("Saved."));

    // and the ward is there when the client is opened again.
    app.window->openSubject(QStringLiteral("C"), 12);
    QVERIFY(outline(*app.window->associations()).contains(QStringLiteral("2:Party:DOE, SIS")));
    QVERIFY(stored().contains(QStringLiteral("C12-5-P6")));

    // The user then opens the parent with Enter: a party window comes up with it,
    PartyWindow *party = app.open(QStringLiteral("DOE, JOHN"));
    QVERIFY(party);
    QCOMPARE(party->editor()->PartyKey, 5);
    // (no letter stands for two things in either window)
    QCOMPARE(clashingAccelerators(app.window.get()), QStringList());
    QCOMPARE(clashingAccelerators(party), QStringList());

    // goes to the first street line (Alt+T), types over it and saves with Alt+S,
    UserInput::keys(QStringLiteral("{Alt+T}{Ctrl+A}77 river rd"));
    QVERIFY(party->isWindowModified());
    UserInput::keys(QStringLiteral("{Alt+S}"));
    QTRY_COMPARE(party->savedKey(), 5);  // a button's accelerator clicks it as a press shown briefly
    QVERIFY(!party->isWindowModified());

    // closes it with Escape,
    UserInput::press(Qt::Key_Escape);
    QTRY_COMPARE(app.window->partyWindows().size(), 0);

    // and sees the new street when it is opened again.
    Shown::activate(app.window.get());
    party = app.open(QStringLiteral("DOE, JOHN"));
    QVERIFY(party);
    QCOMPARE(party->editor()->findChild<AlphaMericBox *>(QStringLiteral("txtPTYST1"))->Text(), QStringLiteral("77 RIVER RD"));
}

void DemoAppTest::findOpensOnlyAChosenName_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("kind");  // what is on screen afterwards: client 7 unless something opened
    QTest::addColumn<int>("key");
    QTest::newRow("a kind letter, C") << "c" << "C" << 7;
    QTest::newRow("a kind letter, P") << "p" << "C" << 7;
    QTest::newRow("a beginning") << "doe, j" << "C" << 7;
    QTest::newRow("a beginning, Escape, Enter") << "doe, j{Escape}{Return}" << "C" << 7;
    QTest::newRow("a beginning, Enter picks the first") << "doe, j{Return}" << "C" << 12;
    QTest::newRow("down and Enter") << "doe, {Down}{Down}{Return}" << "C" << 12;
    QTest::newRow("a whole name, Escape, Enter") << "doe, john{Escape}{Return}" << "P" << 5;
    QTest::newRow("a whole name, Tab") << "doe, john{Tab}" << "P" << 5;
}

void DemoAppTest::findOpensOnlyAChosenName()
{
    QFETCH(QString, keys);
    QFETCH(QString, kind);
    QFETCH(int, key);
    TORVA_USE_DEMO_DATABASE(QStringLiteral("sqlite"));
    Shown app;
    QVERIFY(app.window->openSubject(QStringLiteral("C"), 7));

    // A client or party opens when the user chooses one, never while typing.
    UserInput::keys(QStringLiteral("{Alt+I}") + keys);
    QTest::qWait(2 * Combo::SearchDelayMs);  // the search that typing left runs

    QCOMPARE(app.window->associations()->PartyType, kind);
    QCOMPARE(app.window->associations()->PartyKey, key);
}

void DemoAppTest::partyHeldElsewhereIsShownReadOnly()
{
    QFETCH(QString, engine);
    TORVA_USE_DEMO_DATABASE(engine);
    Database::setUserName(QStringLiteral("JSMITH"));
    Shown first(12);
    PartyWindow *holding = first.open(QStringLiteral("DOE, JOHN"));
    QVERIFY(holding);

    // A second window on the same party shows it as it is on file, read-only,
    // says who has it and since when, and offers Retry; nothing can be saved.
    Shown second(12);
    PartyWindow *held = second.open(QStringLiteral("DOE, JOHN"));
    QVERIFY(held);
    auto *name = held->editor()->findChild<AlphaMericBox *>(QStringLiteral("txtPTYNAM"));
    auto *save = held->findChild<QPushButton *>(QStringLiteral("save"));
    auto *retry = held->findChild<QPushButton *>(QStringLiteral("retry"));
    QCOMPARE(name->Text(), QStringLiteral("DOE, JOHN"));
    QVERIFY(!name->isEnabled());
    QVERIFY2(held->notice().contains(QLatin1String("being edited by JSMITH")), qPrintable(held->notice()));
    QVERIFY2(held->notice().contains(QLatin1String(" since ")), qPrintable(held->notice()));
    QVERIFY(held->windowTitle().contains(QLatin1String("read-only")));
    QVERIFY(!save->isEnabled());
    QVERIFY(retry->isVisible());

    // Once the other user is done, Retry loads it under the lock for editing.
    holding->close();
    QTRY_COMPARE(first.window->partyWindows().size(), 0);
    Shown::activate(held);
    UserInput::click(retry);
    QVERIFY(name->isEnabled());
    QVERIFY(save->isEnabled());
    QVERIFY(!retry->isVisible());
    QCOMPARE(held->notice(), QString());
    QCOMPARE(held->windowTitle(), QStringLiteral("Party 5[*]"));
}

void DemoAppTest::nothingToSaveOffersNoSave_data()
{
    QTest::addColumn<bool>("viewOnly");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("savable");
    QTest::newRow("a client, editing") << false << "C" << 12 << true;
    QTest::newRow("a client, viewing") << true << "C" << 12 << false;
    QTest::newRow("a party: always viewed") << false << "P" << 5 << false;
}

void DemoAppTest::nothingToSaveOffersNoSave()
{
    QFETCH(bool, viewOnly);
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(bool, savable);
    TORVA_USE_DEMO_DATABASE(QStringLiteral("sqlite"));
    Shown app(0, viewOnly);
    app.window->openSubject(kind, key);
    const QString status = app.window->statusText();

    // Save is offered only where something may be saved; Ctrl+S elsewhere says nothing was.
    for (QAction *action : app.window->findChildren<QAction *>()) {
        if (action->shortcut() == QKeySequence::Save)
            QCOMPARE(action->isEnabled(), savable);
    }
    UserInput::press(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(app.window->statusText(), savable ? QStringLiteral("Saved.") : status);
}

void DemoAppTest::unsavedChangesAreNotLostUnasked()
{
    TORVA_USE_DEMO_DATABASE(QStringLiteral("sqlite"));
    Shown app(12);
    app.click(QStringLiteral("DOE, SIS"));
    UserInput::press(Qt::Key_Delete);
    QVERIFY(app.window->isWindowModified());

    // Cancel keeps the changes and the client on screen; Save saves them first.
    ScriptedMessages boxes;
    boxes.choices = {2, 0};
    QVERIFY(!app.window->openSubject(QStringLiteral("C"), 7));
    QCOMPARE(app.window->associations()->PartyKey, 12);
    QVERIFY(app.window->openSubject(QStringLiteral("C"), 7));
    QCOMPARE(boxes.messages.size(), 2);
    QVERIFY(!stored().contains(QStringLiteral("C12-21-P6")));
}

QTEST_MAIN(DemoAppTest)
#include "tst_demoapp.moc"
