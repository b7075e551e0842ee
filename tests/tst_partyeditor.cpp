#include "base/clock.h"
#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datalabel.h"
#include "controls/listpopup.h"
#include "controls/zipcode.h"
#include "controls/datepicker.h"
#include "controls/propertybag.h"
#include "controls/twips.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "party_editor/partyeditor.h"
#include "partyeditorhost.h"
#include "partyform.h"
#include "testdatabase.h"
#include "userinput.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace Torva;

namespace {

const Fixtures::Party GreenRachel{.key = 7, .name = QStringLiteral("GREEN, RACHEL O"),
                                  .street1 = QStringLiteral("3626 COLLEGE AVE"), .street2 = QStringLiteral("APT 4"),
                                  .city = QStringLiteral("SALEM"), .state = QStringLiteral("OR"), .zip = 973011234,
                                  .homePhone = 5035550100, .workPhone = 5035550102, .cellPhone = 5035550101,
                                  .birthDate = 19700620, .sex = QStringLiteral("F"),
                                  .changeDate = 1052026};  // the 5th of January: seven digits

const QStringList RachelShown{"GREEN, RACHEL O", "3626 COLLEGE AVE", "APT 4", "SALEM", "OR", "973011234",
                              "5035550100", "5035550101", "5035550102", "19700620", "F", "OFFICER", "01/05/2026"};

} // namespace

class PartyEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 12, 6), QTime(9, 30))); }
    void cleanup() { Clock::unpin(); }
    void engines_data() { TestDatabase::addEngineRows(); }

    void loadShowsEveryField_data();
    void loadShowsEveryField();
    void nullColumnsLoadEmpty_data() { engines_data(); }
    void nullColumnsLoadEmpty();
    void newParty_data();
    void newParty();
    void missingPartyKeepsWhatWasShown_data() { engines_data(); }
    void missingPartyKeepsWhatWasShown();
    void clearingKeepsTheKey_data() { engines_data(); }
    void clearingKeepsTheKey();
    void secondEditorIsLockedOut_data() { engines_data(); }
    void secondEditorIsLockedOut();
    void failureReachesTheHost_data() { engines_data(); }
    void failureReachesTheHost();
    void enabledAtRunAndDesignTime();
    void framesFollowTheWidth();
    void accelerators();
    void cityByTheKeyboard_data();
    void cityByTheKeyboard();
    void auditUserCutShowsWholeElsewhere_data();
    void auditUserCutShowsWholeElsewhere();
};

void PartyEditorTest::loadShowsEveryField_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("controlEnabled");
    QTest::addColumn<bool>("editable");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "edit") << "*EDIT" << true << true;
        engineRow(engine, "view") << "*VIEW" << true << false;
        engineRow(engine, "lower-case edit") << "*edit" << true << false;
        engineRow(engine, "none") << "" << true << false;
        engineRow(engine, "disabled control") << "*EDIT" << false << false;
    }
}

void PartyEditorTest::loadShowsEveryField()
{
    QFETCH(QString, mode);
    QFETCH(bool, controlEnabled);
    QFETCH(bool, editable);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(GreenRachel);
    PartyEditorHost host(mode);
    if (!controlEnabled)
        host.editor->SetEnabled(false);
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    QVERIFY(host.editor->LoadRecord(7));

    QCOMPARE(host.shown(), RachelShown);
    QCOMPARE(host.editor->PartyKey, 7);
    QCOMPARE(host.field<Combo>("cboPTYSEX")->Text(), QStringLiteral("Female"));
    // The birth date may not lie before 1901 nor after the day of the load.
    QCOMPARE(host.field<DatePicker>("dtpPTYBDT")->MinDate(), QDate(1901, 1, 1));
    QCOMPARE(host.field<DatePicker>("dtpPTYBDT")->MaxDate(), QDate(2026, 12, 6));
    // The sex list shows descriptions only; its code column is hidden.
    QCOMPARE(host.field<Combo>("cboPTYSEX")->columnWidth(QStringLiteral("SEXCOD")), 0);
    // Loading is not an edit.
    QCOMPARE(changes.count(), 0);
    // The mode decides what takes input; a disabled control enables nothing.
    QCOMPARE(host.editor->Enabled(), controlEnabled);
    QVERIFY(host.everyFieldEnabled(editable));
    QVERIFY(!controlEnabled || host.everyFrameEnabled());
    QCOMPARE(host.field<AlphaMericBox>("txtPTYNAM")->hasFocus(), editable);
}

