#include "associationfixture.h"
#include "associationhost.h"
#include "controlrows.h"
#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "data/database.h"
#include "data/demodata.h"
#include "parties_editor/partieseditor.h"
#include "party_editor/partyeditor.h"
#include "fixtures.h"
#include "mainwindow.h"
#include "partyform.h"
#include "partywindow.h"
#include "scriptedmessages.h"

#include <QAbstractItemView>
#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace AssociationFixture;

namespace {
void seed()
{
    PartyForm::seedCodes();
    Fixtures::addState(QStringLiteral("IL"), QStringLiteral("Illinois"));
    Fixtures::addZip(QStringLiteral("SPRINGFIELD"), QStringLiteral("IL"), 62701);
    seedClientTwelve();
}

struct Shown
{
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(QStringLiteral("JSMITH"), false);

    Shown()
    {
        window->resize(900, 640);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
    }
    DataGrid *grid() const { return window->associations()->grid(); }
    // Makes the client's associate of this name the current row and opens it with Enter.
    void open(const QString &name) const
    {
        selectName(grid(), rowOf(*window->associations(), 2, name, "ASCNAM"));
        QTest::keyClick(grid()->view(), Qt::Key_Return);
    }
};
} // namespace

class DemoAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void engines_data() { TestDatabase::addEngineRows(); }
    void findAddSaveAndSeeIt_data() { engines_data(); }
    void findAddSaveAndSeeIt();
    void openAPartyChangeItSeeIt_data() { engines_data(); }
    void openAPartyChangeItSeeIt();
    void secondWindowOnAPartyIsRefused_data() { engines_data(); }
    void secondWindowOnAPartyIsRefused();
    void unsavedChangesAreNotLostUnasked();
    void realWindowUnderXvfb();
};

void DemoAppTest::findAddSaveAndSeeIt()
{
    TORVA_USE_ENGINE_ROW();
    seed();
    ScriptedMessages boxes;
    Shown app;

    // The user finds the client by the start of its name and picks it,
    Combo *finder = app.window->finder();
    finder->SetFocus();
    QTest::keyClicks(finder->lineEdit(), QStringLiteral("DOE, J"));
    QTRY_COMPARE(finder->model().typedText(), QStringLiteral("DOE, J"));
    const int jane = finder->model().findRow(2, QStringLiteral("DOE, JANE"));
    QVERIFY(jane >= 0);
    for (int i = 0; i < jane; ++i)
        QTest::keyClick(finder->lineEdit(), Qt::Key_Down);
    QTest::keyClick(finder->lineEdit(), Qt::Key_Return);
    QCOMPARE(app.window->associations()->PartyKey, 12);

    // adds a ward through the menu key and the name search,
    selectName(app.grid(), rowOf(*app.window->associations(), 1, QStringLiteral("Wards")));
    QTest::keyClick(app.grid()->view(), Qt::Key_F10, Qt::ShiftModifier);
    QMenu *menu = app.window->associations()->popupMenu();
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, Qt::Key_N);
    ComboBox *search = app.window->associations()->nameSearch();
    QTRY_VERIFY(search->Visible());
    QTest::keyClicks(search->editor(), QStringLiteral("DOE, S"));
    QTRY_COMPARE(search->ListCount(), 1);
    QTest::keyClick(search->editor(), Qt::Key_Return);

    // saves with Ctrl+S,
    QVERIFY(app.window->hasUnsavedChanges());
    QTest::keyClick(app.window.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!app.window->hasUnsavedChanges());

    // and finds the ward there when the client is opened again.
    app.window->openSubject(QStringLiteral("C"), 12);
    QVERIFY(outline(*app.window->associations()).contains(QStringLiteral("2:Party:DOE, SIS")));
    QVERIFY(stored().contains(QStringLiteral("C12-5-P6")));
    QVERIFY(boxes.messages.isEmpty());
}

