#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datepicker.h"
#include "controls/listpopup.h"
#include "controls/zipcode.h"
#include "fixtures.h"
#include "partyform.h"
#include "userinput.h"
#include "scriptedmessages.h"
#include "testdatabase.h"

#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace Torva;

namespace {
const QString NameFormat = QStringLiteral(
    "Party names should be entered last name first, followed by a comma and a single space, then first name. ");
const QString Required = QStringLiteral("A required field is missing.");
const QString StreetComma = QStringLiteral("Street names may not contain commas.");
const QString Address = QStringLiteral("A valid address requires a street, city, state and zip-code.");
const QString CityStateZip = QStringLiteral("Invalid city, state or zip-code.");
} // namespace

class PartyValidationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksInOrder_data();
    void checksInOrder();
    void blankFirstStreetTakesTheSecond_data() { TestDatabase::addEngineRows(); }
    void blankFirstStreetTakesTheSecond();
    void duplicates_data();
    void duplicates();
    void nothingLoadedIsNotValid();
    void everyEditIsAChange_data() { TestDatabase::addEngineRows(); }
    void everyEditIsAChange();
    void pickingACityFillsZipAndState_data() { TestDatabase::addEngineRows(); }
    void pickingACityFillsZipAndState();
    void enteringAZipFillsCityAndState_data();
    void enteringAZipFillsCityAndState();
    void leavingAStreetTidiesTheLines_data() { TestDatabase::addEngineRows(); }
    void leavingAStreetTidiesTheLines();
};

void PartyValidationTest::checksInOrder_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "no name") << "name" << "" << Required << "txtPTYNAM";
        engineRow(engine, "name of spaces") << "name" << "   " << Required << "txtPTYNAM";
        engineRow(engine, "no space after the comma") << "name" << "SMITH,JOHN" << NameFormat << "txtPTYNAM";
        engineRow(engine, "comma first") << "name" << ", JOHN" << NameFormat << "txtPTYNAM";
        engineRow(engine, "no comma") << "name" << "SMITH JOHN" << NameFormat << "txtPTYNAM";
        engineRow(engine, "space before the comma is fine") << "name" << "SMITH , JOHN" << "" << "";
        engineRow(engine, "no street") << "street1" << "" << Required << "txtPTYST1";
        engineRow(engine, "comma in street 1") << "street1" << "12 MAIN ST, APT 4" << StreetComma << "txtPTYST1";
        engineRow(engine, "comma in street 2") << "street2" << "APT 4, REAR" << StreetComma << "txtPTYST2";
        engineRow(engine, "no city") << "city" << "" << Address << "txtPTYST1";
        engineRow(engine, "no state") << "state" << "" << Address << "txtPTYST1";
        engineRow(engine, "no zip") << "zip" << "0" << Address << "txtPTYST1";
        engineRow(engine, "city in another state") << "state" << "MA" << CityStateZip << "cboPTYCTY";
        engineRow(engine, "city of another zip") << "zip" << "97302" << CityStateZip << "cboPTYCTY";
        engineRow(engine, "no birth date") << "birthDate" << "0" << Required << "dtpPTYBDT";
        engineRow(engine, "unknown sex") << "sex" << "Q" << "Invalid gender." << "cboPTYSEX";
        engineRow(engine, "all good") << "" << "" << "" << "";
    }
}

void PartyValidationTest::checksInOrder()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    PartyForm form;
    // Given a valid party with one field spoiled,
    if (field == QLatin1String("name")) form.name = value;
    if (field == QLatin1String("street1")) form.street1 = value;
    if (field == QLatin1String("street2")) form.street2 = value;
    if (field == QLatin1String("city")) form.city = value;
    if (field == QLatin1String("state")) form.state = value;
    if (field == QLatin1String("zip")) form.zip = value.toInt();
    if (field == QLatin1String("birthDate")) form.birthDate = value.toInt();
    if (field == QLatin1String("sex")) form.sex = value;
    form.enterInto(host);
    host.field<AlphaMericBox>("txtPTYST2")->setFocus();
    ScriptedMessages boxes;

    // when it is checked,
    const bool hasErrors = host.editor->HasErrors();

    // then the one problem is shown once, with the focus on its field.
    QCOMPARE(hasErrors, !message.isEmpty());
    QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(boxes.messages.first().title, QStringLiteral("Error"));
        QCOMPARE(boxes.messages.first().focusedField, focus);
    }
}

