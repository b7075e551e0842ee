#include "controls/alphamericbox.h"
#include "data/tableobject.h"
#include "fields/addressfunctions.h"
#include "fields/datetimefunctions.h"
#include "fields/formfunctions.h"
#include "fields/parsename.h"
#include "controlrows.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "userinput.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>

using namespace Torva;
using namespace AddressFunctions;

namespace {
const QString NameFormat = QStringLiteral(
    "Party names should be entered last name first, followed by a comma and a single space, then first name. ");
const QString Required = QStringLiteral("A required field is missing.");
const QString StreetComma = QStringLiteral("Street names may not contain commas.");
const QString Address = QStringLiteral("A valid address requires a street, city, state and zip-code.");
const QString CityStateZip = QStringLiteral("Invalid city, state or zip-code.");
// What a row does to a valid party's values.
using Spoil = std::function<void(PartyForm &form)>;

} // namespace

Q_DECLARE_METATYPE(Spoil)

class PartyValidationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksInOrder_data();
    void checksInOrder();
    void duplicates_data();
    void duplicates();
    void nothingLoadedIsNotValid();
    void everyEditIsAChange_data() { TestDatabase::addEngineRows(); }
    void everyEditIsAChange();

    // The routines the checks are made of.
    void requiredChecks_data();
    void requiredChecks();
    void parseName_data();
    void parseName();
    void changeDates_data();
    void changeDates();
    void addressChecks_data();
    void addressChecks();
};

void PartyValidationTest::checksInOrder_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<Spoil>("spoil");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    forEachEngine([](auto row) {
        row("no name") << Spoil([](PartyForm &form) { form.name = ""; }) << Required << "txtPTYNAM";
        row("name of spaces") << Spoil([](PartyForm &form) { form.name = "   "; }) << Required << "txtPTYNAM";
        row("a tab is no blank") << Spoil([](PartyForm &form) { form.name = "\t"; }) << NameFormat << "txtPTYNAM";
        row("no space after the comma") << Spoil([](PartyForm &form) { form.name = "SMITH,JOHN"; }) << NameFormat
                                        << "txtPTYNAM";
        row("comma first") << Spoil([](PartyForm &form) { form.name = ", JOHN"; }) << NameFormat << "txtPTYNAM";
        row("no comma") << Spoil([](PartyForm &form) { form.name = "SMITH JOHN"; }) << NameFormat << "txtPTYNAM";
        row("space before the comma is fine") << Spoil([](PartyForm &form) { form.name = "SMITH , JOHN"; }) << ""
                                              << "";
        row("no street") << Spoil([](PartyForm &form) { form.street1 = ""; }) << Required << "txtPTYST1";
        row("comma in street 1") << Spoil([](PartyForm &form) { form.street1 = "12 MAIN ST, APT 4"; }) << StreetComma
                                 << "txtPTYST1";
        row("comma in street 2") << Spoil([](PartyForm &form) { form.street2 = "APT 4, REAR"; }) << StreetComma
                                 << "txtPTYST2";
        row("blank first street takes the second") << Spoil([](PartyForm &form) {
            form.street1 = "   ";
            form.street2 = "12 MAIN ST";
        }) << "" << "";
        row("no city") << Spoil([](PartyForm &form) { form.city = ""; }) << Address << "txtPTYST1";
        row("no state") << Spoil([](PartyForm &form) { form.state = ""; }) << Address << "txtPTYST1";
        row("no zip") << Spoil([](PartyForm &form) { form.zip = 0; }) << Address << "txtPTYST1";
        row("city in another state") << Spoil([](PartyForm &form) { form.state = "MA"; }) << CityStateZip << "cboPTYCTY";
        row("city of another zip") << Spoil([](PartyForm &form) { form.zip = 97302; }) << CityStateZip << "cboPTYCTY";
        row("no birth date") << Spoil([](PartyForm &form) { form.birthDate = 0; }) << Required << "dtpPTYBDT";
        row("unknown sex") << Spoil([](PartyForm &form) { form.sex = "Q"; }) << "Invalid gender." << "cboPTYSEX";
        row("all good") << Spoil([](PartyForm &) {}) << "" << "";
    });
}

