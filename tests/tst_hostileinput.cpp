#include "associationfixture.h"
#include "associationhost.h"
#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datagrid.h"  // combobox.h needs the whole grid class
#include "controls/combobox.h"
#include "controls/recordsourcemodel.h"
#include "controls/zipcode.h"
#include "data/dataaccesserror.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "partyeditorhost.h"
#include "partyform.h"
#include "userinput.h"
#include "scriptedmessages.h"
#include "testdatabase.h"

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

struct Payload
{
    const char *name;
    QString text;
};

QList<Payload> payloads()
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

// A field the party editor saves, with what it needs before the payload to pass its checks.
struct Field
{
    const char *name;
    const char *column;
    QString prefix;
};

const QList<Field> Fields{{"txtPTYNAM", "PTYNAM", QStringLiteral("Q, ")},
                          {"txtPTYST1", "PTYST1", QStringLiteral("1 ")},
                          {"txtPTYST2", "PTYST2", QString()},
                          {"cboPTYCTY", "PTYCTY", QStringLiteral("X")}};

QString shownIn(PartyEditorHost &host, const QString &field)
{
    if (field.startsWith(QLatin1String("cbo")))
        return host.field<Combo>(qPrintable(field))->Text();
    return host.field<AlphaMericBox>(qPrintable(field))->Text();
}

// Writes text as the user leaves it in the field; returns what the field then holds.
QString enter(PartyEditorHost &host, const QString &field, const QString &text)
{
    if (field.startsWith(QLatin1String("cbo")))
        host.field<Combo>(qPrintable(field))->setText(text);
    else
        host.field<AlphaMericBox>(qPrintable(field))->setText(text);
    return shownIn(host, field);
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

QString visible(const QString &text)
{
    QString shown;
    for (const QChar c : text.left(40))
        shown += c.isPrint() && c.unicode() < 0x7f ? QString(c)
                                                   : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return shown + (text.size() > 40 ? QStringLiteral("...(%1)").arg(text.size()) : QString());
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

// The same text with every character a search might take for a wildcard made plain.
QString decoyOf(const QString &text)
{
    QString decoy = text;
    for (const QChar wildcard : {QLatin1Char('%'), QLatin1Char('_'), QLatin1Char('\\')})
        decoy.replace(wildcard, QLatin1Char('Q'));
    return decoy;
}

}  // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_boxes = std::make_unique<ScriptedMessages>(); }
    void cleanup() { m_boxes.reset(); }

    void savedAndReadBackAsEntered_data();
    void savedAndReadBackAsEntered();
    void searchedAsText_data();
    void searchedAsText();
    void typedIntoTheZip_data();
    void typedIntoTheZip();
    void halfCharactersAreNotTaken_data();
    void halfCharactersAreNotTaken();

private:
    std::unique_ptr<ScriptedMessages> m_boxes;
};

void HostileInputTest::savedAndReadBackAsEntered_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    for (const QString &engine : TestDatabase::engines()) {
        for (const Field &field : Fields) {
            for (const Payload &payload : payloads())
                QTest::addRow("%s/%s/%s", qPrintable(engine), field.name, payload.name)
                    << engine << QString::fromLatin1(field.name) << QString::fromLatin1(field.column)
                    << field.prefix + payload.text;
        }
    }
}

void HostileInputTest::savedAndReadBackAsEntered()
{
    QFETCH(QString, field);
    QFETCH(QString, column);
    QFETCH(QString, text);
    TORVA_USE_PARTY_DATABASE();
    QFETCH(QString, engine);

    // Given a new party with the text in one field (cut, as typing would, at the field's length),
    QString entered;
    int key = 0;
    {
        PartyEditorHost host;
        QVERIFY(PartyForm().enterAsNew(host));
        entered = enter(host, field, text);
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
        QVERIFY2(
            saved && host.errors == 0 && failure.isEmpty(),
            qPrintable(
                QStringLiteral("%1 -> %2 %3").arg(visible(entered), failure, m_boxes->texts().join(QLatin1Char(';')))));
        QCOMPARE(m_boxes->messages.size(), 0);
        key = host.editor->PartyKey;
    }

    // then the table holds it exactly, and a later load shows it exactly.
    // (a box cut at its length keeps no half of a character)
    const QString expected = cutAt(entered, entered.size());
    const QString stored =
        TestDatabase::value(QStringLiteral("Select %1 From DUVPRB.PRBPTY Where PTYKEY=?").arg(column), {key})
            .toString();
    QVERIFY2(stored == expected, qPrintable(visible(stored) + QStringLiteral(" != ") + visible(expected)));
    PartyEditorHost reader;
    QVERIFY(reader.editor->LoadRecord(key));
    const QString shown = shownIn(reader, field);
    QVERIFY2(shown == expected, qPrintable(visible(shown) + QStringLiteral(" != ") + visible(expected)));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
}

