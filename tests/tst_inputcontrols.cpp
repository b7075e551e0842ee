#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datepicker.h"
#include "controls/listpopup.h"
#include "controls/phonenumber.h"
#include "controls/zipcode.h"
#include "controlrows.h"
#include "data/statements.h"
#include "fixtures.h"
#include "scriptedmessages.h"
#include "userinput.h"

#include <QLineEdit>
#include <QTableView>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

using namespace Torva;

namespace {
// A window holding one control, shown and active so that it takes the focus and keys.
template<typename Control>
struct Shown
{
    QWidget window;
    Control *control = new Control(&window);
    QLineEdit *other = new QLineEdit(&window);  // somewhere to move the focus to

    Shown()
    {
        other->move(0, 60);
        window.resize(300, 120);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

void seedLists()
{
    Fixtures::addSex(QStringLiteral("M"), QStringLiteral("Male"));
    Fixtures::addSex(QStringLiteral("F"), QStringLiteral("Female"));
    Fixtures::addZip(QStringLiteral("SPRINGFIELD"), QStringLiteral("IL"), 62701);
    Fixtures::addZip(QStringLiteral("SPRINGFIELD"), QStringLiteral("MO"), 65801);
    Fixtures::addZip(QStringLiteral("SPRING"), QStringLiteral("TX"), 77373);
    Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("OR"), 97301);
    Fixtures::addZip(QStringLiteral("COEUR D'ALENE"), QStringLiteral("ID"), 83814);
    Fixtures::addZip(QStringLiteral("BOSTON"), QStringLiteral("MA"), 2134);
}

// Sets the combo up as the city list, with the focus.
void makeCityList(Combo &combo)
{
    combo.setRecordSource(Statements::CityListSource);
    combo.setSearchList(true);
    combo.setMaxLength(15);
    combo.SetFocus();
}

// Types into the city list until the search, run once the typing pauses, has the text.
void typeIntoCityList(Combo &combo, const QString &typed)
{
    makeCityList(combo);
    UserInput::type(typed);
    QTRY_COMPARE(combo.model().typedText(), typed.toUpper());
}
} // namespace

class InputControlsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void alphaMericBoxCase_data();
    void alphaMericBoxCase();
    void alphaMericBoxValidateCanKeepTheFocus();
    void phoneNumberValueAndText_data();
    void phoneNumberValueAndText();
    void zipCodeValueAndProper_data();
    void zipCodeValueAndProper();
    void zipCodeLooksUpAnEnteredZip_data();
    void zipCodeLooksUpAnEnteredZip();
    void datePickerTakesOnlyDatesInRange_data();
    void datePickerTakesOnlyDatesInRange();
    void fixedListMatchesTextOrCode_data();
    void fixedListMatchesTextOrCode();
    void searchListFindsRowsBeginningWithText_data();
    void searchListFindsRowsBeginningWithText();
    void keysInAnOpenSearchList_data();
    void keysInAnOpenSearchList();
    void aKeyReachingAClosedListGoesToTheBox();
};

void InputControlsTest::alphaMericBoxCase_data()
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

void InputControlsTest::alphaMericBoxCase()
{
    QFETCH(int, caseType);
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Shown<AlphaMericBox> box;
    box.control->setCaseType(caseType);
    box.control->setMaxLength(20);
    QSignalSpy changes(box.control, &AlphaMericBox::Change);

    // Code writes the value as given, with no Change,
    box.control->setText(stored);
    QCOMPARE(box.control->Text(), stored);
    QCOMPARE(changes.count(), 0);

    // and every key the user types that changes the text is one.
    box.control->setFocus();
    box.control->end(false);
    UserInput::type(typed);
    QCOMPARE(box.control->Text(), shown);
    QCOMPARE(changes.count(), shown.size() - stored.size());
}

void InputControlsTest::alphaMericBoxValidateCanKeepTheFocus()
{
    Shown<AlphaMericBox> box;
    int validations = 0;
    bool keep = true;
    connect(box.control, &AlphaMericBox::Validate, this, [&](bool &cancel) {
        ++validations;
        cancel = keep;
    });
    box.control->setFocus();

    box.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(validations, 1);
    QTRY_VERIFY(box.control->hasFocus());

    keep = false;
    box.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(validations, 2);
    QVERIFY(box.other->hasFocus());
}