void PartyEditorTest::nullColumnsLoadEmpty()
{
    TORVA_USE_PARTY_DATABASE();
    TestDatabase::exec(QStringLiteral("Insert Into DUVPRB.PRBPTY (PTYKEY) Values(?)"), {3});
    PartyEditorHost host;

    QVERIFY(host.editor->LoadRecord(3));

    QCOMPARE(host.shown(), QStringList({"", "", "", "", "", "0", "0", "0", "0", "0", "", "", "00/00/0000"}));
}

void PartyEditorTest::newParty_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("viaAddRecord");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("birthDate");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "empty") << false << "" << 0;
        engineRow(engine, "named") << false << "SMITH, JOHN" << 19800101;
        engineRow(engine, "added") << true << "Smith, John" << 19800101;
    }
}

void PartyEditorTest::newParty()
{
    QFETCH(bool, viaAddRecord);
    QFETCH(QString, name);
    QFETCH(int, birthDate);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(GreenRachel);
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(7));

    const bool loaded = viaAddRecord ? host.editor->AddRecord(name, birthDate) : host.editor->LoadRecord(0, name, birthDate);

    QVERIFY(loaded);
    QCOMPARE(host.editor->PartyKey, 0);
    QCOMPARE(host.shown(), QStringList({name, "", "", "", "", "0", "0", "0", "0", QString::number(birthDate), "", "", ""}));
    QVERIFY(host.everyFieldEnabled(true));
    QVERIFY(host.field<AlphaMericBox>("txtPTYNAM")->hasFocus());
    // The party loaded before is no longer held.
    TableObject other;
    other.Execute(Statements::LoadPartyForUpdate, QVariantList{7});
    QVERIFY(!other.RecordLocked());
}

void PartyEditorTest::missingPartyKeepsWhatWasShown()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(GreenRachel);
    PartyEditorHost host;
    QSignalSpy locks(host.editor, &PartyEditor::LockError);
    QVERIFY(host.editor->LoadRecord(7));

    QVERIFY(!host.editor->LoadRecord(99));

    QCOMPARE(host.shown(), RachelShown);
    QCOMPARE(host.editor->PartyKey, 99);
    QCOMPARE(locks.count(), 0);
    QVERIFY(host.editor->Enabled());
}

void PartyEditorTest::clearingKeepsTheKey()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(GreenRachel);
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(7));

    QVERIFY(!host.editor->ClearRecord().isValid());

    QCOMPARE(host.editor->PartyKey, 7);
    QCOMPARE(host.shown(), QStringList({"", "", "", "", "", "0", "0", "0", "0", "0", "", "", ""}));
    // The birth date limits of the load stay.
    QCOMPARE(host.field<DatePicker>("dtpPTYBDT")->MaxDate(), QDate(2026, 12, 6));
}