void PartyValidationTest::checksInOrder()
{
    QFETCH(Spoil, spoil);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    // Given a valid party with one field spoiled,
    PartyForm form;
    spoil(form);
    form.enterInto(host);
    host.field<AlphaMericBox>("txtPTYST2")->setFocus();
    ScriptedMessages boxes;

    // when it is saved,
    const bool saved = host.editor->SaveRecord();

    // then the one problem is shown once, with the focus on its field, and nothing is written.
    QCOMPARE(saved, message.isEmpty());
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), saved ? 1 : 0);
    QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(boxes.messages.value(0).title, message.isEmpty() ? QString() : QStringLiteral("Error"));
    QCOMPARE(boxes.messages.value(0).focusedField, focus);
}

void PartyValidationTest::duplicates_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QStringList>("streetsOnFile");  // parties 5, 6, ... named as the form, born the same day
    QTest::addColumn<QString>("name");               // typed into a new party; empty: party 5 loaded
    QTest::addColumn<bool>("newPartyEachTime");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QList<bool>>("refused");        // one check each
    QTest::addColumn<QStringList>("messages");
    const QString smith = QStringLiteral("SMITH, JOHN Q");
    const QString duplicateOf5 = QStringLiteral("Duplicate of party #5:SMITH, JOHN Q");
    const QString duplicateOf6 = QStringLiteral("Duplicate of party #6:SMITH, JOHN Q");
    const QString possibleDuplicateOf5 = QStringLiteral("Duplicate of party #5:SMITH, JOHN Q Override?");
    forEachEngine([&](auto row) {
        // Even with a possible duplicate on file, the same street is refused, every time.
        row("same street is refused") << QStringList{"9 OAK ST", "12 MAIN ST"} << smith << false << QList<bool>{}
                                      << QList<bool>{true, true} << QStringList(2, duplicateOf6);
        // No keeps the error; Yes accepts it, and the save's own check asks no more.
        row("another street asks until accepted") << QStringList{"9 OAK ST"} << smith << false << QList<bool>{false, true}
                                                  << QList<bool>{true, false, false} << QStringList(2, possibleDuplicateOf5);
        // The next party entered on the same control is asked about again.
        row("accepted for that party only") << QStringList{"9 OAK ST"} << smith << true << QList<bool>{true, false}
                                            << QList<bool>{false, true} << QStringList(2, possibleDuplicateOf5);
        row("a party is no duplicate of itself")
            << QStringList{"12 MAIN ST"} << QString() << false << QList<bool>{} << QList<bool>{false} << QStringList();
        row("percent in the name is a wildcard") << QStringList{"12 MAIN ST"} << "SM%, JOHN" << false << QList<bool>{}
                                                 << QList<bool>{true} << QStringList{duplicateOf5};
    });
}

void PartyValidationTest::duplicates()
{
    QFETCH(QStringList, streetsOnFile);
    QFETCH(QString, name);
    QFETCH(bool, newPartyEachTime);
    QFETCH(QList<bool>, answers);
    QFETCH(QList<bool>, refused);
    QFETCH(QStringList, messages);
    TORVA_USE_PARTY_DATABASE();
    // Given parties on file with the form's name, birth date and sex,
    for (int i = 0; i < streetsOnFile.size(); ++i)
        Fixtures::addParty(PartyForm::onFile(5 + i, QStringLiteral("SMITH, JOHN Q"), streetsOnFile.at(i)));
    PartyEditorHost host;
    if (name.isEmpty())
        QVERIFY(host.editor->LoadRecord(5));
    PartyForm form;
    form.name = name;
    ScriptedMessages boxes;
    boxes.answers = answers;

    // when a party is checked again and again (typed in once, or anew before each check),
    QList<bool> results;
    for (qsizetype check = 0; check < refused.size(); ++check) {
        if (!name.isEmpty() && (check == 0 || newPartyEachTime))
            QVERIFY(form.enterAsNew(host));
        results << host.editor->HasErrors();
    }

    // then each check refuses or lets it through as the user answered, with the focus on the name.
    QCOMPARE(results, refused);
    QCOMPARE(boxes.texts(), messages);
    for (const ScriptedMessages::Message &message : std::as_const(boxes.messages)) {
        QCOMPARE(message.title, QStringLiteral("Error"));
        QCOMPARE(message.question, message.text.endsWith(QLatin1String("Override?")));
        QCOMPARE(message.focusedField, QStringLiteral("txtPTYNAM"));
    }
}