void InputControlsTest::phoneNumberValueAndText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("readBack");
    QTest::newRow("ten digits") << 5551234567.0 << "(555) 123-4567" << 5551234567.0;
    QTest::newRow("none") << 0.0 << "(___) ___-____" << 0.0;
    QTest::newRow("leading zeros kept") << 1234567.0 << "(000) 123-4567" << 1234567.0;
    QTest::newRow("too long is none") << 55512345678.0 << "(___) ___-____" << 0.0;
}

void InputControlsTest::phoneNumberValueAndText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QFETCH(double, readBack);
    PhoneNumber phone;
    QSignalSpy changes(&phone, &PhoneNumber::Change);

    phone.setValue(value);

    QCOMPARE(phone.displayText(), text);
    QCOMPARE(phone.Value(), readBack);
    QCOMPARE(changes.count(), 0);
}

void InputControlsTest::zipCodeValueAndProper_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("proper");
    QTest::newRow("five digits") << 62701 << "62701" << 62701;
    QTest::newRow("nine digits") << 627011234 << "627011234" << 62701;
    QTest::newRow("leading zero") << 2134 << "02134" << 2134;
    QTest::newRow("nine with leading zero") << 21341234 << "021341234" << 2134;
    QTest::newRow("none") << 0 << "" << 0;
}

void InputControlsTest::zipCodeValueAndProper()
{
    QFETCH(int, value);
    QFETCH(QString, digits);
    QFETCH(int, proper);
    ZipCode zip;

    zip.setValue(value);

    QCOMPARE(zip.digits(), digits);
    QCOMPARE(zip.Value(), value);
    QCOMPARE(zip.ZipProper(), proper);
    QCOMPARE(zip.ValueAsLong(), value);

    // Writing the same five digits keeps the four after them; other five drop them.
    zip.setZipProper(proper);
    QCOMPARE(zip.Value(), value);
    zip.setZipProper(97301);
    QCOMPARE(zip.Value(), 97301);
}

void InputControlsTest::zipCodeLooksUpAnEnteredZip_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    forEachEngine([](auto row) {
        row("known") << "97301" << "SALEM" << "OR";
        row("known, nine digits") << "973011234" << "SALEM" << "OR";
        row("leading zero") << "02134" << "BOSTON" << "MA";
        row("unknown") << "99999" << "" << "";
    });
}

void InputControlsTest::zipCodeLooksUpAnEnteredZip()
{
    QFETCH(QString, typed);
    QFETCH(QString, city);
    QFETCH(QString, state);
    TORVA_USE_ENGINE_ROW();
    seedLists();
    Shown<ZipCode> zip;
    QSignalSpy entered(zip.control, &ZipCode::ZipEntered);

    // When the user types the zip,
    zip.control->setFocus();
    zip.control->home(false);
    UserInput::type(typed);
    UserInput::press(Qt::Key_Tab);

    // then the box has looked its row up (once per zip entered) and offers its city and state.
    QVERIFY(entered.count() >= 1);
    QCOMPARE(zip.control->HasZipRow(), !city.isEmpty());
    QCOMPARE(zip.control->ZipColumn(QStringLiteral("ZIPCTY")), city);
    QCOMPARE(zip.control->ZipColumn(QStringLiteral("zipsta")), state);

    // A zip written by code afterwards is not the one looked up.
    zip.control->setValue(62701);
    QVERIFY(!zip.control->HasZipRow());
}

void InputControlsTest::datePickerTakesOnlyDatesInRange_data()
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

