#include "fields/addressfunctions.h"
#include "fields/datetimefunctions.h"
#include "fields/formfunctions.h"
#include "fields/parsename.h"
#include "controls/alphamericbox.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "scriptedmessages.h"
#include "testdatabase.h"

#include <QLineEdit>
#include <QtTest>

using namespace Torva;

using namespace FormFunctions;
using namespace AddressFunctions;

namespace {
struct Form
{
    QWidget window;
    AlphaMericBox *field = new AlphaMericBox(&window);
    AlphaMericBox *second = new AlphaMericBox(&window);
    QLineEdit *elsewhere = new QLineEdit(&window);

    Form()
    {
        field->setObjectName(QStringLiteral("txtPTYST1"));
        second->setObjectName(QStringLiteral("txtPTYST2"));
        second->move(0, 30);
        elsewhere->move(0, 60);
        window.show();
        window.activateWindow();
        if (QTest::qWaitForWindowActive(&window))
            elsewhere->setFocus();
    }
};
} // namespace

class FieldRoutinesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showFieldError_data();
    void showFieldError();
    void requiredChecks_data();
    void requiredChecks();
    void parseName_data();
    void parseName();
    void dateToNumber_data();
    void dateToNumber();
    void changeDateText_data();
    void changeDateText();
    void addressComplete_data();
    void addressComplete();
    void cityStateZipValid_data();
    void cityStateZipValid();
    void compactStreetLines_data();
    void compactStreetLines();
};

void FieldRoutinesTest::showFieldError_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("focused");
    QTest::newRow("enabled field") << true << "Invalid gender." << true;
    QTest::newRow("disabled field keeps the focus where it is") << false << "Invalid gender." << false;
    QTest::newRow("no message, only the focus") << true << "" << true;
}

void FieldRoutinesTest::showFieldError()
{
    QFETCH(bool, enabled);
    QFETCH(QString, message);
    QFETCH(bool, focused);
    Form form;
    ScriptedMessages boxes;
    form.field->setEnabled(enabled);

    ShowFieldError(form.field, message);

    QCOMPARE(form.field->hasFocus(), focused);
    QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(boxes.messages.first().title, QStringLiteral("Error"));
        QVERIFY(!boxes.messages.first().question);
        // The focus moved before the message box came up.
        QCOMPARE(boxes.messages.first().focusedField, focused ? QStringLiteral("txtPTYST1") : QString());
    }
}

void FieldRoutinesTest::requiredChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("textMissing");
    QTest::addColumn<bool>("numberMissing");
    QTest::newRow("empty") << "" << true << true;
    QTest::newRow("spaces only") << "   " << true << true;
    QTest::newRow("a tab") << "\t" << false << true;
    QTest::newRow("a word") << "SMITH" << false << true;
    QTest::newRow("a number") << "42" << false << false;
    QTest::newRow("a negative number") << "-1" << false << false;
    QTest::newRow("zero") << "0" << false << true;
}

void FieldRoutinesTest::requiredChecks()
{
    QFETCH(QString, text);
    QFETCH(bool, textMissing);
    QFETCH(bool, numberMissing);
    Form form;
    ScriptedMessages boxes;
    form.field->setText(text);

    QCOMPARE(RequiredTextMissing(form.field), textMissing);
    QCOMPARE(RequiredLongMissing(form.field), numberMissing);

    // Each check that finds the field missing says so once, with the focus on it.
    QCOMPARE(boxes.messages.size(), int(textMissing) + int(numberMissing));
    for (const ScriptedMessages::Message &shown : boxes.messages) {
        QCOMPARE(shown.text, QStringLiteral("A required field is missing."));
        QCOMPARE(shown.focusedField, QStringLiteral("txtPTYST1"));
    }
}

void FieldRoutinesTest::parseName_data()
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

void FieldRoutinesTest::parseName()
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

void FieldRoutinesTest::dateToNumber_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("inFormat");
    QTest::addColumn<int>("number");
    QTest::newRow("January loses the month's zero") << QVariant(QDate(2026, 1, 5)) << "" << 1052026;
    QTest::newRow("September too") << QVariant(QDateTime(QDate(2026, 9, 30), QTime(23, 59))) << "" << 9302026;
    QTest::newRow("October keeps eight digits") << QVariant(QDate(2026, 10, 1)) << "" << 10012026;
    QTest::newRow("a text date") << QVariant(QStringLiteral("12/06/2026")) << "" << 12062026;
    QTest::newRow("through an input picture") << QVariant(QDate(2026, 6, 23)) << "yyyyMMdd" << 6232026;
    QTest::newRow("empty") << QVariant() << "" << 0;
    QTest::newRow("a text that is no date") << QVariant(QStringLiteral("tomorrow")) << "" << 0;
    QTest::newRow("an impossible date") << QVariant(QStringLiteral("02/30/2026")) << "" << 0;
}

