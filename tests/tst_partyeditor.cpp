#include "base/clock.h"
#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datalabel.h"
#include "controls/datepicker.h"
#include "controls/digitsbox.h"
#include "controls/listpopup.h"
#include "controls/phonenumber.h"
#include "controls/twips.h"
#include "controls/zipcode.h"
#include "controlrows.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "userinput.h"

#include <QGroupBox>
#include <QSignalSpy>
#include <QTableView>
#include <QWindow>
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

} // namespace

class PartyEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 12, 6), QTime(9, 30))); }
    void cleanup() { Clock::unpin(); }

    void loadShowsEveryField_data();
    void loadShowsEveryField();
    void failureReachesTheHost_data() { TestDatabase::addEngineRows(); }
    void failureReachesTheHost();
    void enabledAtRunAndDesignTime();
    void laidOutAsDesigned();
    void addressAndSexByTheKeyboard_data();
    void addressAndSexByTheKeyboard();
    void aKeyReachingAClosedListGoesToTheBox();
    // Its input controls, each on its own.
    void alphaMericBoxTypedAndLeft_data();
    void alphaMericBoxTypedAndLeft();
    void digitBoxesShowTheirValue_data();
    void digitBoxesShowTheirValue();
    void datePickerTakesOnlyDatesInRange_data();
    void datePickerTakesOnlyDatesInRange();
};

void PartyEditorTest::loadShowsEveryField_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("controlEnabled");
    QTest::addColumn<QString>("then");  // once party 7 is shown: nothing, load (the key), add or clear
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("user");  // who changed party 7 last
    QTest::addColumn<bool>("cut");      // by the audit label
    const auto rachel = [](const QString &user) {
        return QStringList{"GREEN, RACHEL O", "3626 COLLEGE AVE", "APT 4", "SALEM", "OR", "973011234", "5035550100",
                           "5035550101", "5035550102", "19700620", "F", user, "01/05/2026"};
    };
    // Every field empty but the name, the birth date and the change date given.
    const auto empty = [](const QString &name, int birthDate, const QString &changed = QString()) {
        return QStringList{name, "", "", "", "", "0", "0", "0", "0", QString::number(birthDate), "", "", changed};
    };
    forEachEngine([&](auto row) {
        row("edit") << "*EDIT" << true << "" << 7 << rachel("JS") << "JS" << false;
        row("view, a user too wide for the label") << "*VIEW" << true << "" << 7 << rachel("SUPERVISOR")
                                                   << "SUPERVISOR" << true;
        row("disabled control") << "*EDIT" << false << "" << 7 << rachel("JS") << "JS" << false;
        row("new, empty") << "*EDIT" << true << "load" << 0 << empty("", 0) << "JS" << false;
        row("new, named") << "*EDIT" << true << "load" << 0 << empty("SMITH, JOHN", 19800101) << "JS" << false;
        row("added") << "*EDIT" << true << "add" << 0 << empty("Smith, John", 19800101) << "JS" << false;
        // A row of NULL columns (a host's own insert) loads as empty fields.
        row("null columns") << "*EDIT" << true << "load" << 3 << empty("", 0, "00/00/0000") << "JS" << false;
        // Clearing empties the fields and keeps the key and the party held.
        row("cleared") << "*EDIT" << true << "clear" << 7 << empty("", 0) << "JS" << false;
    });
}