void InputControlsTest::datePickerTakesOnlyDatesInRange()
{
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, told);
    QFETCH(bool, overTheOld);
    Shown<DatePicker> picker;
    picker.control->setMinDate(QDate(1901, 1, 1));
    picker.control->setMaxDate(QDate(2026, 12, 6));
    QSignalSpy edits(picker.control, &DatePicker::Change);
    picker.control->setValue(19800101);
    QCOMPARE(picker.control->Text(), QStringLiteral("01/01/1980"));
    QCOMPARE(edits.count(), 0);  // a value written by code is no edit
    QSignalSpy changes(picker.control, &DatePicker::valueChanged);
    QSignalSpy refusals(picker.control, &DatePicker::inputRejected);
    ScriptedMessages boxes;

    // When the user types over the date and leaves the box with Tab,
    picker.control->SetFocus();
    UserInput::keys((overTheOld ? QStringLiteral("{Home}") : QStringLiteral("{Ctrl+A}{Delete}{Home}")) + typed
                    + QStringLiteral("{Tab}"));

    // then a date in range is taken and any other gives back the last good one,
    QCOMPARE(picker.control->Value(), value);
    QCOMPARE(picker.control->ValueAsLong(), value);
    QCOMPARE(picker.control->Text(), DatePicker::toDate(value).toString(QStringLiteral("MM/dd/yyyy")));
    QCOMPARE(picker.control->Value() == 19800101, value == 19800101);  // a refused date gives back the one before
    QCOMPARE(edits.count(), (overTheOld ? 0 : 1) + typed.size());  // each key is an edit, finished date or not

    // and a refused date is not dropped without a word: the user is told why
    // and which dates the box takes, and finds the box again to mend it.
    const QString message = told.isEmpty() ? QString() : told + QStringLiteral(" Enter a date from 01/01/1901 to 12/06/2026.");
    QCOMPARE(boxes.texts(), told.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(refusals.count(), told.isEmpty() ? 0 : 1);
    QCOMPARE(picker.control->accessibleDescription(), message);
    QTRY_COMPARE(UserInput::focusWidget(), told.isEmpty() ? static_cast<QWidget *>(picker.other) : picker.control->lineEdit());
    if (!told.isEmpty())
        QCOMPARE(boxes.messages.first().title, QStringLiteral("Error"));
}

void InputControlsTest::fixedListMatchesTextOrCode_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matched");
    QTest::addColumn<QString>("code");
    forEachEngine([](auto row) {
        row("description") << "Female" << true << "F";
        row("any case") << "male" << true << "M";
        row("the code") << "F" << true << "F";
        row("no such row") << "X" << false << "";
        row("a beginning only") << "Fem" << false << "";
    });
}

void InputControlsTest::fixedListMatchesTextOrCode()
{
    QFETCH(QString, typed);
    QFETCH(bool, matched);
    QFETCH(QString, code);
    TORVA_USE_ENGINE_ROW();
    seedLists();
    Shown<Combo> sex;
    sex.control->setRecordSource(Statements::SexListSource);
    sex.control->setCaseType(0);
    sex.control->setDisplayColumn(1);
    sex.control->LoadList();
    QSignalSpy changes(sex.control, &Combo::Change);

    sex.control->SetFocus();
    UserInput::type(typed);

    QCOMPARE(sex.control->MatchFound(), matched);
    QCOMPARE(sex.control->RowNumber() > 0, matched);
    QCOMPARE(sex.control->Value().toString(), code);
    QCOMPARE(changes.count(), typed.size());

    // Writing a code chooses its row and shows its description, without Change.
    sex.control->setValue(QStringLiteral("M"));
    QCOMPARE(sex.control->Text(), QStringLiteral("Male"));
    QCOMPARE(sex.control->Columns(QStringLiteral("sexdsc")).toString(), QStringLiteral("Male"));
    QVERIFY(sex.control->MatchFound());
    sex.control->setValue(QStringLiteral("Z"));
    QCOMPARE(sex.control->Text(), QStringLiteral("Z"));
    QVERIFY(!sex.control->MatchFound());
    QCOMPARE(changes.count(), typed.size());
}

void InputControlsTest::searchListFindsRowsBeginningWithText_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listed");
    forEachEngine([](auto row) {
        row("one letter") << "s" << QStringList{"SALEM", "SPRING", "SPRINGFIELD", "SPRINGFIELD"};
        row("a prefix") << "spring" << QStringList{"SPRING", "SPRINGFIELD", "SPRINGFIELD"};
        row("a quote") << "coeur d'" << QStringList{"COEUR D'ALENE"};
        row("nothing") << "zz" << QStringList{};
    });
}