void PartyValidationTest::blankFirstStreetTakesTheSecond()
{
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    PartyForm form;
    form.street1 = QStringLiteral("   ");
    form.street2 = QStringLiteral("12 MAIN ST");
    form.enterInto(host);
    ScriptedMessages boxes;

    QVERIFY(!host.editor->HasErrors());

    QCOMPARE(host.field<AlphaMericBox>("txtPTYST1")->Text(), QStringLiteral("12 MAIN ST"));
    QCOMPARE(host.field<AlphaMericBox>("txtPTYST2")->Text(), QString());
    QVERIFY(boxes.messages.isEmpty());
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
    for (const QString &engine : TestDatabase::engines()) {
        // Even with a possible duplicate on file, the same street is refused, every time.
        engineRow(engine, "same street is refused")
            << QStringList{"9 OAK ST", "12 MAIN ST"} << smith << false << QList<bool>{} << QList<bool>{true, true}
            << QStringList(2, duplicateOf6);
        // No keeps the error; Yes accepts it, and the save's own check asks no more.
        engineRow(engine, "another street asks until accepted")
            << QStringList{"9 OAK ST"} << smith << false << QList<bool>{false, true} << QList<bool>{true, false, false}
            << QStringList(2, possibleDuplicateOf5);
        // The next party entered on the same control is asked about again.
        engineRow(engine, "accepted for that party only")
            << QStringList{"9 OAK ST"} << smith << true << QList<bool>{true, false} << QList<bool>{false, true}
            << QStringList(2, possibleDuplicateOf5);
        engineRow(engine, "a party is no duplicate of itself")
            << QStringList{"12 MAIN ST"} << QString() << false << QList<bool>{} << QList<bool>{false} << QStringList();
        engineRow(engine, "percent in the name is a wildcard")
            << QStringList{"12 MAIN ST"} << "SM%, JOHN" << false << QList<bool>{} << QList<bool>{true}
            << QStringList{duplicateOf5};
    }
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
    QCOMPARE(boxes.messages.first().title, QStringLiteral("Error"));
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
        QVERIFY2(changes.count() > before, name);
    }
    // (A date of one digit is refused, with a word, when the box is left.)
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY(boxes.messages.first().text.startsWith(QLatin1String("The date is not complete.")));
    // Writing values by code is not an edit.
    const int typed = int(changes.count());
    PartyForm().enterInto(host);
    host.editor->ClearRecord();
    QCOMPARE(int(changes.count()), typed);
}

void PartyValidationTest::pickingACityFillsZipAndState()
{
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    auto *city = host.field<Combo>("cboPTYCTY");
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    // Typing a city that no row has changes nothing else,
    UserInput::keys(QStringLiteral("{Alt+Y}salemx"));
    QTRY_COMPARE(city->model().typedText(), QStringLiteral("SALEMX"));
    QCOMPARE(host.field<ZipCode>("zipPTYZIP")->Value(), 0);
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), QString());

    // while picking SALEM, MA (the first of the list) fills its zip and state.
    UserInput::press(Qt::Key_Backspace);
    QTRY_COMPARE(city->model().typedText(), QStringLiteral("SALEM"));
    QVERIFY(city->popup()->isVisible());
    const int before = int(changes.count());
    UserInput::press(Qt::Key_Return);

    QCOMPARE(city->Text(), QStringLiteral("SALEM"));
    QCOMPARE(host.field<ZipCode>("zipPTYZIP")->ZipProper(), 1970);
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), QStringLiteral("MA"));
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Value().toString(), QStringLiteral("MA"));
    QCOMPARE(int(changes.count()), before + 1);
}

void PartyValidationTest::enteringAZipFillsCityAndState_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "known") << "83814" << "COEUR D'ALENE" << "ID";
        engineRow(engine, "unknown") << "99999" << "OLD CITY" << "OR";
    }
}

void PartyValidationTest::enteringAZipFillsCityAndState()
{
    QFETCH(QString, typed);
    QFETCH(QString, city);
    QFETCH(QString, state);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    host.field<Combo>("cboPTYCTY")->setText(QStringLiteral("OLD CITY"));
    host.field<Combo>("cboPTYSTA")->setValue(QStringLiteral("OR"));
    QSignalSpy changes(host.editor, &PartyEditor::Change);
    auto *zip = host.field<ZipCode>("zipPTYZIP");

    UserInput::press(Qt::Key_Z, Qt::AltModifier);
    zip->home(false);
    UserInput::type(typed);

    QCOMPARE(host.field<Combo>("cboPTYCTY")->Text(), city);
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), state);
    QVERIFY(changes.count() > typed.size());
}

void PartyValidationTest::leavingAStreetTidiesTheLines()
{
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    auto *street1 = host.field<AlphaMericBox>("txtPTYST1");
    auto *street2 = host.field<AlphaMericBox>("txtPTYST2");
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    street2->setFocus();
    UserInput::keys(QStringLiteral("12 main st{Alt+Z}"));
    QCOMPARE(UserInput::focusWidget(), host.field<ZipCode>("zipPTYZIP"));

    QCOMPARE(street1->Text(), QStringLiteral("12 MAIN ST"));
    QCOMPARE(street2->Text(), QString());
    QCOMPARE(int(changes.count()), 10);  // the keys; the tidy-up is no edit of its own
}

QTEST_MAIN(PartyValidationTest)
#include "tst_partyvalidation.moc"