void PartyEditorTest::loadShowsEveryField()
{
    QFETCH(QString, mode);
    QFETCH(bool, controlEnabled);
    QFETCH(QString, then);
    QFETCH(int, key);
    QFETCH(QStringList, shown);
    QFETCH(QString, user);
    QFETCH(bool, cut);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::Party rachel = GreenRachel;
    rachel.user = user;
    Fixtures::addParty(rachel);
    TestDatabase::exec(QStringLiteral("Insert Into DUVPRB.PRBPTY (PTYKEY) Values(?)"), {3});
    PartyEditorHost host(mode);
    if (!controlEnabled)
        host.editor->SetEnabled(false);
    auto *audit = host.field<DataLabel>("lblPTYUSR");
    const int designWidth = audit->width();
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    // When party 7 is shown, and then maybe another party, or a new one with
    // the name and birth date it is to show, or none,
    QVERIFY(host.editor->LoadRecord(7));
    const QString name = shown.at(0);
    const int birthDate = shown.at(9).toInt();
    if (then == QLatin1String("load"))
        QVERIFY(host.editor->LoadRecord(key, name, birthDate));
    else if (then == QLatin1String("add"))
        QVERIFY(host.editor->AddRecord(name, birthDate));
    else if (then == QLatin1String("clear"))
        QVERIFY(!host.editor->ClearRecord().isValid());

    // then every field shows it, the sex by its description,
    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(host.shown(), shown);
    QCOMPARE(host.field<Combo>("cboPTYSEX")->Text(),
             shown.at(10) == QLatin1String("F") ? QStringLiteral("Female") : QString());
    // the birth date may not lie before 1901 nor after the day of the load,
    QCOMPARE(host.field<DatePicker>("dtpPTYBDT")->MinDate(), QDate(1901, 1, 1));
    QCOMPARE(host.field<DatePicker>("dtpPTYBDT")->MaxDate(), QDate(2026, 12, 6));
    // and the sex list shows descriptions only; its code column is hidden.
    QCOMPARE(host.field<Combo>("cboPTYSEX")->columnWidth(QStringLiteral("SEXCOD")), 0);
    // The audit label keeps its width; a user it cuts is shown whole as its tooltip and description.
    QCOMPARE(audit->width(), designWidth);
    QCOMPARE(audit->isElided(), cut);
    QCOMPARE(audit->toolTip(), cut ? user : QString());
    QCOMPARE(audit->accessibleDescription(), cut ? user : QString());
    // Loading is not an edit.
    QCOMPARE(changes.count(), 0);
    // The mode decides what takes input (*EDIT exactly); a disabled control enables nothing.
    const bool editable = controlEnabled && mode == QLatin1String("*EDIT");
    QCOMPARE(host.editor->Enabled(), controlEnabled);
    QVERIFY(host.everyFieldEnabled(editable));
    for (const QGroupBox *frame : host.editor->findChildren<QGroupBox *>())
        QCOMPARE(frame->isEnabledTo(host.editor), controlEnabled);
    QCOMPARE(host.field<AlphaMericBox>("txtPTYNAM")->hasFocus(), editable);
    // The party loaded before is held only while it is shown.
    TableObject other;
    other.Execute(Statements::LoadPartyForUpdate, QVariantList{7});
    QCOMPARE(other.RecordLocked(), key == 7);
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
    PartyEditorHost host;
    PartyEditor &editor = *host.editor;
    QSignalSpy notices(&editor, &PartyEditor::EnabledChanged);
    QWidget *name = host.field<QWidget>("txtPTYNAM");

    // At run time the fields follow, even the ones that no mode enabled.
    editor.SetEnabled(false);
    editor.SetEnabled(true);
    QVERIFY(name->isEnabledTo(&editor));
    QVERIFY(host.field<QGroupBox>("fraDemo")->isEnabledTo(&editor));

    // QWidget::setEnabled, as a form's generated code calls it, is a write
    // too; a disabled parent is not.
    host.window.setEnabled(false);
    host.window.setEnabled(true);
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
}

void PartyEditorTest::laidOutAsDesigned()
{
    PartyEditorHost host;
    // Each caption's accelerator takes the keyboard to its field, which is named for the caption.
    for (const char *leads : {"N txtPTYNAM", "T txtPTYST1", "Y cboPTYCTY", "Z zipPTYZIP", "H phnPTYHOMPHN",
                              "L phnPTYCELPHN", "W phnPTYWRKPHN", "B dtpPTYBDT", "X cboPTYSEX"}) {
        UserInput::keys(QStringLiteral("{Alt+%1}").arg(QLatin1String(leads).left(1)));
        QCOMPARE(host.focusedField(), QLatin1String(leads).mid(2));
    }
    QCOMPARE(host.field<QWidget>("phnPTYWRKPHN")->accessibleName(), QStringLiteral("Work phone"));

    // The frames follow the control's width and keep their height; the fields stay where they are.
    const QList<QGroupBox *> frames = host.editor->findChildren<QGroupBox *>();
    QCOMPARE(frames.size(), 3);
    QList<int> heights;
    for (QGroupBox *frame : frames)
        heights << frame->height();
    const QRect nameField = host.field<QWidget>("txtPTYNAM")->geometry();
    for (const int width : {Twips::toPixels(9495), 900, 400}) {
        host.editor->resize(width, host.editor->height());
        for (qsizetype i = 0; i < frames.size(); ++i) {
            QCOMPARE(frames.at(i)->width(), width - Twips::toPixels(30));
            QCOMPARE(frames.at(i)->height(), heights.at(i));
        }
    }
    QCOMPARE(host.field<QWidget>("txtPTYNAM")->geometry(), nameField);
}