void HostileInputTest::searchedAsText_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("text");
    const QStringList searches{QStringLiteral("name list"), QStringLiteral("city list"), QStringLiteral("duplicate")};
    for (const QString &engine : TestDatabase::engines()) {
        for (const QString &search : searches) {
            for (const Payload &payload : payloads())
                QTest::addRow("%s/%s/%s", qPrintable(engine), qPrintable(search), payload.name)
                    << engine << search << payload.text;
        }
    }
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
        m_boxes->answers = {false};
        const bool refused = host.editor->HasErrors();
        QCOMPARE(host.errors, 0);
        QVERIFY2(refused && !m_boxes->texts().isEmpty()
                     && m_boxes->texts().first().startsWith(QLatin1String("Duplicate of party #1:")),
                 qPrintable(visible(name) + QStringLiteral(" -> ") + m_boxes->texts().join(QLatin1Char(';'))));
        return;
    }

    // Given a row holding the text, and one where its wildcard characters are plain letters,
    int errors = 0;
    const bool names = search == QLatin1String("name list");
    const QString target = cutAt(names ? QStringLiteral("Q, ") + text : QStringLiteral("X") + text, names ? 20 : 15);
    const QString decoy = decoyOf(target);
    QStringList found;
    if (names) {
        AssociationFixture::seedClientTwelve();
        Fixtures::addParty(50, target);
        if (decoy != target)
            Fixtures::addParty(51, decoy);
        AssociationHost host;
        host.load();
        connect(host.editor, &PartiesEditor::Error, this, [&errors](TableObject *&) { ++errors; });
        // when the text is searched for,
        host.editor->nameSearch()->listModel().load(target);
        found = listed(host.editor->nameSearch()->listModel(), QStringLiteral("PTYNAM"));
    } else {
        Fixtures::addZip(target, QStringLiteral("OR"), 97301);
        if (decoy != target)
            Fixtures::addZip(decoy, QStringLiteral("OR"), 97302);
        PartyEditorHost host;
        QVERIFY(host.editor->AddRecord());
        host.field<Combo>("cboPTYCTY")->model().load(target);
        found = listed(host.field<Combo>("cboPTYCTY")->model(), QStringLiteral("ZIPCTY"));
        errors = host.errors;
    }

    // then the list holds what begins with the text, and nothing else.
    QCOMPARE(errors, 0);
    QVERIFY2(found.contains(target),
             qPrintable(visible(target) + QStringLiteral(" not in ") + found.join(QLatin1Char(';'))));
    for (const QString &value : std::as_const(found))
        QVERIFY2(value.startsWith(target),
                 qPrintable(visible(value) + QStringLiteral(" listed for ") + visible(target)));
}

void HostileInputTest::typedIntoTheZip_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("text");
    for (const QString &engine : TestDatabase::engines()) {
        for (const Payload &payload : payloads())
            QTest::addRow("%s/%s", qPrintable(engine), payload.name) << engine << payload.text.left(40);
    }
}

void HostileInputTest::typedIntoTheZip()
{
    QFETCH(QString, text);
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    ZipCode *zip = host.field<ZipCode>("zipPTYZIP");
    zip->setFocus();

    // Typing the text (the test tool types plain ASCII only), pasting all of
    // it, typing a zip and leaving the box looks up nothing and takes no letters.
    QString typable;
    for (const QChar c : text) {
        if ((c.unicode() >= 0x20 && c.unicode() < 0x7f) || c == QLatin1Char('\t'))
            typable += c;
    }
    UserInput::type(typable);
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
    QTest::addColumn<bool>("taken");
    QTest::addColumn<bool>("full");  // the box one unit short of its length
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QChar high(0xD83D);
    const QChar low(0xDE00);
    const QList<std::tuple<const char *, QString, bool, bool>> pastes{
        {"whole character", emoji, true, false},
        {"first half then a letter", high + QStringLiteral("B"), false, false},
        {"first half last", QStringLiteral("B") + high, false, false},
        {"second half", QStringLiteral("B") + low, false, false},
        {"halves in the wrong order", QString(low) + high, false, false},
        {"whole character with room for half", emoji, false, true},
    };
    for (const QString &engine : TestDatabase::engines()) {
        for (const char *box : {"txtPTYNAM", "txtPTYST1", "cboPTYCTY", "name search"}) {
            for (const auto &[name, pasted, taken, full] : pastes)
                QTest::addRow("%s/%s/%s", qPrintable(engine), box, name)
                    << engine << QString::fromLatin1(box) << pasted << taken << full;
        }
    }
}

void HostileInputTest::halfCharactersAreNotTaken()
{
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(bool, taken);
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
    QCOMPARE(edit->text(), taken ? pasted + before : before);
    QVERIFY(edit->text().isValidUtf16());
}

QTEST_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"
