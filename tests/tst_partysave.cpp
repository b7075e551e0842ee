#include "base/clock.h"
#include "controls/alphamericbox.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "hookguard.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "testdatabase.h"

#include <QtTest>

#include <memory>

using namespace Torva;

namespace {

QStringList storedParty(int key)
{
    TableObject table;
    table.Execute(QStringLiteral("Select PTYKEY,PTYNAM,PTYST1,PTYST2,PTYCTY,PTYSTA,PTYZIP,PTYCTR,PTYIZP,PTYHOMPHN,"
                                 "PTYWRKPHN,PTYCELPHN,PTYBDT,PTYSEX,PTYUDT,PTYUSR From DUVPRB.PRBPTY Where PTYKEY=?"),
                  QVariantList{key});
    QStringList values;
    for (const QString &field : table.FieldNames())
        values << (table.Eof() ? QString() : table.FieldValue(field).toString());
    return values;
}

// The text columns of a party row.
const QStringList PartyTexts{"PTYNAM", "PTYST1", "PTYST2", "PTYCTY", "PTYSTA", "PTYCTR", "PTYIZP", "PTYSEX", "PTYUSR"};

// Another user's own connection to the same database.
std::unique_ptr<Connection> otherUser()
{
    return std::make_unique<Connection>(DatabaseLocation::parse(TestDatabase::location()), false);
}

} // namespace

class PartySaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup()
    {
        Clock::unpin();
        Database::setUserName(QString());
    }
    void engines_data() { TestDatabase::addEngineRows(); }

    void newPartyTakesTheNextKey_data();
    void newPartyTakesTheNextKey();
    void savesAllSixteenValues_data() { engines_data(); }
    void savesAllSixteenValues();
    void noTextIsWrittenNull_data();
    void noTextIsWrittenNull();
    void invalidPartyWritesNothing_data() { engines_data(); }
    void invalidPartyWritesNothing();
    void deleteCountsTheRow_data() { engines_data(); }
    void deleteCountsTheRow();
    void keyTakenMeanwhileIsTriedAgain_data() { engines_data(); }
    void keyTakenMeanwhileIsTriedAgain();
    void updateOfAVanishedPartyFails_data() { engines_data(); }
    void updateOfAVanishedPartyFails();
    void refusedLoadWritesNothing_data();
    void refusedLoadWritesNothing();
    void viewerWritesNothing_data();
    void viewerWritesNothing();

private:
    std::unique_ptr<ScriptedMessages> m_boxes;
};

void PartySaveTest::init()
{
    Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0)));
    m_boxes.reset();  // the old one uninstalls itself, so it goes first
    m_boxes = std::make_unique<ScriptedMessages>();
}

void PartySaveTest::newPartyTakesTheNextKey_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QList<int>>("existing");
    QTest::addColumn<int>("key");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "first ever") << QList<int>{} << 1;
        engineRow(engine, "after gaps") << QList<int>{1, 2, 41} << 42;
    }
}

void PartySaveTest::newPartyTakesTheNextKey()
{
    QFETCH(QList<int>, existing);
    QFETCH(int, key);
    TORVA_USE_PARTY_DATABASE();
    for (const int taken : existing)
        Fixtures::addParty(taken, QStringLiteral("TAKEN, KEY %1").arg(taken), 19500101);
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));

    QVERIFY(host.editor->SaveRecord());

    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(storedParty(key).value(1), QStringLiteral("SMITH, JOHN Q"));
    QVERIFY(m_boxes->messages.isEmpty());
    // Nobody else can open the party while this editor may still save it,
    PartyEditorHost other;
    QVERIFY(!other.editor->LoadRecord(key));
    QVERIFY(other.editor->LockedBy().has_value());
    // and its next save updates what the first inserted.
    host.field<AlphaMericBox>("txtPTYST1")->setText(QStringLiteral("99 ELM ST"));
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), int(existing.size()) + 1);
    QCOMPARE(storedParty(key).value(2), QStringLiteral("99 ELM ST"));
}

void PartySaveTest::savesAllSixteenValues()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("SMITH, JOHN Q")));
    TestDatabase::exec(QStringLiteral("Update DUVPRB.PRBPTY Set PTYCTR='US',PTYIZP='X1' Where PTYKEY=5"));
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(5));
    PartyForm form;
    form.name = QStringLiteral("DOE, JANE");
    form.street2 = QStringLiteral("APT 4");
    form.zip = 973011234;
    form.workPhone = 5035550111;
    form.cellPhone = 5035550122;
    form.birthDate = 19700623;
    form.sex = QStringLiteral("F");
    form.enterInto(host);

    QVERIFY(host.editor->SaveRecord());

    // The key stays; the country and further postal code are written empty;
    // the change is stamped with the user and the day (January: seven digits).
    QCOMPARE(storedParty(5),
             QStringList({"5", "DOE, JANE", "12 MAIN ST", "APT 4", "SALEM", "OR", "973011234", "", "", "5035550100",
                          "5035550111", "5035550122", "19700623", "F", "1052026", "JSMITH"}));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
}