void PartyEditorTest::addressAndSexByTheKeyboard_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("search");      // the city list's, once the typing pauses; empty: none waited for
    QTest::addColumn<QStringList>("listed");  // the open city list's rows, city and zip; none when it is closed
    QTest::addColumn<QString>("fields");      // street 1|street 2|city|state|zip|sex
    QTest::addColumn<QString>("focus");
    const QStringList sal{"SALEM 01970", "SALEM 97301", "SALEMBURG 97302"};
    const QStringList none;
    forEachEngine([&](auto row) {
        // The city list opens on the first letter with the cities that begin
        // so, each zip in its five digits, and every later key still reaches the box.
        row("one letter") << "{Alt+Y}s" << "S" << sal << "||S||0|" << "cboPTYCTY";
        row("a quote") << "{Alt+Y}coeur d'" << "COEUR D'" << QStringList{"COEUR D'ALENE 83814"} << "||COEUR D'||0|"
                       << "cboPTYCTY";
        row("nothing begins so: it closes") << "{Alt+Y}salx" << "SALX" << none << "||SALX||0|" << "cboPTYCTY";
        row("backspace") << "{Alt+Y}salx{Backspace}" << "SAL" << sal << "||SAL||0|" << "cboPTYCTY";
        row("home, then a letter") << "{Alt+Y}alemburg{Home}s" << "SALEMBURG" << QStringList{"SALEMBURG 97302"}
                                   << "||SALEMBURG||0|" << "cboPTYCTY";
        // Down and Up move in the list, Enter picks: the city, its state and its zip.
        row("down, enter") << "{Alt+Y}sale{Down}{Return}" << "" << none << "||SALEM|OR|97301|" << "cboPTYCTY";
        row("down, down, up, enter") << "{Alt+Y}sale{Down}{Down}{Up}{Return}" << "" << none << "||SALEM|OR|97301|"
                                     << "cboPTYCTY";
        row("enter picks the first") << "{Alt+Y}s{Return}" << "" << none << "||SALEM|MA|1970|" << "cboPTYCTY";
        row("keys faster than the search") << "{Alt+Y}salemb{Down}{Return}" << "" << none << "||SALEMBURG|OR|97302|"
                                           << "cboPTYCTY";
        // Escape closes the list and keeps the text; Tab picks and moves on.
        row("escape") << "{Alt+Y}sale{Escape}" << "" << none << "||SALE||0|" << "cboPTYCTY";
        row("tab") << "{Alt+Y}salemb{Tab}" << "" << none << "||SALEMBURG|OR|97302|" << "cboPTYSTA";
        row("no such city") << "{Alt+Y}salemx{Tab}" << "" << none << "||SALEMX||0|" << "cboPTYSTA";
        // A zip typed whole fills in its city and state; an unknown one keeps them.
        row("a known zip") << "{Alt+Z}{Home}83814" << "" << none << "||COEUR D'ALENE|ID|83814|" << "zipPTYZIP";
        row("nine digits") << "{Alt+Z}{Home}973011234" << "" << none << "||SALEM|OR|973011234|" << "zipPTYZIP";
        row("leading zero") << "{Alt+Z}{Home}01970" << "" << none << "||SALEM|MA|1970|" << "zipPTYZIP";
        row("an unknown zip") << "{Alt+Y}s{Return}{Alt+Z}{Home}99999" << "" << none << "||SALEM|MA|99999|"
                              << "zipPTYZIP";
        // Leaving a second street with the first one blank moves it up, as it is.
        row("second street alone") << "{Alt+T}{Tab} 12 main st{Alt+Z}" << "" << none << " 12 MAIN ST||||0|"
                                   << "zipPTYZIP";
        // The sex is found by its description, in any case, or by its code; never by a beginning.
        row("sex by description") << "{Alt+X}Female" << "" << none << "||||0|F" << "cboPTYSEX";
        row("sex in any case") << "{Alt+X}male" << "" << none << "||||0|M" << "cboPTYSEX";
        row("sex by code") << "{Alt+X}F" << "" << none << "||||0|F" << "cboPTYSEX";
        row("no such sex") << "{Alt+X}X" << "" << none << "||||0|" << "cboPTYSEX";
        row("a beginning of a sex") << "{Alt+X}Fem" << "" << none << "||||0|" << "cboPTYSEX";
    });
}

