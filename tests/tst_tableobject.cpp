#include "data/connection.h"
#include "data/database.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QScopeGuard>
#include <QtTest>

using namespace Torva;

namespace {
const QString SelectParty = QStringLiteral("Select * From DUVPRB.PRBPTY Where PTYKEY=?");

// A table object that notes what it reported, in order: its Error signal,
// then (noted by the test) the exception.
struct WatchedTable : TableObject
{
    WatchedTable()
    {
        connect(this, &TableObject::Error, this, [this](int &number, QString &description) {
            events << QStringLiteral("Error");
            signalledNumber = number;
            signalledDescription = description;
            statementSeenInHandler = LastStatement();
        });
    }

    QStringList events;
    int signalledNumber = 0;
    QString signalledDescription;
    QString statementSeenInHandler;
};
} // namespace

class TableObjectTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDatabase::addEngineRows(); }
    void init() { TORVA_USE_GLOBAL_ENGINE_ROW(); }

    void positionAndRowsFollowEachExecute();
    void valuesReadAsTheyWereWritten_data();
    void valuesReadAsTheyWereWritten();
    void failuresSignalThenThrow_data();
    void failuresSignalThenThrow();
    void statementPastTheDeadlineIsCancelled();
    void queuedWritesFailTogetherAtTheCommit();
    void textsDownAColumnReadBackExactly();
    void resultDoesNotHideLaterChanges();
};

void TableObjectTest::positionAndRowsFollowEachExecute()
{
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));
    WatchedTable table;
    const auto bofAndEof = [&table] { return std::pair(table.BOF(), table.Eof()); };

    // Before anything ran there is no row, and BOF says so too.
    QCOMPARE(bofAndEof(), std::pair(true, true));
    QCOMPARE(table.SQL(), QString());

    // A select stands on its first row, read by a column's name in any letter case.
    QCOMPARE(table.Execute(SelectParty, QVariantList{5}), -1);
    QCOMPARE(bofAndEof(), std::pair(false, false));
    QCOMPARE(table.FieldNames().first(), QStringLiteral("PTYKEY"));
    QCOMPARE(table.FieldValue(QStringLiteral("ptyNam")).toString(), QStringLiteral("SMITH, JOHN"));
    // An unknown column fails through Error, as a statement does.
    QVERIFY_THROWS_EXCEPTION(DataAccessError, table.FieldValue(QStringLiteral("NOSUCH")));
    QCOMPARE(table.signalledNumber, int(DataAccessError::UnknownColumn));

    // An empty result shows in EOF alone.
    table.Execute(SelectParty, QVariantList{2});
    QCOMPARE(bofAndEof(), std::pair(false, true));
    QVERIFY(table.FieldValue(QStringLiteral("PTYNAM")).isNull());

    // A write returns the rows it affected and stands on none.
    QCOMPARE(table.Execute(Statements::DeleteParty, QVariantList{5}), 1);
    QCOMPARE(bofAndEof(), std::pair(false, true));
    QCOMPARE(table.Execute(Statements::DeleteParty, QVariantList{5}), 0);
    QCOMPARE(table.Execute(QStringLiteral("Update DUVPRB.PRBPTY Set PTYST2=? Where PTYKEY>?"), QVariantList{"X", 0}), 1);

    table.Close();
    QCOMPARE(bofAndEof(), std::pair(true, true));
}

void TableObjectTest::valuesReadAsTheyWereWritten_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("read");  // an invalid variant: read back as null

    // (texts beyond ASCII are tst_hostileinput's, through the party editor; an
    // empty text is textsDownAColumnReadBackExactly's)
    const QString text = QStringLiteral("PTYST2");
    const QString decimal = QStringLiteral("PTYHOMPHN");
    QTest::newRow("null text") << text << QVariant(QString()) << QVariant();
    QTest::newRow("no value") << decimal << QVariant() << QVariant();
    QTest::newRow("ten digits") << decimal << QVariant(qlonglong(9999999999)) << QVariant(qlonglong(9999999999));
    QTest::newRow("whole double") << decimal << QVariant(5551234567.0) << QVariant(qlonglong(5551234567));
    QTest::newRow("int") << decimal << QVariant(int(42)) << QVariant(qlonglong(42));
}

void TableObjectTest::valuesReadAsTheyWereWritten()
{
    QFETCH(QString, column);
    QFETCH(QVariant, written);
    QFETCH(QVariant, read);
    Fixtures::addParty(1, QStringLiteral("VALUE, HOLDER"));
    TableObject table;

    // Given a value written through a bound parameter,
    QCOMPARE(table.Execute(QStringLiteral("Update DUVPRB.PRBPTY Set %1=? Where PTYKEY=?").arg(column),
                           QVariantList{written, 1}),
             1);
    // when it is read back,
    table.Execute(SelectParty, QVariantList{1});
    const QVariant value = table.FieldValue(column);

    // then a null stays null, and anything else keeps its value and kind.
    if (!read.isValid()) {
        QVERIFY2(value.isNull(), qPrintable(value.toString()));
        return;
    }
    QVERIFY(!value.isNull());
    QCOMPARE(value.typeId(), read.typeId());
    QCOMPARE(value, read);
}