void PartySaveTest::noTextIsWrittenNull_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("key");  // 0: a new party
    QTest::addColumn<QString>("user");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "new party, user never named") << 0 << QString();
        engineRow(engine, "party on file, user never named") << 5 << QString();
        engineRow(engine, "party on file, user named") << 5 << QStringLiteral("JSMITH");
    }
}

void PartySaveTest::noTextIsWrittenNull()
{
    QFETCH(int, key);
    QFETCH(QString, user);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("DOE, JOHN")));
    // Given a party table whose text columns forbid NULL, as a host's may,
    const QString table = QStringLiteral("DUVPRB.PRBPTY");
    TestDatabase::forbidNull(table, PartyTexts);
    // and a party with no second street, from a host that may never have named the user,
    PartyEditorHost host;
    host.editor->UserID = user;
    QVERIFY(key == 0 ? host.editor->AddRecord() : host.editor->LoadRecord(key));
    PartyForm().enterInto(host);

    // when it is saved, the table takes it,
    bool saved = false;
    QVERIFY_THROWS_NO_EXCEPTION(saved = host.editor->SaveRecord());
    QVERIFY(saved);

    // with empty text where nothing was given.
    QCOMPARE(TestDatabase::count(table), key == 0 ? 2 : 1);
    QCOMPARE(TestDatabase::rowsWithNull(table, PartyTexts), 0);
    QCOMPARE(TestDatabase::value(QStringLiteral("Select PTYUSR From DUVPRB.PRBPTY Where PTYKEY=?"),
                                 {host.editor->PartyKey}).toString(),
             user);
}

void PartySaveTest::invalidPartyWritesNothing()
{
    TORVA_USE_PARTY_DATABASE();
    PartyEditorHost host;
    QVERIFY(host.editor->AddRecord());
    PartyForm form;
    form.sex = QStringLiteral("Q");
    form.enterInto(host);

    QVERIFY(!host.editor->SaveRecord());

    QCOMPARE(host.editor->PartyKey, 0);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 0);
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("Invalid gender.")});
}

void PartySaveTest::deleteCountsTheRow()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(5));

    QVERIFY(host.editor->DeleteRecord());
    QVERIFY(!host.editor->DeleteRecord());

    QCOMPARE(host.editor->PartyKey, 5);
    QCOMPARE(host.name(), QStringLiteral("SMITH, JOHN"));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
    QVERIFY(m_boxes->messages.isEmpty());
    // A new party that was never saved has nothing to delete.
    QVERIFY(host.editor->AddRecord());
    QVERIFY(!host.editor->DeleteRecord());
}

void PartySaveTest::keyTakenMeanwhileIsTriedAgain()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(1, QStringLiteral("FIRST, PARTY"));
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));

    // Given another editor that saves a party under key 2 just before this insert runs,
    auto other = otherUser();
    bool taken = false;
    HookGuard hook([&](const QString &statement, const QVariantList &values) {
        if (statement == Statements::InsertParty && !taken) {
            taken = true;
            other->run(QStringLiteral("Insert Into DUVPRB.PRBPTY (PTYKEY,PTYNAM) Values(%1,'OTHER, EDITOR')")
                           .arg(values.last().toInt()));
        }
    });

    // then the save takes the next key instead of losing the party, and the host hears of no failure.
    QVERIFY(host.editor->SaveRecord());
    QVERIFY(taken);
    QCOMPARE(host.editor->PartyKey, 3);
    QCOMPARE(storedParty(2).value(1), QStringLiteral("OTHER, EDITOR"));
    QCOMPARE(storedParty(3).value(1), QStringLiteral("SMITH, JOHN Q"));
    QCOMPARE(host.errors, 0);
}

void PartySaveTest::updateOfAVanishedPartyFails()
{
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("SMITH, JOHN Q")));
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(5));
    otherUser()->run(QStringLiteral("Delete From DUVPRB.PRBPTY Where PTYKEY=5"));

    QVERIFY(!host.editor->SaveRecord());

    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 0);
}