void InputControlsTest::searchListFindsRowsBeginningWithText()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listed);
    TORVA_USE_ENGINE_ROW();
    seedLists();
    Shown<Combo> city;

    // The user types (in upper case, as the list holds it),
    typeIntoCityList(*city.control, typed);

    // and once the typing pauses the list holds the rows that begin with the text.
    QStringList cities;
    for (int row = 0; row < city.control->model().rowCount(); ++row)
        cities << city.control->model().value(row, QStringLiteral("ZIPCTY")).toString();
    QCOMPARE(cities, listed);
    QCOMPARE(city.control->popup()->isVisible(), !listed.isEmpty());
}

void InputControlsTest::keysInAnOpenSearchList_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("zip");          // of the combo's row (the text is a row's); 0 for none
    QTest::addColumn<bool>("picked");
    QTest::addColumn<bool>("listOpen");
    QTest::addColumn<bool>("focusMovedOn");
    forEachEngine([](auto row) {
        // The list opens on the first key and every later key still reaches the box.
        row("typing goes on") << "spri" << "SPRI" << 0 << false << true << false;
        row("backspace") << "sprix{Backspace}" << "SPRI" << 0 << false << true << false;
        row("home, then a letter") << "pring{Home}s" << "SPRING" << 77373 << false << true << false;
        // Down and Up move in the list, Enter picks.
        row("down, enter") << "spring{Down}{Return}" << "SPRINGFIELD" << 62701 << true << false << false;
        row("down, down, up, enter") << "spring{Down}{Down}{Up}{Return}" << "SPRINGFIELD" << 62701 << true << false << false;
        row("enter picks the first") << "s{Return}" << "SALEM" << 97301 << true << false << false;
        row("keys faster than the search") << "springf{Down}{Return}" << "SPRINGFIELD" << 65801 << true << false << false;
        // Escape closes the list and keeps the text; Tab picks and moves on.
        row("escape") << "spri{Escape}" << "SPRI" << 0 << false << false << false;
        row("tab") << "springf{Tab}" << "SPRINGFIELD" << 62701 << true << false << true;
    });
}

void InputControlsTest::keysInAnOpenSearchList()
{
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, zip);
    QFETCH(bool, picked);
    QFETCH(bool, listOpen);
    QFETCH(bool, focusMovedOn);
    TORVA_USE_ENGINE_ROW();
    seedLists();
    Shown<Combo> city;
    makeCityList(*city.control);
    QSignalSpy chosen(city.control, &Combo::activated);

    // When the user strikes the keys, the open list having the keyboard once it is open,
    UserInput::keys(keys);
    if (listOpen)
        QTRY_COMPARE(city.control->model().typedText(), text);

    // then the box holds every key's work, and the row picked is the combo's.
    QCOMPARE(city.control->Text(), text);
    QCOMPARE(city.control->popup()->isVisible(), listOpen);
    QCOMPARE(city.control->Columns(QStringLiteral("ZIPKEY")).toInt(), zip);
    QCOMPARE(city.control->MatchFound(), zip != 0);
    QCOMPARE(chosen.count(), picked ? 1 : 0);
    QCOMPARE(UserInput::focusWidget(), focusMovedOn ? static_cast<QWidget *>(city.other) : city.control->lineEdit());
    if (listOpen) {
        // Every row listed begins with the text.
        for (int row = 0; row < city.control->model().rowCount(); ++row)
            QVERIFY(city.control->model().value(row, QStringLiteral("ZIPCTY")).toString().startsWith(text));
    }
}

void InputControlsTest::aKeyReachingAClosedListGoesToTheBox()
{
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    seedLists();
    Shown<Combo> city;
    makeCityList(*city.control);
    UserInput::keys(QStringLiteral("spri{Escape}"));
    QVERIFY(!city.control->popup()->isVisible());

    // Keys the window system still delivers to the list's window after
    // Escape closed it are the box's: nothing is picked.
    QWindow *closedListWindow = city.control->popup()->windowHandle();
    QTest::keyClick(closedListWindow, Qt::Key_Return);
    QTest::keyClick(closedListWindow, 'n');
    QCOMPARE(city.control->Text(), QStringLiteral("SPRIN"));
    QVERIFY(!city.control->MatchFound());
}

QTEST_MAIN(InputControlsTest)
#include "tst_inputcontrols.moc"
