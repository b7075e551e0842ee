#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datepicker.h"
#include "controls/listpopup.h"
#include "controls/zipcode.h"
#include "fixtures.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "testdatabase.h"

#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {
const QString NameFormat = QStringLiteral(
    "Party names should be entered last name first, followed by a comma and a single space, then first name. ");
const QString Required = QStringLiteral("A required field is missing.");
const QString StreetComma = QStringLiteral("Street names may not contain commas.");
const QString Address = QStringLiteral("A valid address requires a street, city, state and zip-code.");

// A party on file that the form's values duplicate.
void addDuplicate(int key, const QString &street)
{
    Fixtures::addParty(PartyForm::onFile(key, QStringLiteral("SMITH, JOHN Q"), street));
}
} // namespace

class PartyValidationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksInOrder_data();
    void checksInOrder();
    void blankFirstStreetTakesTheSecond_data() { TestDatabase::addEngineRows(); }
    void blankFirstStreetTakesTheSecond();
    void duplicateWithTheSameStreetIsAnError_data() { TestDatabase::addEngineRows(); }
    void duplicateWithTheSameStreetIsAnError();
    void possibleDuplicateAsksOnce_data() { TestDatabase::addEngineRows(); }
    void possibleDuplicateAsksOnce();
    void acceptingADuplicateIsForOnePartyOnly_data() { TestDatabase::addEngineRows(); }
    void acceptingADuplicateIsForOnePartyOnly();
    void partyNeverDuplicatesItself_data() { TestDatabase::addEngineRows(); }
    void partyNeverDuplicatesItself();
    void percentInTheNameIsAWildcard_data() { TestDatabase::addEngineRows(); }
    void percentInTheNameIsAWildcard();
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
        auto row = [&engine](const char *name) { return &(QTest::addRow("%s/%s", qPrintable(engine), name) << engine); };
        *row("no name") << "name" << "" << Required << "txtPTYNAM";
        *row("name of spaces") << "name" << "   " << Required << "txtPTYNAM";
        *row("no space after the comma") << "name" << "SMITH,JOHN" << NameFormat << "txtPTYNAM";
        *row("comma first") << "name" << ", JOHN" << NameFormat << "txtPTYNAM";
        *row("no comma") << "name" << "SMITH JOHN" << NameFormat << "txtPTYNAM";
        *row("space before the comma is fine") << "name" << "SMITH , JOHN" << "" << "";
        *row("no street") << "street1" << "" << Required << "txtPTYST1";
        *row("comma in street 1") << "street1" << "12 MAIN ST, APT 4" << StreetComma << "txtPTYST1";
        *row("comma in street 2") << "street2" << "APT 4, REAR" << StreetComma << "txtPTYST2";
        *row("no city") << "city" << "" << Address << "txtPTYST1";
        *row("no state") << "state" << "" << Address << "txtPTYST1";
        *row("no zip") << "zip" << "0" << Address << "txtPTYST1";
        *row("city in another state") << "state" << "MA" << "Invalid city, state or zip-code." << "cboPTYCTY";
        *row("city of another zip") << "zip" << "97302" << "Invalid city, state or zip-code." << "cboPTYCTY";
        *row("no birth date") << "birthDate" << "0" << Required << "dtpPTYBDT";
        *row("unknown sex") << "sex" << "Q" << "Invalid gender." << "cboPTYSEX";
        *row("all good") << "" << "" << "" << "";
    }
}

void PartyValidationTest::checksInOrder()
{
    QFETCH(QString, engine);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
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
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
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

void PartyValidationTest::duplicateWithTheSameStreetIsAnError()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    addDuplicate(5, QStringLiteral("9 OAK ST"));
    addDuplicate(123, QStringLiteral("12 MAIN ST"));
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));
    ScriptedMessages boxes;

    // Even after a possible duplicate was accepted, the same street is refused.
    for (int check = 0; check < 2; ++check)
        QVERIFY(host.editor->HasErrors());

    QCOMPARE(boxes.texts(), QStringList(2, QStringLiteral("Duplicate of party #123:SMITH, JOHN Q")));
    QVERIFY(!boxes.messages.first().question);
    QCOMPARE(boxes.messages.first().focusedField, QStringLiteral("txtPTYNAM"));
}

void PartyValidationTest::possibleDuplicateAsksOnce()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    addDuplicate(5, QStringLiteral("9 OAK ST"));
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));
    ScriptedMessages boxes;
    boxes.answers = {false, true};

    // No keeps the error; Yes accepts it, and the save's own check asks no more.
    QVERIFY(host.editor->HasErrors());
    QVERIFY(!host.editor->HasErrors());
    QVERIFY(!host.editor->HasErrors());

    QCOMPARE(boxes.texts(), QStringList(2, QStringLiteral("Duplicate of party #5:SMITH, JOHN Q Override?")));
    QVERIFY(boxes.messages.first().question);
    QCOMPARE(boxes.messages.first().title, QStringLiteral("Error"));
}