void TableObjectTest::failuresSignalThenThrow_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QVariant>("parameters");
    QTest::addColumn<int>("number");

    QTest::newRow("missing table") << QStringLiteral("Select * From DUVPRB.NOSUCH") << QVariant()
                                   << int(DataAccessError::StatementFailed);
    const QVariantList takenKey{"A, B", "", "", "", "", 0, "", "", 0.0, 0.0, 0.0, 0, "M", 0, "U", 1};
    QTest::newRow("duplicate key") << Statements::InsertParty << QVariant(takenKey) << int(DataAccessError::DuplicateKey);
    QTest::newRow("parameters not a list") << SelectParty << QVariant(1) << int(DataAccessError::BadParameters);
    QTest::newRow("too few values") << Statements::ZipLookup << QVariant(QVariantList{"X", "Y"})
                                    << int(DataAccessError::BadParameters);
    QTest::newRow("two statements") << QStringLiteral("Select * From DUVCRT.ARYSEX; Delete From DUVPRB.PRBPTY")
                                    << QVariant() << int(DataAccessError::StatementFailed);
    QTest::newRow("no statement") << QString() << QVariant() << int(DataAccessError::NoStatement);
    // Half of a UTF-16 pair is no text: a driver would write "?" for it.
    const QString update = QStringLiteral("Update DUVPRB.PRBPTY Set PTYST2=? Where PTYKEY=?");
    QTest::newRow("first half of a character") << update << QVariant(QVariantList{QString(QChar(0xD83D)) + "X", 1})
                                               << int(DataAccessError::BadParameters);
    QTest::newRow("second half of a character") << update << QVariant(QVariantList{"X" + QString(QChar(0xDE00)), 1})
                                                << int(DataAccessError::BadParameters);
    QTest::newRow("halves in the wrong order") << update
                                               << QVariant(QVariantList{QString(QChar(0xDE00)) + QChar(0xD83D), 1})
                                               << int(DataAccessError::BadParameters);
}

void TableObjectTest::failuresSignalThenThrow()
{
    QFETCH(QString, statement);
    QFETCH(QVariant, parameters);
    QFETCH(int, number);
    Fixtures::addParty(1, QStringLiteral("TAKEN, KEY"));
    WatchedTable table;

    // When a call fails,
    try {
        table.Execute(statement, parameters);
        QFAIL("the failing call returned");
    } catch (const DataAccessError &error) {
        table.events << QStringLiteral("exception");
        // then the exception carries what the signal said, and the statement.
        QCOMPARE(error.number(), table.signalledNumber);
        QCOMPARE(error.description(), table.signalledDescription);
        QCOMPARE(error.statement(), statement);
        // What the engine itself refused (its code kept) also says where.
        if (!error.nativeCode().isEmpty())
            QVERIFY2(error.description().contains(Database::location().toDisplayString()), qPrintable(error.description()));
    }

    // Error came first, once, and the details stay readable on the object.
    QCOMPARE(table.events, QStringList({QStringLiteral("Error"), QStringLiteral("exception")}));
    QCOMPARE(table.signalledNumber, number);
    QVERIFY(!table.signalledDescription.isEmpty());
    QCOMPARE(table.statementSeenInHandler, statement);
    QCOMPARE(table.LastErrorNumber(), number);
    QCOMPARE(table.LastErrorDescription(), table.signalledDescription);
    // Asked not to throw, the same call signals again, returns -1 and stands on no row.
    QCOMPARE(table.Execute(statement, parameters, true, false), -1);
    QCOMPARE(table.events.size(), 3);
    QVERIFY(table.Eof());
    // Nothing else ran: the party on file is still there.
    QCOMPARE(TestDatabase::count(QStringLiteral("DUVPRB.PRBPTY")), 1);
}

void TableObjectTest::statementPastTheDeadlineIsCancelled()
{
    QFETCH_GLOBAL(QString, engine);
    // Given a deadline of a fifth of a second and a statement that would run for long,
    Database::setStatementDeadline(std::chrono::milliseconds(200));
    const auto usualDeadline = qScopeGuard([] { Database::setStatementDeadline(Database::DefaultDeadline); });
    const QString slow = engine == QLatin1String("sqlite")
                             ? QStringLiteral("With Recursive N(X) As (Select 1 Union All Select X+1 From N) "
                                              "Select Count(*) From N")
                             : QStringLiteral("Select pg_sleep(30)");
    WatchedTable table;

    // when it runs, then the call fails through Error, saying so,
    QVERIFY_THROWS_EXCEPTION(DataAccessError, table.Execute(slow));
    QVERIFY2(table.signalledDescription.contains(QStringLiteral("did not finish within 0.2 s")),
             qPrintable(table.signalledDescription));
    // and the next statement runs on the same connection.
    QCOMPARE(table.Fetch(SelectParty, QVariantList{1}).rowCount(), 0);
}