void PartyEditorTest::addressAndSexByTheKeyboard()
{
    QFETCH(QString, keys);
    QFETCH(QString, search);
    QFETCH(QStringList, listed);
    QFETCH(QString, fields);
    QFETCH(QString, focus);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord(QStringLiteral("SMITH, JOHN")));
    auto *cities = host.field<Combo>("cboPTYCTY");

    // When the user goes to a field with its accelerator and types,
    UserInput::keys(keys);
    if (!search.isEmpty())
        QTRY_COMPARE(cities->model().typedText(), search);

    // then the box holds every key's work and the fields it fills are filled.
    QStringList shown = host.shown();
    QCOMPARE((shown.mid(1, 5) << shown.at(10)).join(QLatin1Char('|')), fields);
    QCOMPARE(host.focusedField(), focus);
    QCOMPARE(cities->popup()->isVisible(), !listed.isEmpty());
    QStringList rows;
    const QAbstractItemModel *list = cities->popup()->view()->model();
    for (int row = 0; !search.isEmpty() && row < list->rowCount(); ++row)
        rows << list->index(row, 0).data().toString() + QLatin1Char(' ') + list->index(row, 2).data().toString();
    QCOMPARE(rows, listed);
    // A zip written by code afterwards is not the one looked up.
    host.field<ZipCode>("zipPTYZIP")->setValue(62701);
    QVERIFY(!host.field<ZipCode>("zipPTYZIP")->HasZipRow());
}

void PartyEditorTest::aKeyReachingAClosedListGoesToTheBox()
{
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    PartyForm::seedCodes();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    auto *cities = host.field<Combo>("cboPTYCTY");
    UserInput::keys(QStringLiteral("{Alt+Y}sale{Escape}"));
    QVERIFY(!cities->popup()->isVisible());

    // Keys the window system still delivers to the list's window after
    // Escape closed it are the box's: nothing is picked.
    QWindow *closedListWindow = cities->popup()->windowHandle();
    QTest::keyClick(closedListWindow, Qt::Key_Return);
    QTest::keyClick(closedListWindow, 'x');
    QCOMPARE(cities->Text(), QStringLiteral("SALEX"));
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), QString());
}

void PartyEditorTest::alphaMericBoxTypedAndLeft_data()
{
    QTest::addColumn<int>("caseType");
    QTest::addColumn<QString>("stored");  // written by code first
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("as typed") << 0 << "" << "Smith, John" << "Smith, John";
    QTest::newRow("upper") << 1 << "" << "Smith, John" << "SMITH, JOHN";
    QTest::newRow("lower") << 2 << "" << "Smith, John" << "smith, john";
    QTest::newRow("cut at the maximum") << 1 << "" << "abcdefghijklmnopqrstuvwxyz" << "ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("stored text kept as it was") << 1 << "Mixed Case" << "ab" << "Mixed CaseAB";
}

void PartyEditorTest::alphaMericBoxTypedAndLeft()
{
    QFETCH(int, caseType);
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    PartyEditorHost host;
    auto *box = host.field<AlphaMericBox>("txtPTYNAM");  // of 20 characters at most
    box->setCaseType(caseType);
    QSignalSpy changes(box, &AlphaMericBox::Change);
    int validations = 0;
    bool keep = true;
    connect(box, &AlphaMericBox::Validate, this, [&](bool &cancel) {
        ++validations;
        cancel = keep;
    });

    // Code writes the value as given, with no Change,
    box->setText(stored);
    QCOMPARE(box->Text(), stored);
    QCOMPARE(changes.count(), 0);

    // and every key the user types that changes the text is one.
    box->setFocus();
    box->end(false);
    UserInput::type(typed);
    QCOMPARE(box->Text(), shown);
    QCOMPARE(changes.count(), shown.size() - stored.size());

    // Leaving the box asks Validate, which may keep the focus there.
    UserInput::press(Qt::Key_Tab);
    QCOMPARE(validations, 1);
    QTRY_VERIFY(box->hasFocus());
    keep = false;
    UserInput::press(Qt::Key_Tab);
    QCOMPARE(validations, 2);
    QCOMPARE(host.focusedField(), QStringLiteral("txtPTYST1"));
}

void PartyEditorTest::digitBoxesShowTheirValue_data()
{
    QTest::addColumn<bool>("phone");  // else a zip
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("readBack");
    QTest::addColumn<int>("proper");  // a zip's first five digits
    QTest::newRow("phone, ten digits") << true << 5551234567.0 << "(555) 123-4567" << 5551234567.0 << 0;
    QTest::newRow("phone, none") << true << 0.0 << "(___) ___-____" << 0.0 << 0;
    QTest::newRow("phone, leading zeros kept") << true << 1234567.0 << "(000) 123-4567" << 1234567.0 << 0;
    QTest::newRow("phone, too long is none") << true << 55512345678.0 << "(___) ___-____" << 0.0 << 0;
    QTest::newRow("zip, five digits") << false << 62701.0 << "62701-____" << 62701.0 << 62701;
    QTest::newRow("zip, nine digits") << false << 627011234.0 << "62701-1234" << 627011234.0 << 62701;
    QTest::newRow("zip, leading zero") << false << 2134.0 << "02134-____" << 2134.0 << 2134;
    QTest::newRow("zip, nine with a leading zero") << false << 21341234.0 << "02134-1234" << 21341234.0 << 2134;
    QTest::newRow("zip, none") << false << 0.0 << "_____-____" << 0.0 << 0;
}

