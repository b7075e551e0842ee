#include "associationhost.h"
#include "controlrows.h"
#include "controls/alphamericbox.h"
#include "controls/datagrid.h"  // combobox.h needs the whole grid class
#include "controls/combobox.h"
#include "controls/recordsourcemodel.h"
#include "controls/zipcode.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "partyform.h"
#include "userinput.h"
#include "scriptedmessages.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

using namespace Torva;

// Whatever a user types or pastes: saved and read back as it was, searched
// as text, and never part of a statement.

namespace {

// Each payload by its row name.
QList<std::pair<const char *, QString>> payloads()
{
    const QChar nul(0);
    return {
        {"quotes", QStringLiteral("O'BRIEN \"Q\" ''")},
        {"statement", QStringLiteral("'; DROP TABLE DUVPRB.PRBPTY; --")},
        {"percent", QStringLiteral("100% SURE")},
        {"underscore", QStringLiteral("A_B_C")},
        {"backslash", QStringLiteral("C:\\TEMP\\X")},
        {"nul", QStringLiteral("A") + nul + QStringLiteral("B")},
        {"10000 characters", QString(10000, QLatin1Char('W'))},
        {"invalid UTF-8", QString::fromUtf8("AB\xC3\x28\xFF\xFE\xA0\xA1Z")},
        {"combining", QString::fromUtf8("E\xCC\x81 N\xCC\x83 A\xCC\x8A")},
        {"emoji", QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x8E\x89")},
        {"emoji over the limit", QString::fromUtf8("\xF0\x9F\x98\x80").repeated(40)},
        {"right to left",
         QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7")},
        {"only spaces", QStringLiteral("     ")},
        {"only tabs", QStringLiteral("\t\t\t")},
        {"zero width no-break space", QChar(0xFEFF) + QStringLiteral("BOM")},
    };
}

// The fields the party editor saves (each column: the name less its prefix),
// with what each needs before the payload to pass its checks.
const QMap<QString, QString> FieldPrefixes{{QStringLiteral("txtPTYNAM"), QStringLiteral("Q, ")},
                                           {QStringLiteral("txtPTYST1"), QStringLiteral("1 ")},
                                           {QStringLiteral("txtPTYST2"), QString()},
                                           {QStringLiteral("cboPTYCTY"), QStringLiteral("X")}};

// The rows of a test that takes every payload in each of the given places
// (fields, searches): "engine", the place in the named column, and "text" as
// the given function makes it from the place and the payload.
template<typename MakeText>
void addPayloadRows(const char *column, const QStringList &places, MakeText makeText)
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>(column);
    QTest::addColumn<QString>("text");
    forEachEngine([&](auto row) {
        for (const QString &place : places) {
            for (const auto &[name, payload] : payloads())
                row(qPrintable(place + QLatin1Char('/') + QLatin1String(name))) << place << makeText(place, payload);
        }
    });
}

QString shownIn(PartyEditorHost &host, const QString &field)
{
    return host.field<QWidget>(qPrintable(field))->property("Text").toString();
}

// Why a value cannot be kept by an engine, or empty when it can.
QString knownLimit(const QString &engine, const QString &text)
{
    if (engine != QLatin1String("sqlite") && text.contains(QChar(0)))
        return QStringLiteral("PostgreSQL text cannot hold the NUL character, and an ODBC driver ends a text "
                              "there: the save is refused, saying so, rather than store part of the text");
    return QString();
}

// The text cut to at most length units without cutting a character in two.
QString cutAt(const QString &text, qsizetype length)
{
    QString cut = text.left(length);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

// The listed values of a list's searched column.
QStringList listed(RecordSourceModel &model, const QString &column)
{
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.value(row, column).toString();
    return values;
}

}  // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedAndReadBackAsEntered_data();
    void savedAndReadBackAsEntered();
    void searchedAsText_data();
    void searchedAsText();
    void typedIntoTheZip_data();
    void typedIntoTheZip();
    void halfCharactersAreNotTaken_data();
    void halfCharactersAreNotTaken();
};

void HostileInputTest::savedAndReadBackAsEntered_data()
{
    addPayloadRows("field", FieldPrefixes.keys(),
                   [](const QString &field, const QString &payload) { return FieldPrefixes[field] + payload; });
}

void HostileInputTest::savedAndReadBackAsEntered()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    TORVA_USE_PARTY_DATABASE();
    QFETCH(QString, engine);