void PartyEditorTest::secondEditorIsLockedOut()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(GreenRachel);
    Fixtures::addParty(8, QStringLiteral("BLUE, ADAM"));
    Database::setUserName(QStringLiteral("JSMITH"));
    auto first = std::make_unique<PartyEditorHost>();
    QVERIFY(first->editor->LoadRecord(7));

    // Given a second editor showing another party,
    PartyEditorHost second;
    QVERIFY(second.editor->LoadRecord(8));
    bool loadHadReturned = true;
    bool returned = false;
    connect(second.editor, &PartyEditor::LockError, this, [&] { loadHadReturned = returned; });

    // when it asks for the party the first holds,
    returned = !second.editor->LoadRecord(7) || true;

    // then it is told during the load, is refused, disabled, and keeps what it showed.
    QVERIFY(!loadHadReturned);
    QCOMPARE(second.editor->PartyKey, 7);
    QVERIFY(!second.editor->Enabled());
    QVERIFY(second.everyFieldEnabled(false));
    QCOMPARE(second.name(), QStringLiteral("BLUE, ADAM"));
    QVERIFY(second.editor->LockedBy().has_value());
    QCOMPARE(second.editor->LockedBy()->userName, QStringLiteral("JSMITH"));

    // Once the first editor is gone, the party can be had.
    first.reset();
    second.editor->SetEnabled(true);
    QVERIFY(second.editor->LoadRecord(7));
    QCOMPARE(second.name(), QStringLiteral("GREEN, RACHEL O"));
    QVERIFY(second.everyFieldEnabled(true));
}

void PartyEditorTest::failureReachesTheHost()
{
    TORVA_USE_PARTY_DATABASE();
    Database::connection().run(QStringLiteral("Drop Table DUVPRB.PRBPTY"));
    PartyEditorHost host;
    QStringList told;
    connect(host.editor, &PartyEditor::Error, this, [&told](TableObject *&table) {
        told << table->LastStatement();
        table = nullptr;  // the host's copy only
    });

    QVERIFY_THROWS_EXCEPTION(DataAccessError, host.editor->LoadRecord(7));

    QCOMPARE(told, QStringList{Statements::LoadPartyForUpdate});
    // The control still works once the table is back.
    TestDatabase::initialize();
    Fixtures::addParty(GreenRachel);
    QVERIFY(host.editor->LoadRecord(7));
}

void PartyEditorTest::enabledAtRunAndDesignTime()
{
    PartyEditor editor;
    QSignalSpy notices(&editor, &PartyEditor::EnabledChanged);
    QGroupBox *frame = editor.findChild<QGroupBox *>(QStringLiteral("fraDemo"));
    QWidget *name = editor.findChild<QWidget *>(QStringLiteral("txtPTYNAM"));

    // At run time the fields follow, even the ones that no mode enabled.
    editor.SetEnabled(false);
    QVERIFY(!editor.Enabled());
    QVERIFY(!name->isEnabledTo(&editor));
    editor.SetEnabled(true);
    QVERIFY(name->isEnabledTo(&editor));
    QVERIFY(frame->isEnabledTo(&editor));

    // QWidget::setEnabled, as a form's generated code calls it, is a write
    // too; a disabled parent is not.
    QWidget parent;
    editor.setParent(&parent);
    parent.setEnabled(false);
    parent.setEnabled(true);
    QCOMPARE(notices.count(), 2);
    editor.QWidget::setEnabled(false);
    QCOMPARE(notices.count(), 3);
    QVERIFY(!name->isEnabledTo(&editor));
    editor.SetEnabled(true);

    // In a form designer only the control itself changes.
    editor.setDesignMode(true);
    editor.SetEnabled(false);
    QVERIFY(!editor.Enabled());
    QVERIFY(name->isEnabledTo(&editor));
    QCOMPARE(notices.count(), 5);
    editor.setParent(nullptr);
}


void PartyEditorTest::framesFollowTheWidth()
{
    PartyEditor editor;
    QList<QGroupBox *> frames;
    for (const char *name : {"fraDemo", "fraID", "fraAudit"})
        frames << editor.findChild<QGroupBox *>(QLatin1String(name));
    QList<int> heights;
    for (QGroupBox *frame : frames)
        heights << frame->height();
    const QRect nameField = editor.findChild<QWidget *>(QStringLiteral("txtPTYNAM"))->geometry();
    editor.show();

    for (const int width : {Twips::toPixels(9495), 900, 400}) {
        editor.resize(width, editor.height());
        for (qsizetype i = 0; i < frames.size(); ++i) {
            QCOMPARE(frames.at(i)->width(), width - Twips::toPixels(30));
            QCOMPARE(frames.at(i)->height(), heights.at(i));
        }
    }
    QCOMPARE(frames.first()->width(), 398);
    QCOMPARE(editor.findChild<QWidget *>(QStringLiteral("txtPTYNAM"))->geometry(), nameField);
}