void DemoAppTest::openAPartyChangeItSeeIt()
{
    TORVA_USE_ENGINE_ROW();
    seed();
    ScriptedMessages boxes;
    Shown app;
    app.window->openSubject(QStringLiteral("C"), 12);

    // The user opens the parent with Enter: a party window comes up with it,
    app.open(QStringLiteral("DOE, JOHN"));
    QCOMPARE(app.window->partyWindows().size(), 1);
    PartyWindow *party = app.window->partyWindows().first();
    QCOMPARE(party->editor()->PartyKey, 5);

    // changes the street and saves,
    auto *street = party->editor()->findChild<AlphaMericBox *>(QStringLiteral("txtPTYST1"));
    street->setFocus();
    street->selectAll();
    QTest::keyClicks(street, QStringLiteral("77 river rd"));
    QTest::mouseClick(party->findChild<QPushButton *>(QStringLiteral("save")), Qt::LeftButton);
    QVERIFY2(boxes.messages.isEmpty(), qPrintable(boxes.texts().join('\n')));
    QCOMPARE(party->savedKey(), 5);
    party->close();
    QTRY_COMPARE(app.window->partyWindows().size(), 0);

    // and sees the new street when it is opened again.
    app.open(QStringLiteral("DOE, JOHN"));
    QCOMPARE(app.window->partyWindows().first()->editor()->findChild<AlphaMericBox *>(QStringLiteral("txtPTYST1"))->Text(),
             QStringLiteral("77 RIVER RD"));
}

void DemoAppTest::secondWindowOnAPartyIsRefused()
{
    TORVA_USE_ENGINE_ROW();
    seed();
    ScriptedMessages boxes;
    Database::setUserName(QStringLiteral("JSMITH"));
    Shown first;
    first.window->openSubject(QStringLiteral("C"), 12);
    first.open(QStringLiteral("DOE, JOHN"));

    // A second window on the same party is told who has it, and cannot save.
    Shown second;
    second.window->openSubject(QStringLiteral("C"), 12);
    second.open(QStringLiteral("DOE, JOHN"));
    PartyWindow *refused = second.window->partyWindows().first();
    QVERIFY2(refused->notice().contains(QLatin1String("being edited by JSMITH")), qPrintable(refused->notice()));
    QVERIFY(!refused->findChild<QPushButton *>(QStringLiteral("save"))->isEnabled());
}

void DemoAppTest::unsavedChangesAreNotLostUnasked()
{
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    seed();
    ScriptedMessages boxes;
    Shown app;
    app.window->openSubject(QStringLiteral("C"), 12);
    selectName(app.grid(), rowOf(*app.window->associations(), 2, QStringLiteral("DOE, SIS"), "ASCNAM"));
    QTest::keyClick(app.grid()->view(), Qt::Key_Delete);

    // Cancel keeps the changes and the client on screen; Save saves them first.
    boxes.choices = {2, 0};
    QVERIFY(!app.window->openSubject(QStringLiteral("C"), 7));
    QCOMPARE(app.window->associations()->PartyKey, 12);
    QVERIFY(app.window->openSubject(QStringLiteral("C"), 7));
    QCOMPARE(boxes.messages.size(), 2);
    QVERIFY(!stored().contains(QStringLiteral("C12-21-P6")));
}

void DemoAppTest::realWindowUnderXvfb()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfb.isEmpty())
        QSKIP("xvfb-run is not installed (the README's test command installs it)");
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    DemoData::seed();
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("window.png"));

    // The application on a real X display, as a user would start it.
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(xvfb, {QStringLiteral("-a"), QStringLiteral(TORVA_DEMO_APP), QStringLiteral("--database"),
                         TestDatabase::location(), QStringLiteral("--screenshot"), picture});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());

    // A window of sensible size with a real picture in it: many colours, not a blank.
    const QImage image(picture);
    QVERIFY(image.width() >= 600 && image.height() >= 400);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    }
    QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
}

QTEST_MAIN(DemoAppTest)
#include "tst_demoapp.moc"