void PartyValidationTest::nothingLoadedIsNotValid()
{
    PartyEditor editor;
    ScriptedMessages boxes;

    // A check of an editor that never loaded fails, and says why, each time it runs.
    QVERIFY(editor.HasErrors());
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral("No party is loaded, so there is nothing to save.")});
    QVERIFY(!editor.SaveRecord());
    QCOMPARE(boxes.messages.size(), 2);
    // Deleting nothing needs no check.
    QVERIFY(!editor.DeleteRecord());
    QCOMPARE(boxes.messages.size(), 2);
}

void PartyValidationTest::everyEditIsAChange()
{
    TORVA_USE_PARTY_DATABASE();
    ScriptedMessages boxes;
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    // Each field the user types into tells the host, once per key.
    for (const char *name : {"txtPTYNAM", "txtPTYST1", "txtPTYST2", "cboPTYSTA", "zipPTYZIP", "phnPTYHOMPHN",
                             "phnPTYCELPHN", "phnPTYWRKPHN", "dtpPTYBDT", "cboPTYSEX"}) {
        QWidget *field = host.editor->findChild<QWidget *>(QLatin1String(name));
        QWidget *input = field->focusProxy() ? field->focusProxy() : field;
        input->setFocus();
        const int before = int(changes.count());
        UserInput::type(QStringLiteral("1"));
        QVERIFY2(changes.count() == before + 1, name);
    }
}

void PartyValidationTest::requiredChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("textMissing");
    QTest::addColumn<bool>("numberMissing");
    QTest::newRow("empty") << "" << true << true;
    QTest::newRow("a word") << "SMITH" << false << true;
    QTest::newRow("a number") << "42" << false << false;
    QTest::newRow("a negative number") << "-1" << false << false;
    QTest::newRow("zero") << "0" << false << true;
}

void PartyValidationTest::requiredChecks()
{
    QFETCH(QString, text);
    QFETCH(bool, textMissing);
    QFETCH(bool, numberMissing);
    AlphaMericBox field;
    field.setText(text);
    ScriptedMessages boxes;

    QCOMPARE(FormFunctions::RequiredTextMissing(&field), textMissing);
    QCOMPARE(FormFunctions::RequiredLongMissing(&field), numberMissing);
    // Each check that finds the field missing says so, once.
    QCOMPARE(boxes.texts(), QStringList(int(textMissing) + int(numberMissing), Required));
}

void PartyValidationTest::parseName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("middle");
    QTest::newRow("last, first middle") << "Smith, John Q" << "Smith" << "John" << "Q";
    QTest::newRow("space before the comma, two after") << "Smith ,  John" << "Smith" << "John" << "";
    QTest::newRow("words after the middle name") << "Smith, John Quincy Adams" << "Smith" << "John" << "Q";
    QTest::newRow("two spaces before the middle") << "Smith, John  Q" << "Smith" << "John" << " ";
    QTest::newRow("a second comma stays in the rest") << "Smith, John,Jr" << "Smith" << "John,Jr" << "";
    QTest::newRow("spaces around the whole") << "  Doe, Jane  " << "Doe" << "Jane" << "";
    QTest::newRow("no comma") << "Smith John" << "" << "" << "";
    QTest::newRow("comma first") << ",John" << "" << "" << "";
    QTest::newRow("comma last") << "Smith," << "" << "" << "";
    QTest::newRow("comma last before spaces") << "Smith,   " << "" << "" << "";
    QTest::newRow("empty") << "" << "" << "" << "";
    // Positions past 32,767 are split like any others.
    const QString last(40000, QLatin1Char('L'));
    const QString first(40000, QLatin1Char('F'));
    QTest::newRow("past 32,767 characters")
        << last + QStringLiteral(", ") + first + QStringLiteral(" M") << last << first << "M";
}