void FieldRoutinesTest::dateToNumber()
{
    QFETCH(QVariant, value);
    QFETCH(QString, inFormat);
    QFETCH(int, number);
    QCOMPARE(DateTimeFunctions::DateToNumber(value, inFormat, QStringLiteral("MMddyyyy")), number);
}

void FieldRoutinesTest::changeDateText_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("seven digits") << 1052026 << "01/05/2026";
    QTest::newRow("eight digits") << 12062026 << "12/06/2026";
    QTest::newRow("none") << 0 << "00/00/0000";
}

void FieldRoutinesTest::changeDateText()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(DateTimeFunctions::ChangeDateText(number), text);
}

void FieldRoutinesTest::addressComplete_data()
{
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("zip");
    QTest::addColumn<bool>("complete");
    QTest::newRow("all blank") << "" << "" << "" << 0 << true;
    QTest::newRow("blank, negative zip") << "" << "" << "" << -1 << true;
    QTest::newRow("all given") << "1 MAIN ST" << "SALEM" << "OR" << 97301 << true;
    QTest::newRow("negative zip counts as given") << "1 MAIN ST" << "SALEM" << "OR" << -1 << true;
    QTest::newRow("no street") << "" << "SALEM" << "OR" << 97301 << false;
    QTest::newRow("no zip") << "1 MAIN ST" << "SALEM" << "OR" << 0 << false;
    QTest::newRow("only a zip") << "" << "" << "" << 97301 << false;
}

void FieldRoutinesTest::addressComplete()
{
    QFETCH(QString, street);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(int, zip);
    QFETCH(bool, complete);
    QCOMPARE(AddressComplete(street, city, state, zip), complete);
}

void FieldRoutinesTest::cityStateZipValid_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("zip");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("asked");
    for (const QString &engine : TestDatabase::engines()) {
        const QByteArray e = engine.toLatin1();
        QTest::addRow("%s/a row", e.constData()) << engine << "SALEM" << "OR" << 97301 << true << true;
        QTest::addRow("%s/a quote", e.constData()) << engine << "COEUR D'ALENE" << "ID" << 83814 << true << true;
        QTest::addRow("%s/another state", e.constData()) << engine << "SALEM" << "MA" << 97301 << false << true;
        QTest::addRow("%s/zip 0", e.constData()) << engine << "SALEM" << "OR" << 0 << false << true;
        QTest::addRow("%s/city only", e.constData()) << engine << "SALEM" << "" << 0 << false << true;
        QTest::addRow("%s/all blank", e.constData()) << engine << "" << "" << 0 << true << false;
    }
}

void FieldRoutinesTest::cityStateZipValid()
{
    QFETCH(QString, engine);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(int, zip);
    QFETCH(bool, valid);
    QFETCH(bool, asked);
    TORVA_USE_DATABASE(engine);
    Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("OR"), 97301);
    Fixtures::addZip(QStringLiteral("COEUR D'ALENE"), QStringLiteral("ID"), 83814);
    TableObject zipTable;

    QCOMPARE(CityStateZipValid(zipTable, city, state, zip), valid);
    // A blank address never asks the database; the lookup is set once and kept.
    QCOMPARE(zipTable.SQL(), asked ? Statements::ZipLookup : QString());
    QCOMPARE(zipTable.Prepared(), asked);
    QCOMPARE(CityStateZipValid(zipTable, city, state, zip), valid);
    QCOMPARE(CityStateZipValid(zipTable, QStringLiteral("SALEM"), QStringLiteral("OR"), 97301), true);
    QCOMPARE(zipTable.SQL(), Statements::ZipLookup);
}

void FieldRoutinesTest::compactStreetLines_data()
{
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<QString>("after1");
    QTest::addColumn<QString>("after2");
    QTest::newRow("blank first takes the second") << "" << "12 MAIN ST" << "12 MAIN ST" << "";
    QTest::newRow("spaces only first takes it as it is") << "   " << " 12 MAIN ST " << " 12 MAIN ST " << "";
    QTest::newRow("both given") << "1 ELM ST" << "APT 4" << "1 ELM ST" << "APT 4";
    QTest::newRow("first only") << "1 ELM ST" << "" << "1 ELM ST" << "";
    QTest::newRow("spaces and nothing") << "   " << "" << "   " << "";
    QTest::newRow("a tab is not blank") << "\t" << "APT 4" << "\t" << "APT 4";
}

void FieldRoutinesTest::compactStreetLines()
{
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    QFETCH(QString, after1);
    QFETCH(QString, after2);
    AlphaMericBox first;
    AlphaMericBox second;
    first.setText(line1);
    second.setText(line2);

    CompactStreetLines(&first, &second);

    QCOMPARE(first.Text(), after1);
    QCOMPARE(second.Text(), after2);
}

QTEST_MAIN(FieldRoutinesTest)
#include "tst_fieldroutines.moc"
