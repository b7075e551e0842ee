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

    void newPartyTakesTheNextKey_data();
    void newPartyTakesTheNextKey();
    void savesEveryValueAndNoNull_data();
    void savesEveryValueAndNoNull();
    void refusedLoadKeepsWhatWasShownAndWritesNothing_data();
    void refusedLoadKeepsWhatWasShownAndWritesNothing();
    void onlyAnEditorWrites_data();
    void onlyAnEditorWrites();

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

void PartySaveTest::newPartyTakesTheNextKey_data()
{
    QTest::addColumn<QList<int>>("existing");
    QTest::addColumn<bool>("takenMeanwhile");  // by another user, just before this insert runs
    QTest::addColumn<int>("key");
    QTest::newRow("first ever") << QList<int>{} << false << 1;
    QTest::newRow("after gaps") << QList<int>{1, 2, 41} << false << 42;
    QTest::newRow("taken meanwhile: tried again") << QList<int>{1} << true << 3;
}

void PartySaveTest::newPartyTakesTheNextKey()
{
    QFETCH(QList<int>, existing);
    QFETCH(bool, takenMeanwhile);
    QFETCH(int, key);
    for (const int taken : existing)
        Fixtures::addParty(taken, QStringLiteral("TAKEN, KEY %1").arg(taken), 19500101);
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));
    // (another user, on a connection of their own)
    const auto other = std::make_unique<Connection>(DatabaseLocation::parse(TestDatabase::location()), false);
    bool taken = !takenMeanwhile;
    HookGuard hook([&](const QString &statement, const QVariantList &values) {
        if (statement == Statements::InsertParty && !taken) {
            taken = true;
            other->run(QStringLiteral("Insert Into DUVPRB.PRBPTY (PTYKEY,PTYNAM) Values(%1,'OTHER, EDITOR')")
                           .arg(values.last().toInt()));
        }
    });

    QVERIFY(host.editor->SaveRecord());

    // The party takes the next key (past one taken meanwhile, instead of
    // being lost), and the host hears of no failure.
    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(storedParty(key).value(1), QStringLiteral("SMITH, JOHN Q"));
    QVERIFY(!takenMeanwhile || storedParty(key - 1).value(1) == QLatin1String("OTHER, EDITOR"));
    QCOMPARE(host.errors, 0);
    QVERIFY(m_boxes->messages.isEmpty());
    // Nobody else can open the party while this editor may still save it,
    PartyEditorHost again;
    QVERIFY(!again.editor->LoadRecord(key));
    QVERIFY(again.editor->LockedBy().has_value());
    // and its next save updates what the first inserted.
    host.field<AlphaMericBox>("txtPTYST1")->setText(QStringLiteral("99 ELM ST"));
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(host.editor->PartyKey, key);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), int(existing.size()) + 1 + int(takenMeanwhile));
    QCOMPARE(storedParty(key).value(2), QStringLiteral("99 ELM ST"));
}

void PartySaveTest::savesEveryValueAndNoNull_data()
{
    QTest::addColumn<int>("key");  // 0: a new party
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("street2");
    QTest::newRow("new party, user never named") << 0 << QString() << QString();
    QTest::newRow("party on file, user never named") << 5 << QString() << QString();
    QTest::newRow("party on file, user named") << 5 << QStringLiteral("JSMITH") << QStringLiteral("APT 4");
}

void PartySaveTest::savesEveryValueAndNoNull()
{
    QFETCH(int, key);
    QFETCH(QString, user);
    QFETCH(QString, street2);
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("SMITH, JOHN Q")));
    TestDatabase::exec(QStringLiteral("Update DUVPRB.PRBPTY Set PTYCTR='US',PTYIZP='X1' Where PTYKEY=5"));
    // Given a party table whose text columns forbid NULL, as a host's may,
    const QString table = QStringLiteral("DUVPRB.PRBPTY");
    TestDatabase::forbidNull(table, PartyTexts);
    // and a party from a host that may never have named the user,
    PartyEditorHost host;
    host.editor->UserID = user;
    QVERIFY(key == 0 ? host.editor->AddRecord() : host.editor->LoadRecord(key));
    PartyForm form;
    form.name = QStringLiteral("DOE, JANE");
    form.street2 = street2;
    form.zip = 973011234;
    form.workPhone = 5035550111;
    form.cellPhone = 5035550122;
    form.birthDate = 19700623;
    form.sex = QStringLiteral("F");
    form.enterInto(host);

    // when it is saved, the table takes it,
    bool saved = false;
    QVERIFY_THROWS_NO_EXCEPTION(saved = host.editor->SaveRecord());
    QVERIFY(saved);

    // with every value; the key stays (a new party takes the next); the
    // country and further postal code, and whatever else was not given, are
    // written empty; the change is stamped with the user and the day
    // (January: seven digits).
    const int stored = key == 0 ? 6 : 5;
    QCOMPARE(host.editor->PartyKey, stored);
    QCOMPARE(storedParty(stored), QStringList({QString::number(stored), "DOE, JANE", "12 MAIN ST", street2, "SALEM", "OR",
                                               "973011234", "", "", "5035550100", "5035550111", "5035550122",
                                               "19700623", "F", "1052026", user}));
    QCOMPARE(TestDatabase::count(table), key == 0 ? 2 : 1);
    QCOMPARE(TestDatabase::rowsWithNull(table, PartyTexts), 0);
}