void PartyValidationTest::acceptingADuplicateIsForOnePartyOnly()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    addDuplicate(5, QStringLiteral("9 OAK ST"));
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));
    ScriptedMessages boxes;
    QVERIFY(!host.editor->HasErrors());

    // The next party entered on the same control is asked about again.
    QVERIFY(PartyForm().enterAsNew(host));
    boxes.answers = {false};
    QVERIFY(host.editor->HasErrors());
    QCOMPARE(boxes.messages.size(), 2);
}

void PartyValidationTest::partyNeverDuplicatesItself()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    addDuplicate(5, QStringLiteral("12 MAIN ST"));
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(5));
    ScriptedMessages boxes;

    QVERIFY(!host.editor->HasErrors());
    QVERIFY(boxes.messages.isEmpty());
}

void PartyValidationTest::percentInTheNameIsAWildcard()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    addDuplicate(5, QStringLiteral("12 MAIN ST"));
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    PartyForm form;
    form.name = QStringLiteral("SM%, JOHN");
    form.enterInto(host);
    ScriptedMessages boxes;

    QVERIFY(host.editor->HasErrors());
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Duplicate of party #5:SMITH, JOHN Q")});
}

void PartyValidationTest::nothingLoadedIsNotValid()
{
    PartyEditor editor;
    ScriptedMessages boxes;

    QVERIFY(editor.HasErrors());
    QVERIFY(!editor.SaveRecord());
    QVERIFY(!editor.DeleteRecord());
    QVERIFY(boxes.messages.isEmpty());
}

void PartyValidationTest::everyEditIsAChange()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
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
        QTest::keyClicks(input, QStringLiteral("1"));
        QVERIFY2(changes.count() > before, name);
    }
    // Writing values by code is not an edit.
    const int typed = int(changes.count());
    PartyForm().enterInto(host);
    host.editor->ClearRecord();
    QCOMPARE(int(changes.count()), typed);
}

void PartyValidationTest::pickingACityFillsZipAndState()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    auto *city = host.field<Combo>("cboPTYCTY");
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    // Typing a city that no row has changes nothing else,
    city->SetFocus();
    QTest::keyClicks(city->lineEdit(), QStringLiteral("SALEMX"));
    QTRY_COMPARE(city->model().typedText(), QStringLiteral("SALEMX"));
    QCOMPARE(host.field<ZipCode>("zipPTYZIP")->Value(), 0);
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), QString());

    // while picking SALEM, MA (the first of the list) fills its zip and state.
    QTest::keyClick(city->lineEdit(), Qt::Key_Backspace);
    QTRY_COMPARE(city->model().typedText(), QStringLiteral("SALEM"));
    QVERIFY(city->popup()->isVisible());
    const int before = int(changes.count());
    QTest::keyClick(city->popup()->view(), Qt::Key_Return);

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
        QTest::addRow("%s/known", qPrintable(engine)) << engine << "83814" << "COEUR D'ALENE" << "ID";
        QTest::addRow("%s/unknown", qPrintable(engine)) << engine << "99999" << "OLD CITY" << "OR";
    }
}

void PartyValidationTest::enteringAZipFillsCityAndState()
{
    QFETCH(QString, engine);
    QFETCH(QString, typed);
    QFETCH(QString, city);
    QFETCH(QString, state);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    host.field<Combo>("cboPTYCTY")->setText(QStringLiteral("OLD CITY"));
    host.field<Combo>("cboPTYSTA")->setValue(QStringLiteral("OR"));
    QSignalSpy changes(host.editor, &PartyEditor::Change);
    auto *zip = host.field<ZipCode>("zipPTYZIP");

    zip->setFocus();
    zip->home(false);
    QTest::keyClicks(zip, typed);

    QCOMPARE(host.field<Combo>("cboPTYCTY")->Text(), city);
    QCOMPARE(host.field<Combo>("cboPTYSTA")->Text(), state);
    QVERIFY(changes.count() > typed.size());
}

void PartyValidationTest::leavingAStreetTidiesTheLines()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    PartyForm::seedCodes();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    auto *street1 = host.field<AlphaMericBox>("txtPTYST1");
    auto *street2 = host.field<AlphaMericBox>("txtPTYST2");
    QSignalSpy changes(host.editor, &PartyEditor::Change);

    street2->setFocus();
    QTest::keyClicks(street2, QStringLiteral("12 main st"));
    host.field<ZipCode>("zipPTYZIP")->setFocus(Qt::TabFocusReason);

    QCOMPARE(street1->Text(), QStringLiteral("12 MAIN ST"));
    QCOMPARE(street2->Text(), QString());
    QCOMPARE(int(changes.count()), 10);  // the keys; the tidy-up is no edit of its own
}

QTEST_MAIN(PartyValidationTest)
#include "tst_partyvalidation.moc"