void PartySaveTest::refusedLoadWritesNothing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("locked");
    for (const QString &engine : TestDatabase::engines()) {
        engineRow(engine, "held by another") << true;
        engineRow(engine, "not there") << false;
    }
}

void PartySaveTest::refusedLoadWritesNothing()
{
    QFETCH(bool, locked);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(PartyForm::onFile(7, QStringLiteral("SEVEN, PARTY")));
    Fixtures::addParty(PartyForm::onFile(8, QStringLiteral("EIGHT, PARTY")));
    Database::setUserName(QStringLiteral("KJONES"));
    PartyEditorHost holder;
    QVERIFY(holder.editor->LoadRecord(7));
    const QStringList seven = storedParty(7);
    const QStringList eight = storedParty(8);

    // Given an editor that shows party 8 and was refused another,
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(8));
    QVERIFY(!host.editor->LoadRecord(locked ? 7 : 99));
    host.editor->SetEnabled(true);

    // then nothing it shows is written anywhere, until a load succeeds,
    QVERIFY(!host.editor->SaveRecord());
    QVERIFY(!host.editor->DeleteRecord());
    // and the save tells the user why, once: the party is not there, or who holds it.
    const QString why = locked ? QStringLiteral("Party #7 is in use by %1, so it cannot be saved.")
                                     .arg(host.editor->LockedBy().value_or(LockHolder()).describe())
                               : QStringLiteral("Party #99 could not be loaded, so it cannot be saved.");
    QCOMPARE(m_boxes->texts(), QStringList{why});
    QCOMPARE(m_boxes->messages.first().title, QStringLiteral("Error"));
    QVERIFY(!locked || why.contains(QLatin1String("KJONES")));
    QCOMPARE(storedParty(7), seven);
    QCOMPARE(storedParty(8), eight);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 2);
    QVERIFY(host.editor->LoadRecord(8));
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(m_boxes->messages.size(), 1);
}

void PartySaveTest::viewerWritesNothing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("loaded");   // the mode of the load
    QTest::addColumn<QString>("writing");  // the mode when the call runs
    QTest::addColumn<bool>("remove");      // DeleteRecord, else SaveRecord
    const QList<QStringList> modes{{"viewing", "*VIEW", "*VIEW"},
                                   {"no mode", "", ""},
                                   {"lower-case edit", "*edit", "*edit"},
                                   {"edit, then view", "*EDIT", "*VIEW"},
                                   {"view, then edit", "*VIEW", "*EDIT"}};
    for (const QString &engine : TestDatabase::engines()) {
        for (const QStringList &mode : modes) {
            for (const bool remove : {false, true}) {
                const QString name = mode.at(0) + (remove ? QStringLiteral(", delete") : QStringLiteral(", save"));
                engineRow(engine, qPrintable(name)) << mode.at(1) << mode.at(2) << remove;
            }
        }
    }
}

void PartySaveTest::viewerWritesNothing()
{
    QFETCH(QString, loaded);
    QFETCH(QString, writing);
    QFETCH(bool, remove);
    TORVA_USE_PARTY_DATABASE();
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("SMITH, JOHN Q")));
    const QStringList before = storedParty(5);
    // Given party 5 loaded in one mode, a change a save would write, and the mode of the call,
    PartyEditorHost host(loaded);
    QVERIFY(host.editor->LoadRecord(5));
    PartyForm form;
    form.street2 = QStringLiteral("APT 4");
    form.enterInto(host);
    host.editor->UserMode = writing;

    // the save or delete of anyone but an editor fails without running a statement,
    int statements = 0;
    bool written = true;
    {
        HookGuard hook([&statements](const QString &, const QVariantList &) { ++statements; });
        written = remove ? host.editor->DeleteRecord() : host.editor->SaveRecord();
    }
    QVERIFY(!written);
    QCOMPARE(statements, 0);
    QCOMPARE(storedParty(5), before);
    // the save says why (a delete asks nothing, so it says nothing),
    QCOMPARE(m_boxes->texts(), remove ? QStringList() : QStringList{QStringLiteral(
                                   "Party #5 is open for viewing only, so it cannot be saved. "
                                   "Open it again for editing to save it.")});
    QVERIFY(remove || m_boxes->messages.first().title == QLatin1String("Error"));
    // and loaded again for editing, it is written.
    host.editor->UserMode = QStringLiteral("*EDIT");
    QVERIFY(host.editor->LoadRecord(5));
    form.enterInto(host);
    QVERIFY(remove ? host.editor->DeleteRecord() : host.editor->SaveRecord());
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), remove ? 0 : 1);
}

QTEST_MAIN(PartySaveTest)
#include "tst_partysave.moc"