void PartySaveTest::refusedLoadKeepsWhatWasShownAndWritesNothing_data()
{
    QTest::addColumn<bool>("held");
    QTest::newRow("held by another") << true;
    QTest::newRow("not there") << false;
}

void PartySaveTest::refusedLoadKeepsWhatWasShownAndWritesNothing()
{
    QFETCH(bool, held);
    Fixtures::addParty(PartyForm::onFile(7, QStringLiteral("SEVEN, PARTY")));
    Fixtures::addParty(PartyForm::onFile(8, QStringLiteral("EIGHT, PARTY")));
    Database::setUserName(QStringLiteral("KJONES"));
    auto holder = std::make_unique<PartyEditorHost>();
    QVERIFY(holder->editor->LoadRecord(7));
    const QStringList before = storedParty(7) + storedParty(8);

    // Given an editor that shows party 8,
    PartyEditorHost host;
    QVERIFY(host.editor->LoadRecord(8));
    const QStringList shown = host.shown();
    QSignalSpy lockErrors(host.editor, &PartyEditor::LockError);

    // when it asks for a party another editor holds, or one that is not there,
    const int asked = held ? 7 : 99;
    QVERIFY(!host.editor->LoadRecord(asked));

    // then it is refused (told of a held party during the load, and disabled)
    // and keeps showing what it showed, under the key asked for;
    QCOMPARE(lockErrors.count(), held ? 1 : 0);
    QCOMPARE(host.editor->PartyKey, asked);
    QCOMPARE(host.shown(), shown);
    QCOMPARE(host.editor->Enabled(), !held);
    QVERIFY(host.everyFieldEnabled(!held));
    // nothing it shows is written anywhere, and the save tells the user why,
    // once: the party is not there, or who holds it;
    host.editor->SetEnabled(true);
    QVERIFY(!host.editor->SaveRecord());
    QVERIFY(!host.editor->DeleteRecord());
    const QString why = held ? QStringLiteral("Party #7 is in use by %1, so it cannot be saved.")
                                   .arg(host.editor->LockedBy().value_or(LockHolder()).describe())
                             : QStringLiteral("Party #99 could not be loaded, so it cannot be saved.");
    QCOMPARE(m_boxes->texts(), QStringList{why});
    QVERIFY(!held || why.contains(QLatin1String("KJONES")));
    QCOMPARE(storedParty(7) + storedParty(8), before);
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 2);
    // and once the other editor is gone, a load and a save work again.
    holder.reset();
    QVERIFY(host.editor->LoadRecord(held ? 7 : 8));
    QCOMPARE(host.shown().first(), held ? QStringLiteral("SEVEN, PARTY") : QStringLiteral("EIGHT, PARTY"));
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(m_boxes->messages.size(), 1);
}

void PartySaveTest::onlyAnEditorWrites_data()
{
    QTest::addColumn<QString>("loaded");   // the mode of the load
    QTest::addColumn<QString>("writing");  // the mode when the calls run
    QTest::newRow("viewing") << "*VIEW" << "*VIEW";
    QTest::newRow("no mode") << "" << "";
    QTest::newRow("lower-case edit") << "*edit" << "*edit";
    QTest::newRow("edit, then view") << "*EDIT" << "*VIEW";
    QTest::newRow("view, then edit") << "*VIEW" << "*EDIT";
}

void PartySaveTest::onlyAnEditorWrites()
{
    QFETCH(QString, loaded);
    QFETCH(QString, writing);
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("SMITH, JOHN Q")));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));
    const QStringList before = storedParty(5);
    // Given party 5 loaded in one mode, a change a save would write, and the mode of the calls,
    PartyEditorHost host(loaded);
    QVERIFY(host.editor->LoadRecord(5));
    PartyForm form;
    form.street2 = QStringLiteral("APT 4");
    form.enterInto(host);
    host.editor->UserMode = writing;

    // the save and the delete of anyone but an editor fail without running a statement,
    int statements = 0;
    {
        HookGuard hook([&statements](const QString &, const QVariantList &) { ++statements; });
        QVERIFY(!host.editor->SaveRecord());
        QVERIFY(!host.editor->DeleteRecord());
    }
    QCOMPARE(statements, 0);
    QCOMPARE(storedParty(5), before);
    // and the save says why (a delete asks nothing, so it says nothing).
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("Party #5 is open for viewing only, so it cannot be saved. "
                                                          "Open it again for editing to save it.")});
    QCOMPARE(m_boxes->messages.first().title, QStringLiteral("Error"));
    // Loaded again for editing, it is written; a delete takes that party, once,
    host.editor->UserMode = QStringLiteral("*EDIT");
    QVERIFY(host.editor->LoadRecord(5));
    form.enterInto(host);
    QVERIFY(host.editor->SaveRecord());
    QCOMPARE(storedParty(5).value(3), QStringLiteral("APT 4"));
    QVERIFY(host.editor->DeleteRecord());
    QVERIFY(!host.editor->DeleteRecord());
    // nor saved once it is gone (an update that finds no row is no save);
    QVERIFY(!host.editor->SaveRecord());
    QCOMPARE(host.editor->PartyKey, 5);
    QCOMPARE(host.shown().first(), QStringLiteral("SMITH, JOHN Q"));
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
    // and a new party that was never saved has nothing to delete.
    QVERIFY(host.editor->AddRecord());
    QVERIFY(!host.editor->DeleteRecord());
    QCOMPARE(m_boxes->messages.size(), 1);
}

QTEST_MAIN(PartySaveTest)
#include "tst_partysave.moc"