void TableObjectTest::queuedWritesFailTogetherAtTheCommit()
{
    const QString insert = QStringLiteral("Insert Into DUVCRT.ARYSEX (SEXCOD,SEXDSC) Values(?,?)");
    Fixtures::addSex(QStringLiteral("F"), QStringLiteral("FEMALE"));
    WatchedTable table;

    // Given writes queued in a transaction, one of them breaking the key,
    table.BeginTransaction();
    table.QueueWrite(insert, {QStringLiteral("M"), QStringLiteral("MALE")});
    table.QueueWrite(QStringLiteral("Delete From DUVCRT.ARYSEX Where SEXCOD=?"), {QStringLiteral("F")});
    try {
        table.QueueWrite(insert, {QStringLiteral("M"), QStringLiteral("AGAIN")});
        // when the transaction commits,
        table.CommitTransaction();
        QFAIL("the commit of a failed write succeeded");
    } catch (const DataAccessError &error) {
        // then the call that learns of it (at once, or at the commit) fails
        // through Error naming that write,
        QCOMPARE(error.number(), int(DataAccessError::DuplicateKey));
        QCOMPARE(error.statement(), insert);
        table.RollbackTransaction();
    }
    QCOMPARE(table.events.size(), 1);
    // nothing of the transaction is written,
    QCOMPARE(TestDatabase::value(QStringLiteral("Select Count(*) From DUVCRT.ARYSEX")).toInt(), 1);
    QCOMPARE(TestDatabase::value(QStringLiteral("Select SEXCOD From DUVCRT.ARYSEX")).toString(), QStringLiteral("F"));

    // and the same writes without the fault are all made.
    table.BeginTransaction();
    table.QueueWrite(insert, {QStringLiteral("M"), QStringLiteral("MALE")});
    table.QueueWrite(QStringLiteral("Delete From DUVCRT.ARYSEX Where SEXCOD=?"), {QStringLiteral("F")});
    table.CommitTransaction();
    QCOMPARE(TestDatabase::value(QStringLiteral("Select SEXCOD From DUVCRT.ARYSEX")).toString(), QStringLiteral("M"));
}

void TableObjectTest::textsDownAColumnReadBackExactly()
{
    // Given texts that repeat, nearly repeat, or go empty or null down a column,
    QVariantList texts{"Male", "Male", "Malf", "male", "", "", QVariant(), "Male", "Zoë", "Zoë", "Zoe"};
    TableObject table;
    for (qsizetype i = 0; i < texts.size(); ++i)
        table.Execute(QStringLiteral("Insert Into DUVCRT.ARYSEX (SEXCOD,SEXDSC) Values (?,?)"),
                      QVariantList{QString(QChar(char16_t(u'A' + i))), texts.at(i)});

    const auto readBack = [&table, &texts] {
        const QueryResult result = table.Fetch(QStringLiteral("Select SEXDSC From DUVCRT.ARYSEX Order By SEXCOD"));
        QCOMPARE(result.rowCount(), texts.size());
        for (int row = 0; row < result.rowCount(); ++row) {
            QCOMPARE(result.value(row, 0).isNull(), texts.at(row).isNull());
            QCOMPARE(result.value(row, 0).toString(), texts.at(row).toString());
        }
    };

    // when they are read back in one result, then each row holds its own
    // text, null where none was written;
    readBack();
    // and when the same statement reads them again after some changed to
    // texts of the same length, it shows the changes, not the last read.
    texts[0] = QStringLiteral("Malg");
    texts[8] = QStringLiteral("Zoé");
    table.Execute(QStringLiteral("Update DUVCRT.ARYSEX Set SEXDSC=? Where SEXCOD='A'"), QVariantList{texts[0]});
    table.Execute(QStringLiteral("Update DUVCRT.ARYSEX Set SEXDSC=? Where SEXCOD='I'"), QVariantList{texts[8]});
    readBack();
}

void TableObjectTest::resultDoesNotHideLaterChanges()
{
    Fixtures::addParty(1, QStringLiteral("BEFORE, NAME"));

    // Given one table object standing on a row,
    TableObject standing;
    standing.Execute(SelectParty, QVariantList{1});
    QVERIFY(!standing.Eof());

    // when another user changes that row,
    Connection otherUser(DatabaseLocation::parse(TestDatabase::location()), false);
    otherUser.run(QStringLiteral("Update DUVPRB.PRBPTY Set PTYNAM='AFTER, NAME' Where PTYKEY=1"));

    // then the next read through the shared connection sees the change.
    TableObject reader;
    reader.Execute(SelectParty, QVariantList{1});
    QCOMPARE(reader.FieldValue(QStringLiteral("PTYNAM")).toString(), QStringLiteral("AFTER, NAME"));
    QCOMPARE(standing.FieldValue(QStringLiteral("PTYNAM")).toString(), QStringLiteral("BEFORE, NAME"));
}

QTEST_GUILESS_MAIN(TableObjectTest)
#include "tst_tableobject.moc"