void PartyEditorTest::digitBoxesShowTheirValue()
{
    QFETCH(bool, phone);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(double, readBack);
    QFETCH(int, proper);
    const std::unique_ptr<DigitsBox> box =
        phone ? std::unique_ptr<DigitsBox>(std::make_unique<PhoneNumber>()) : std::make_unique<ZipCode>();

    // A value written by code is shown in the box's picture.
    box->setProperty("Value", value);
    QCOMPARE(box->displayText(), shown);
    QCOMPARE(box->property("Value").toDouble(), readBack);
    if (phone)
        return;

    // Writing the same five digits of a zip keeps the four after them; other five drop them.
    QCOMPARE(box->property("ZipProper").toInt(), proper);
    box->setProperty("ZipProper", proper);
    QCOMPARE(box->property("Value").toDouble(), value);
    box->setProperty("ZipProper", 97301);
    QCOMPARE(box->property("Value").toInt(), 97301);
}

void PartyEditorTest::datePickerTakesOnlyDatesInRange_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("told");  // why a date was refused; empty when it was taken
    QTest::addColumn<bool>("overTheOld");  // typed over the date shown rather than into an emptied box
    QTest::newRow("a good date") << "06231970" << 19700623 << "" << false;
    QTest::newRow("the first day") << "01011901" << 19010101 << "" << false;
    QTest::newRow("the last day") << "12062026" << 20261206 << "" << false;
    QTest::newRow("before the first") << "12311900" << 19800101 << "12/31/1900 is before 01/01/1901." << false;
    QTest::newRow("after the last") << "12072026" << 19800101 << "12/07/2026 is after 12/06/2026." << false;
    QTest::newRow("in the future") << "06012031" << 19800101 << "06/01/2031 is after 12/06/2026." << false;
    QTest::newRow("no such day") << "02302000" << 19800101 << "02/30/2000 is no date." << false;
    QTest::newRow("not finished") << "0623" << 19800101 << "The date is not complete." << false;
    QTest::newRow("cleared: no date") << "" << 0 << "" << false;
    QTest::newRow("over the old, passing a good date") << "12252030" << 19800101 << "12/25/2030 is after 12/06/2026."
                                                       << true;
}

void PartyEditorTest::datePickerTakesOnlyDatesInRange()
{
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, told);
    QFETCH(bool, overTheOld);
    PartyEditorHost host;
    auto *picker = host.field<DatePicker>("dtpPTYBDT");
    picker->setMinDate(QDate(1901, 1, 1));
    picker->setMaxDate(QDate(2026, 12, 6));
    QSignalSpy edits(picker, &DatePicker::Change);
    picker->setValue(19800101);  // written by code: no edit
    QSignalSpy refusals(picker, &DatePicker::inputRejected);
    ScriptedMessages boxes;

    // When the user types over the date and leaves the box with Tab,
    picker->SetFocus();
    UserInput::keys((overTheOld ? QStringLiteral("{Home}") : QStringLiteral("{Ctrl+A}{Delete}{Home}")) + typed
                    + QStringLiteral("{Tab}"));

    // then a date in range is taken and any other gives back the last good one,
    QCOMPARE(picker->Value(), value);
    QCOMPARE(picker->Text(), DatePicker::toDate(value).toString(QStringLiteral("MM/dd/yyyy")));
    QCOMPARE(edits.count(), (overTheOld ? 0 : 1) + typed.size());  // each key is an edit, finished date or not

    // and a refused date is not dropped without a word: the user is told why
    // and which dates the box takes, and finds the box again to mend it.
    const QString message = told.isEmpty() ? QString() : told + QStringLiteral(" Enter a date from 01/01/1901 to 12/06/2026.");
    QCOMPARE(boxes.texts(), told.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(refusals.count(), told.isEmpty() ? 0 : 1);
    QCOMPARE(picker->accessibleDescription(), message);
    QTRY_COMPARE(UserInput::focusWidget(), told.isEmpty() ? host.field<Combo>("cboPTYSEX")->lineEdit() : picker->lineEdit());
    if (!told.isEmpty())
        QCOMPARE(boxes.messages.first().title, QStringLiteral("Error"));
}

QTEST_MAIN(PartyEditorTest)
#include "tst_partyeditor.moc"