    // Given a new party with the text in one field (cut, as typing would, at the field's length),
    QString entered;
    int key = 0;
    {
        PartyEditorHost host;
        QVERIFY(PartyForm().enterAsNew(host));
        host.field<QWidget>(qPrintable(field))->setProperty("Text", text);
        entered = shownIn(host, field);
        QVERIFY(!entered.isEmpty());
        const QString limit = knownLimit(engine, entered);
        if (field == QLatin1String("cboPTYCTY")) {
            if (!limit.isEmpty())
                QSKIP(qPrintable(limit + QStringLiteral(": no zip row can hold such a city to check it against")));
            Fixtures::addZip(entered, QStringLiteral("OR"), 97301);  // the city is checked against the zip table
        }

        // when it is saved,
        bool saved = false;
        QString failure;
        try {
            saved = host.editor->SaveRecord();
        } catch (const DataAccessError &error) {
            failure = error.description();
        }
        if (!limit.isEmpty()) {
            qInfo("the engine's answer: %s", qPrintable(failure));
            QEXPECT_FAIL("", qPrintable(limit), Abort);
        }
        // (a message box would fail the test: none is scripted)
        QVERIFY2(saved && host.errors == 0 && failure.isEmpty(), qPrintable(failure));
        key = host.editor->PartyKey;
    }

    // then the table holds it exactly, and a later load shows it exactly
    // (a box cut at its length keeps no half of a character).
    const QString expected = cutAt(entered, entered.size());
    QCOMPARE(TestDatabase::value(QStringLiteral("Select %1 From DUVPRB.PRBPTY Where PTYKEY=?").arg(field.mid(3)), {key})
                 .toString(),
             expected);
    PartyEditorHost reader;
    QVERIFY(reader.editor->LoadRecord(key));
    QCOMPARE(shownIn(reader, field), expected);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
}

void HostileInputTest::searchedAsText_data()
{
    addPayloadRows("search", {QStringLiteral("name list"), QStringLiteral("city list"), QStringLiteral("duplicate")},
                   [](const QString &, const QString &payload) { return payload; });
}

void HostileInputTest::searchedAsText()
{
    QFETCH(QString, search);
    QFETCH(QString, text);
    TORVA_USE_PARTY_DATABASE();
    QFETCH(QString, engine);
    if (const QString limit = knownLimit(engine, text); !limit.isEmpty())
        QSKIP(qPrintable(limit + QStringLiteral(": nothing holding it can be stored to search for")));

    if (search == QLatin1String("duplicate")) {
        // Given a party on file with the text in its name,
        const QString name = cutAt(QStringLiteral("Q, ") + text, 20);
        Fixtures::addParty(PartyForm::onFile(1, name));
        // a new party with the same name, birth date, sex and street (the form's) is found as its duplicate.
        PartyEditorHost host;
        PartyForm form;
        form.name = name;
        QVERIFY(form.enterAsNew(host));
        // (shown as an error, or asked about when only the whole name matches; the user says No)
        ScriptedMessages boxes;
        boxes.answers = {false};
        const bool refused = host.editor->HasErrors();
        QCOMPARE(host.errors, 0);
        QVERIFY(refused);
        QVERIFY2(boxes.texts().value(0).startsWith(QLatin1String("Duplicate of party #1:")),
                 qPrintable(boxes.texts().join(QLatin1Char(';'))));
        return;
    }

    // Given a row holding the text, and one where its wildcard characters are plain letters,
    const bool names = search == QLatin1String("name list");
    const QString target = cutAt(names ? QStringLiteral("Q, ") + text : QStringLiteral("X") + text, names ? 20 : 15);
    // (every character a search might take for a wildcard made plain)
    const QString decoy = QString(target).replace(QRegularExpression(QStringLiteral(R"([%_\\])")), QStringLiteral("Q"));
    for (const QString &value : target == decoy ? QStringList{target} : QStringList{target, decoy}) {
        if (names)
            Fixtures::addParty(value == target ? 50 : 51, value);
        else
            Fixtures::addZip(value, QStringLiteral("OR"), value == target ? 97301 : 97302);
    }

    // when the list of the associations editor's name search or the party
    // editor's city box is loaded with the text,
    RecordSourceModel list;
    list.setRecordSource(names ? Statements::NameSearchSource : Statements::CityListSource);
    int errors = 0;
    connect(&list.tableObject(), &TableObject::Error, this, [&errors](int &, QString &) { ++errors; });
    list.load(target);

    // then it holds what begins with the text, and nothing else.
    const QStringList found = listed(list, names ? QStringLiteral("PTYNAM") : QStringLiteral("ZIPCTY"));
    QCOMPARE(errors, 0);
    QVERIFY(found.contains(target));
    for (const QString &value : found)
        QCOMPARE(value.left(target.size()), target);
}