void PartyValidationTest::parseName()
{
    QFETCH(QString, name);
    QFETCH(QString, last);
    QFETCH(QString, first);
    QFETCH(QString, middle);

    const ParsedName parsed = ParseName(name);

    QCOMPARE(parsed.LastName, last);
    QCOMPARE(parsed.FirstName, first);
    QCOMPARE(parsed.MiddleInitial, middle);
}

// A change date is stored as a number of the date's digits, month first,
// and shown as text again.
void PartyValidationTest::changeDates_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("inFormat");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("January loses the month's zero") << QVariant(QDate(2026, 1, 5)) << "" << 1052026 << "01/05/2026";
    QTest::newRow("September too") << QVariant(QDateTime(QDate(2026, 9, 30), QTime(23, 59))) << "" << 9302026
                                   << "09/30/2026";
    QTest::newRow("October keeps eight digits") << QVariant(QDate(2026, 10, 1)) << "" << 10012026 << "10/01/2026";
    QTest::newRow("a text date") << QVariant(QStringLiteral("12/06/2026")) << "" << 12062026 << "12/06/2026";
    QTest::newRow("through an input picture") << QVariant(QDate(2026, 6, 23)) << "yyyyMMdd" << 6232026 << "06/23/2026";
    QTest::newRow("empty") << QVariant() << "" << 0 << "00/00/0000";
    QTest::newRow("a text that is no date") << QVariant(QStringLiteral("tomorrow")) << "" << 0 << "00/00/0000";
    QTest::newRow("an impossible date") << QVariant(QStringLiteral("02/30/2026")) << "" << 0 << "00/00/0000";
}

void PartyValidationTest::changeDates()
{
    QFETCH(QVariant, value);
    QFETCH(QString, inFormat);
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(DateTimeFunctions::DateToNumber(value, inFormat, QStringLiteral("MMddyyyy")), number);
    QCOMPARE(DateTimeFunctions::ChangeDateText(number), text);
}

void PartyValidationTest::addressChecks_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("zip");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("valid");  // a row of the zip table
    forEachEngine([](auto row) {
        row("all blank") << "" << "" << "" << 0 << true << true;
        row("blank, negative zip") << "" << "" << "" << -1 << true << true;
        row("all given") << "1 MAIN ST" << "SALEM" << "OR" << 97301 << true << true;
        row("a quote") << "1 MAIN ST" << "COEUR D'ALENE" << "ID" << 83814 << true << true;
        row("negative zip counts as given") << "1 MAIN ST" << "SALEM" << "OR" << -1 << true << false;
        row("no street") << "" << "SALEM" << "OR" << 97301 << false << true;
        row("no zip") << "1 MAIN ST" << "SALEM" << "OR" << 0 << false << false;
        row("only a zip") << "" << "" << "" << 97301 << false << false;
        row("city only") << "" << "SALEM" << "" << 0 << false << false;
        row("another state") << "1 MAIN ST" << "SALEM" << "MA" << 97301 << true << false;
    });
}

void PartyValidationTest::addressChecks()
{
    QFETCH(QString, street);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(int, zip);
    QFETCH(bool, complete);
    QFETCH(bool, valid);
    TORVA_USE_PARTY_DATABASE();
    TableObject zipTable;

    QCOMPARE(AddressComplete(street, city, state, zip), complete);
    QCOMPARE(CityStateZipValid(zipTable, city, state, zip), valid);
    // The same zip table answers again, and for another address.
    QCOMPARE(CityStateZipValid(zipTable, city, state, zip), valid);
    QCOMPARE(CityStateZipValid(zipTable, QStringLiteral("SALEM"), QStringLiteral("OR"), 97301), true);
}

QTEST_MAIN(PartyValidationTest)
#include "tst_partyvalidation.moc"