void PartyEditorTest::accelerators()
{
    PartyEditor editor;
    QMap<QString, QString> buddies;
    for (const QLabel *label : editor.findChildren<QLabel *>(QRegularExpression(QStringLiteral("^lblDemo_")))) {
        if (label->text().contains(QLatin1Char('&')))
            buddies.insert(label->text(), label->buddy()->objectName());
    }
    QCOMPARE(buddies.value(QStringLiteral("&Name:")), QStringLiteral("txtPTYNAM"));
    QCOMPARE(buddies.value(QStringLiteral("Cit&y:")), QStringLiteral("cboPTYCTY"));
    QCOMPARE(buddies.value(QStringLiteral("Se&x:")), QStringLiteral("cboPTYSEX"));
    QCOMPARE(buddies.size(), 9);
    QCOMPARE(editor.findChild<QWidget *>(QStringLiteral("phnPTYWRKPHN"))->accessibleName(), QStringLiteral("Work phone"));
}

void PartyEditorTest::cityByTheKeyboard_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("then");  // the keys after Alt+Y and four letters
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("zip");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "down, enter") << "{Down}{Return}" << "SALEM" << "OR" << 97301;
        engineRow(engine, "enter") << "{Return}" << "SALEM" << "MA" << 1970;
        engineRow(engine, "the whole name, tab") << "mburg{Tab}" << "SALEMBURG" << "OR" << 97302;
        engineRow(engine, "escape keeps the text") << "{Escape}" << "SALE" << "" << 0;
    }
}

void PartyEditorTest::cityByTheKeyboard()
{
    QFETCH(QString, then);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(int, zip);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord(QStringLiteral("SMITH, JOHN")));
    auto *cities = host.field<Combo>("cboPTYCTY");
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    // When the user goes to the city with its accelerator and types its first letters,
    UserInput::keys(QStringLiteral("{Alt+Y}sale"));
    QTRY_COMPARE(cities->model().typedText(), QStringLiteral("SALE"));

    // the list shows every city beginning so, each zip in its five digits,
    QVERIFY(cities->popup()->isVisible());
    QAbstractItemModel *list = cities->popup()->view()->model();
    QStringList zips;
    for (int row = 0; row < list->rowCount(); ++row)
        zips << list->index(row, 2).data().toString();
    QCOMPARE(zips, (QStringList{"01970", "97301", "97302"}));

    // and what the user picks fills in the city, its state and its zip.
    UserInput::keys(then);
    QCOMPARE(cities->Text(), city);
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), state);
    QCOMPARE(host.field<ZipCode>("zipPTYZIP")->ZipProper(), zip);
    QVERIFY(changes.count() >= 4);
}

void PartyEditorTest::auditUserCutShowsWholeElsewhere_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("cut");
    engineRow(QStringLiteral("sqlite"), "fits") << "JS" << false;
    engineRow(QStringLiteral("sqlite"), "too wide") << "SUPERVISOR" << true;
}

void PartyEditorTest::auditUserCutShowsWholeElsewhere()
{
    QFETCH(QString, user);
    QFETCH(bool, cut);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::Party party = GreenRachel;
    party.user = user;
    Fixtures::addParty(party);
    PartyEditorHost host;
    auto *label = host.field<DataLabel>("lblPTYUSR");
    const int designWidth = label->width();

    QVERIFY(host.editor->LoadRecord(7));

    // The label keeps its width; a user it cuts is shown whole as its tooltip and description.
    QCOMPARE(label->width(), designWidth);
    QCOMPARE(label->Caption(), user);
    QCOMPARE(label->isElided(), cut);
    QCOMPARE(label->toolTip(), cut ? user : QString());
    QCOMPARE(label->accessibleDescription(), cut ? user : QString());
}

QTEST_MAIN(PartyEditorTest)
#include "tst_partyeditor.moc"
