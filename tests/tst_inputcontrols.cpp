#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datepicker.h"
#include "controls/listpopup.h"
#include "controls/phonenumber.h"
#include "controls/zipcode.h"
#include "controlrows.h"
#include "data/statements.h"
#include "fixtures.h"

#include <QLineEdit>
#include <QTableView>
#include <QSignalSpy>
#include <QtTest>

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

// Sets the combo up as the city list and types into it until the search,
// run once the typing pauses, has the text.
void typeIntoCityList(Combo &combo, const QString &typed)
{
    combo.setRecordSource(Statements::CityListSource);
    combo.setSearchList(true);
    combo.setMaxLength(15);
    combo.SetFocus();
    QTest::keyClicks(combo.lineEdit(), typed);
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
    void pickingARowFromTheList_data();
    void pickingARowFromTheList();
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
    QTest::keyClicks(box.control, typed);
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
    QTest::keyClicks(zip.control, typed);
    zip.other->setFocus();

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
    QTest::newRow("a good date") << "06231970" << 19700623;
    QTest::newRow("the first day") << "01011901" << 19010101;
    QTest::newRow("the last day") << "12062026" << 20261206;
    QTest::newRow("before the first") << "12311900" << 19800101;
    QTest::newRow("after the last") << "12072026" << 19800101;
    QTest::newRow("no such day") << "02302000" << 19800101;
    QTest::newRow("not finished") << "0623" << 19800101;
    QTest::newRow("cleared: no date") << "" << 0;
}

void InputControlsTest::datePickerTakesOnlyDatesInRange()
{
    QFETCH(QString, typed);
    QFETCH(int, value);
    Shown<DatePicker> picker;
    picker.control->setMinDate(QDate(1901, 1, 1));
    picker.control->setMaxDate(QDate(2026, 12, 6));
    QSignalSpy edits(picker.control, &DatePicker::Change);
    picker.control->setValue(19800101);
    QCOMPARE(picker.control->Text(), QStringLiteral("01/01/1980"));
    QCOMPARE(edits.count(), 0);  // a value written by code is no edit
    QSignalSpy changes(picker.control, &DatePicker::valueChanged);

    // When the user types over the date and leaves the box,
    picker.control->SetFocus();
    picker.control->lineEdit()->selectAll();
    QTest::keyClick(picker.control->lineEdit(), Qt::Key_Delete);
    picker.control->lineEdit()->home(false);
    QTest::keyClicks(picker.control->lineEdit(), typed);
    picker.other->setFocus();

    // then a date in range is taken and any other gives back the last good one.
    QCOMPARE(picker.control->Value(), value);
    QCOMPARE(picker.control->ValueAsLong(), value);
    QCOMPARE(picker.control->Text(), DatePicker::toDate(value).toString(QStringLiteral("MM/dd/yyyy")));
    QCOMPARE(changes.isEmpty(), value == 19800101);  // a refused date changed nothing
    QCOMPARE(edits.count(), 1 + typed.size());       // each key is an edit, finished date or not
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
    QTest::keyClicks(sex.control->lineEdit(), typed);

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

void InputControlsTest::pickingARowFromTheList_data()
{
    TestDatabase::addEngineRows();
}

void InputControlsTest::pickingARowFromTheList()
{
    TORVA_USE_ENGINE_ROW();
    seedLists();
    Shown<Combo> city;
    QSignalSpy changes(city.control, &Combo::Change);

    // Given the list of SPRINGFIELDs open,
    typeIntoCityList(*city.control, QStringLiteral("SPRINGF"));
    QVERIFY(city.control->popup()->isVisible());
    QVERIFY(!city.control->MatchFound());

    // when the user moves to the second row and presses Enter,
    QTest::keyClick(city.control->popup()->view(), Qt::Key_Down);
    QTest::keyClick(city.control->popup()->view(), Qt::Key_Return);

    // then that row is the combo's, with its columns, and the user is told once more.
    QVERIFY(!city.control->popup()->isVisible());
    QCOMPARE(city.control->Text(), QStringLiteral("SPRINGFIELD"));
    QVERIFY(city.control->MatchFound());
    QCOMPARE(city.control->RowNumber(), 2);
    QCOMPARE(city.control->Columns(QStringLiteral("ZIPSTA")).toString(), QStringLiteral("MO"));
    QCOMPARE(city.control->Columns(QStringLiteral("ZIPKEY")).toInt(), 65801);
    QCOMPARE(changes.count(), 8);
}

QTEST_MAIN(InputControlsTest)
#include "tst_inputcontrols.moc"
