#include "base/clock.h"
#include "controls/alphamericbox.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "hookguard.h"
#include "partyform.h"
#include "scriptedmessages.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

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

} // namespace

class PartySaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDatabase::addEngineRows(); }
    void init();
    void cleanup()
    {
        Clock::unpin();
        Database::setUserName(QString());
    }

    void savesEveryValueUnderItsKey_data();
    void savesEveryValueUnderItsKey();
    void writesNothingUntilItMay_data();
    void writesNothingUntilItMay();

private:
    std::optional<ScriptedMessages> m_boxes;
};

void PartySaveTest::init()
{
    Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0)));
    m_boxes.emplace();  // the old one uninstalls itself first
    TORVA_USE_GLOBAL_ENGINE_ROW();
    PartyForm::seedCodes();
}

void PartySaveTest::savesEveryValueUnderItsKey_data()
{
    QTest::addColumn<QList<int>>("onFile");    // the keys of the parties on file before
    QTest::addColumn<int>("loaded");           // 0: a new party
    QTest::addColumn<bool>("takenMeanwhile");  // the next key, by another user, just before this insert runs
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("street2");
    QTest::addColumn<int>("key");              // the one it is saved under
    QTest::newRow("first ever") << QList<int>{} << 0 << false << QString() << QString() << 1;
    QTest::newRow("new, after gaps") << QList<int>{1, 2, 41} << 0 << false << QString() << QString() << 42;
    QTest::newRow("new, key taken meanwhile: tried again") << QList<int>{1} << 0 << true << QString() << QString() << 3;
    QTest::newRow("on file, user never named") << QList<int>{5} << 5 << false << QString() << QString() << 5;
    QTest::newRow("on file, user named") << QList<int>{5} << 5 << false << QStringLiteral("JSMITH")
                                         << QStringLiteral("APT 4") << 5;
}

void PartySaveTest::savesEveryValueUnderItsKey()
{
    QFETCH(QList<int>, onFile);
    QFETCH(int, loaded);
    QFETCH(bool, takenMeanwhile);
    QFETCH(QString, user);
    QFETCH(QString, street2);
    QFETCH(int, key);
    for (const int party : onFile)
        Fixtures::addParty(PartyForm::onFile(party, QStringLiteral("SMITH, JOHN Q")));
    TestDatabase::exec(QStringLiteral("Update DUVPRB.PRBPTY Set PTYCTR='US',PTYIZP='X1'"));
    // Given a party table whose text columns forbid NULL, as a host's may,
    const QString table = QStringLiteral("DUVPRB.PRBPTY");
    TestDatabase::forbidNull(table, PartyTexts);
    // and a party from a host that may never have named the user,
    PartyEditorHost host;
    host.editor->UserID = user;
    QVERIFY(loaded == 0 ? host.editor->AddRecord() : host.editor->LoadRecord(loaded));
    PartyForm form;
    form.name = QStringLiteral("DOE, JANE");
    form.street2 = street2;
    form.zip = 973011234;
    form.workPhone = 5035550111;
    form.cellPhone = 5035550122;
    form.birthDate = 19700623;
    form.sex = QStringLiteral("F");
    form.enterInto(host);
    // (another user, on a connection of their own)
    const auto other = std::make_unique<Connection>(DatabaseLocation::parse(TestDatabase::location()), false);
    bool taken = !takenMeanwhile;
    HookGuard hook([&](const QString &statement, const QVariantList &values) {
        if (statement == Statements::InsertParty && !taken) {
            taken = true;
            other->run(QStringLiteral("Insert Into DUVPRB.PRBPTY (PTYKEY,PTYNAM,PTYST1,PTYST2,PTYCTY,PTYSTA,PTYCTR,"
                                      "PTYIZP,PTYSEX,PTYUSR) Values(%1,'OTHER, EDITOR','','','','','','','','')")
                           .arg(values.last().toInt()));
        }
    });

    // when it is saved, the table takes it,
    bool saved = false;
    QVERIFY_THROWS_NO_EXCEPTION(saved = host.editor->SaveRecord());
    QVERIFY(saved);

    // with every value; the key stays (a new party takes the next, past one
    // taken meanwhile instead of being lost); the country and further postal
    // code, and whatever else was not given, are written empty; the change
    // is stamped with the user and the day (January: seven digits); and the
    // host hears of no failure.
    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(storedParty(key), QStringList({QString::number(key), "DOE, JANE", "12 MAIN ST", street2, "SALEM", "OR",
                                            "973011234", "", "", "5035550100", "5035550111", "5035550122",
                                            "19700623", "F", "1052026", user}));
    QVERIFY(!takenMeanwhile || storedParty(key - 1).value(1) == QLatin1String("OTHER, EDITOR"));
    QCOMPARE(TestDatabase::rowsWithNull(table, PartyTexts), 0);
    QCOMPARE(host.errors, 0);
    QVERIFY(m_boxes->messages.isEmpty());
    // Nobody else can open the party while this editor may still save it,
    PartyEditorHost again;
    QVERIFY(!again.editor->LoadRecord(key));
    QVERIFY(again.editor->LockedBy().has_value());
    // and its next save updates what the first wrote.
    host.field<AlphaMericBox>("txtPTYST1")->setText(QStringLiteral("99 ELM ST"));
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(TestDatabase::count(table), int(onFile.size()) + (loaded == 0 ? 1 : 0) + (takenMeanwhile ? 1 : 0));
    QCOMPARE(storedParty(key).value(2), QStringLiteral("99 ELM ST"));
}