void HostileInputTest::typedIntoTheZip_data()
{
    addPayloadRows("field", {QStringLiteral("zipPTYZIP")},
                   [](const QString &, const QString &payload) { return payload.left(40); });
}

void HostileInputTest::typedIntoTheZip()
{
    QFETCH(QString, text);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    ZipCode *zip = host.field<ZipCode>("zipPTYZIP");
    zip->setFocus();

    // Typing the text, pasting all of it, typing a zip and leaving the box
    // looks up nothing and takes no letters.
    UserInput::type(text);
    QGuiApplication::clipboard()->setText(text);
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    UserInput::keys(QStringLiteral("97301{Alt+T}"));
    QCOMPARE(UserInput::focusWidget(), host.field<AlphaMericBox>("txtPTYST1"));

    QCOMPARE(host.errors, 0);
    static const QRegularExpression notAZip(QStringLiteral("[^0-9_ -]"));  // digits, blanks and the dash only
    QVERIFY2(!zip->displayText().contains(notAZip), qPrintable(zip->displayText()));
}

void HostileInputTest::halfCharactersAreNotTaken_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("full");  // the box one unit short of its length
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QChar high(0xD83D);
    const QChar low(0xDE00);
    const QList<std::tuple<const char *, QString, bool>> pastes{
        {"whole character", emoji, false},
        {"first half then a letter", high + QStringLiteral("B"), false},
        {"first half last", QStringLiteral("B") + high, false},
        {"second half", QStringLiteral("B") + low, false},
        {"halves in the wrong order", QString(low) + high, false},
        {"whole character with room for half", emoji, true},
    };
    forEachEngine([&pastes](auto row) {
        for (const char *box : {"txtPTYNAM", "txtPTYST1", "cboPTYCTY", "name search"}) {
            for (const auto &[name, pasted, full] : pastes)
                row(qPrintable(QStringLiteral("%1/%2").arg(QLatin1String(box), QLatin1String(name))))
                    << QString::fromLatin1(box) << pasted << full;
        }
    });
}

void HostileInputTest::halfCharactersAreNotTaken()
{
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(bool, full);
    TORVA_USE_PARTY_DATABASE();

    // Given a box of the party editor or the name search with text in it,
    std::unique_ptr<PartyEditorHost> party;
    std::unique_ptr<ClientTwelveHost> associations;
    QLineEdit *edit = nullptr;
    if (box == QLatin1String("name search")) {
        associations = std::make_unique<ClientTwelveHost>();
        associations->editor->PreparePopupMenu(associations->row(QStringLiteral("Wards")));
        associations->editor->popupMenu()->findChild<QAction *>(QStringLiteral("mnuPopNew"))->trigger();
        edit = associations->editor->nameSearch()->findChild<QLineEdit *>();
    } else {
        party = std::make_unique<PartyEditorHost>();
        QVERIFY(party->editor->AddRecord());
        auto *field = party->field<QWidget>(qPrintable(box));
        edit = qobject_cast<QLineEdit *>(field) ? qobject_cast<QLineEdit *>(field) : field->findChild<QLineEdit *>();
        edit->setFocus();
    }
    QVERIFY(edit && edit->hasFocus());
    const QString before = full ? QString(edit->maxLength() - 1, QLatin1Char('A')) : QStringLiteral("AB");
    QGuiApplication::clipboard()->setText(before);
    UserInput::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), before);

    // when text is pasted at its start,
    UserInput::press(Qt::Key_Home);
    QGuiApplication::clipboard()->setText(pasted);
    UserInput::press(Qt::Key_V, Qt::ControlModifier);

    // then text holding half of a UTF-16 pair does not enter at all, and a
    // character enters whole or not at all.
    const bool taken = pasted.isValidUtf16() && !full;
    QCOMPARE(edit->text(), taken ? pasted + before : before);
    QVERIFY(edit->text().isValidUtf16());
}

QTEST_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"