void PartySaveTest::writesNothingUntilItMay_data()
{
    QTest::addColumn<QString>("loaded");   // the mode of the load
    QTest::addColumn<QString>("writing");  // the mode when the calls run
    QTest::addColumn<int>("asked");        // after party 8: 7, which another editor holds, or 99, which is not there
    QTest::addColumn<QString>("why");      // the save's message
    const QString viewing = QStringLiteral("Party #8 is open for viewing only, so it cannot be saved. "
                                           "Open it again for editing to save it.");
    QTest::newRow("held by another") << "*EDIT" << "*EDIT" << 7 << "Party #7 is in use by %1, so it cannot be saved.";
    QTest::newRow("not there") << "*EDIT" << "*EDIT" << 99 << "Party #99 could not be loaded, so it cannot be saved.";
    QTest::newRow("viewing") << "*VIEW" << "*VIEW" << 8 << viewing;
    QTest::newRow("no mode") << "" << "" << 8 << viewing;
    QTest::newRow("lower-case edit") << "*edit" << "*edit" << 8 << viewing;
    QTest::newRow("edit, then view") << "*EDIT" << "*VIEW" << 8 << viewing;
    QTest::newRow("view, then edit") << "*VIEW" << "*EDIT" << 8 << viewing;
}

void PartySaveTest::writesNothingUntilItMay()
{
    QFETCH(QString, loaded);
    QFETCH(QString, writing);
    QFETCH(int, asked);
    QFETCH(QString, why);
    const bool held = asked == 7;
    Fixtures::addParty(PartyForm::onFile(7, QStringLiteral("SEVEN, PARTY")));
    Fixtures::addParty(PartyForm::onFile(8, QStringLiteral("EIGHT, PARTY")));
    Database::setUserName(QStringLiteral("KJONES"));
    auto holder = std::make_unique<PartyEditorHost>();
    QVERIFY(holder->editor->LoadRecord(7));
    const QStringList before = storedParty(7) + storedParty(8);

    // Given an editor that shows party 8 in one mode, with a change a save would write,
    PartyEditorHost host(loaded);
    QVERIFY(host.editor->LoadRecord(8));
    host.field<AlphaMericBox>("txtPTYST2")->setText(QStringLiteral("APT 4"));
    const QStringList shown = host.shown();
    QSignalSpy lockErrors(host.editor, &PartyEditor::LockError);

    // when it asks for a party another editor holds, or one that is not there,
    // or its calls run in a mode other than *EDIT,
    if (asked != 8)
        QVERIFY(!host.editor->LoadRecord(asked));
    host.editor->UserMode = writing;

    // then a load is refused (told of a held party during the load, and
    // disabled) and it keeps showing what it showed, under the key asked for;
    QCOMPARE(lockErrors.count(), held ? 1 : 0);
    QCOMPARE(host.editor->PartyKey, asked);
    QCOMPARE(host.shown(), shown);
    QCOMPARE(host.editor->Enabled(), !held);
    QVERIFY(host.everyFieldEnabled(!held && loaded == QLatin1String("*EDIT")));
    // the save and the delete fail without running a statement, and the save
    // tells the user why, once: who holds the party, that it is not there, or
    // that it is open for viewing (a delete asks nothing, so it says nothing);
    host.editor->SetEnabled(true);
    int statements = 0;
    {
        HookGuard hook([&statements](const QString &, const QVariantList &) { ++statements; });
        QVERIFY(!host.editor->SaveRecord());
        QVERIFY(!host.editor->DeleteRecord());
    }
    QCOMPARE(statements, 0);
    const QString heldBy = held ? host.editor->LockedBy().value_or(LockHolder()).describe() : QString();
    QCOMPARE(m_boxes->texts(), QStringList{held ? why.arg(heldBy) : why});
    QVERIFY(!held || heldBy.contains(QLatin1String("KJONES")));
    QCOMPARE(m_boxes->messages.first().title, QStringLiteral("Error"));
    QCOMPARE(storedParty(7) + storedParty(8), before);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 2);
    // Once the other editor is gone, loaded again for editing, the party is
    // written; a delete takes that party, once,
    holder.reset();
    host.editor->UserMode = QStringLiteral("*EDIT");
    const int again = held ? 7 : 8;
    QVERIFY(host.editor->LoadRecord(again));
    host.field<AlphaMericBox>("txtPTYST2")->setText(QStringLiteral("APT 4"));
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(storedParty(again).value(3), QStringLiteral("APT 4"));
    QVERIFY(host.editor->DeleteRecord());
    QVERIFY(!host.editor->DeleteRecord());
    // nor is it saved once it is gone (an update that finds no row is no save);
    QVERIFY(!host.editor->SaveRecord());
    QCOMPARE(host.editor->PartyKey, again);
    QCOMPARE(host.shown().first(), held ? QStringLiteral("SEVEN, PARTY") : QStringLiteral("EIGHT, PARTY"));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
    // and a new party that was never saved has nothing to delete.
    QVERIFY(host.editor->AddRecord());
    QVERIFY(!host.editor->DeleteRecord());
    QCOMPARE(m_boxes->messages.size(), 1);
}

QTEST_MAIN(PartySaveTest)
#include "tst_partysave.moc"
