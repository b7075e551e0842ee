#include "data/connection.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/engines/sqliteengine.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "throwawayserver.h"
#include "writeattempt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTcpServer>
#include <QUrl>
#include <QtTest>

#include <functional>
#include <unistd.h>

using namespace Torva;

// A database that cannot be used: the first statement fails through Error and
// the exception alike, saying where it looked, what is wrong and what to run,
// and nothing is made in place of what is missing.
//
// The database changing under a running host: a server that restarts, files
// that are replaced, emptied or mended. The next call after the database is
// back works, and no save is reported that the database does not hold.

namespace {
// Readies what a row needs in a fresh folder; returns the location to use
// (empty: the one the environment names).
using Prepare = std::function<QString(const QString &folder)>;

// Whether the party is in the files as another program opening them finds it.
bool inTheFiles(int key)
{
    Connection reader(DatabaseLocation::parse(TestDatabase::location()), false);
    QSqlQuery query(reader.database());
    return query.exec(QStringLiteral("Select PTYKEY From DUVPRB.PRBPTY Where PTYKEY=%1").arg(key)) && query.next();
}

// Makes a file read-only for this process, as root too (whose writes a
// file's mode does not stop): immutable then, where the file system allows.
bool makeReadOnly(const QString &file, bool readOnly)
{
    if (::geteuid() != 0)
        return QFile::setPermissions(file, readOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
    return QProcess::execute(QStringLiteral("chattr"), {readOnly ? QStringLiteral("+i") : QStringLiteral("-i"), file}) == 0;
}

// A file's other files (its journal and shared memory) go with it when it is restored or emptied.
void dropCompanions(const QString &file)
{
    QFile::remove(file + QStringLiteral("-wal"));
    QFile::remove(file + QStringLiteral("-shm"));
}
} // namespace

Q_DECLARE_METATYPE(Prepare)

class RecoveryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_silent.listen(QHostAddress::LocalHost)); }
    void cleanup()
    {
        Database::clearLocation();
        qunsetenv("TORVA_DATABASE");
    }
    void unusableDatabase_data();
    void unusableDatabase();
    void serverRestartIsSurvived();
    void frozenServerEndsTheCallAtTheDeadline();
    void sqliteFilesChangedUnderTheHost_data();
    void sqliteFilesChangedUnderTheHost();

private:
    QTcpServer m_silent;  // takes a connection and never answers
};

// A server of the test's own with every table, the data layer on it; or the
// test skipped (failed where PostgreSQL is required).
#define TORVA_THROWAWAY_SERVER(server)                                                                                 \
    ThrowawayServer server;                                                                                            \
    if (!server.isRunning()) {                                                                                         \
        if (TestDatabase::isRequired(QStringLiteral("postgresql")))                                                    \
            QFAIL(qPrintable(server.why()));                                                                           \
        QSKIP(qPrintable(server.why()));                                                                               \
    }                                                                                                                  \
    Database::setLocation(server.location());                                                                          \
    Database::initialize()

void RecoveryTest::unusableDatabase_data()
{
    QTest::addColumn<Prepare>("prepare");
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("mentions");  // {folder}: the row's folder; {location}: the location used

    const QString server = QStringLiteral("postgresql://officer@127.0.0.1:%1/probation");
    QTest::newRow("folder that does not exist")
        << Prepare([](const QString &folder) { return QStringLiteral("sqlite:%1/mistyped").arg(folder); })
        << int(DataAccessError::ConnectionFailed)
        << QStringList{"{folder}/mistyped", "does not exist", "probation-db --database {location} init"};
    QTest::newRow("library file missing") << Prepare([](const QString &folder) {
        Database::setLocation(QStringLiteral("sqlite:") + folder);
        Database::initialize();
        Database::close();
        QFile::remove(SqliteEngine::libraryFile(folder, QStringLiteral("DUVCRT")));
        return QStringLiteral("sqlite:") + folder;
    }) << int(DataAccessError::ConnectionFailed)
        << QStringList{SqliteEngine::libraryFile(QStringLiteral("{folder}"), QStringLiteral("DUVCRT")), "missing"};
    QTest::newRow("environment names no usable database") << Prepare([](const QString &) {
        qputenv("TORVA_DATABASE", "oracle://somewhere/db");
        return QString();
    }) << int(DataAccessError::ConfigurationError) << QStringList{"TORVA_DATABASE", "oracle://somewhere/db"};
    // A port on which nothing listens refuses the connection at once; a
    // server that takes it and says nothing is given up on after the timeout.
    QTest::newRow("server down") << Prepare([server](const QString &) {
        QTcpServer gone;
        gone.listen(QHostAddress::LocalHost);
        return server.arg(gone.serverPort());
    }) << int(DataAccessError::ConnectionFailed) << QStringList{"{location}"};
    QTest::newRow("server never answers") << Prepare([location = server.arg(m_silent.serverPort())](const QString &) {
        return location;
    }) << int(DataAccessError::ConnectionFailed) << QStringList{"{location}"};
}

void RecoveryTest::unusableDatabase()
{
    QFETCH(Prepare, prepare);
    QFETCH(int, number);
    QFETCH(QStringList, mentions);
    QTemporaryDir folder;
    const QString location = prepare(folder.path());
    if (!location.isEmpty())  // else the environment's (cleanup() let go of the last row's)
        Database::setLocation(location);
    const auto contents = [&folder] {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    const QStringList before = contents();

    // When a statement runs,
    TableObject table;
    int signalled = 0;
    connect(&table, &TableObject::Error, this, [&signalled](int &signalledNumber, QString &) { signalled = signalledNumber; });
    try {
        table.Execute(Statements::SecurityRow, QVariantList{"X"});
        QFAIL("a statement ran on an unusable database");
    } catch (const DataAccessError &error) {
        // then Error and the exception give the same failure, saying what is wrong,
        QCOMPARE(signalled, number);
        QCOMPARE(error.number(), number);
        const QString said = QString::fromStdString(error.what());
        for (QString part : mentions) {
            part.replace(QStringLiteral("{folder}"), folder.path()).replace(QStringLiteral("{location}"), location);
            QVERIFY2(said.contains(part, Qt::CaseInsensitive), qPrintable(said + QStringLiteral(" -- lacks: ") + part));
        }
    }
    // and nothing is made in place of what is missing.
    QCOMPARE(contents(), before);
}

void RecoveryTest::serverRestartIsSurvived()
{
    TORVA_THROWAWAY_SERVER(server);
    PartyForm::seedCodes();
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("DOE, JOHN")));
    Fixtures::addParty(PartyForm::onFile(6, QStringLiteral("DOE, JANE")));
    Fixtures::addParty(PartyForm::onFile(7, QStringLiteral("DOE, JIM")));
    Database::setUserName(QStringLiteral("JSMITH"));
    ScriptedMessages boxes;

    // Given editors holding parties 5 and 7, and a lock connection that
    // never locked anything put back for the next editor,
    PartyEditorHost holding;
    QVERIFY(holding.editor->LoadRecord(5));
    PartyEditorHost deleting;
    QVERIFY(deleting.editor->LoadRecord(7));
    TableObject().Execute(Statements::LoadPartyForUpdate, QVariantList{999});

    // when the server restarts, ending every connection,
    QVERIFY2(server.stop() && server.start(), qPrintable(server.why()));

    // then the next load works (on a new lock connection, the kept one being dead),
    PartyEditorHost other;
    QVERIFY(other.editor->LoadRecord(6));
    // the holding editor takes its lost lock again and saves,
    QVERIFY(holding.editor->SaveRecord());
    QVERIFY(WriteAttempt::heldByAnother(5));
    // and a new party is saved and held.
    PartyEditorHost adding;
    QVERIFY(PartyForm().enterAsNew(adding));
    QVERIFY(adding.editor->SaveRecord());
    QVERIFY(WriteAttempt::heldByAnother(adding.editor->PartyKey));
    QCOMPARE(holding.errors + other.errors + adding.errors, 0);
    QVERIFY2(boxes.messages.isEmpty(), qPrintable(boxes.texts().join('\n')));

    // A party whose lock went with the restart and that another user took
    // meanwhile is not deleted (nor saved) under them.
    PartyEditorHost taking;
    QVERIFY(taking.editor->LoadRecord(7));
    QSignalSpy refused(deleting.editor, &PartyEditor::LockError);
    QVERIFY(!deleting.editor->DeleteRecord());
    QCOMPARE(refused.count(), 1);
    QCOMPARE(TestDatabase::value(QStringLiteral("Select Count(*) From DUVPRB.PRBPTY Where PTYKEY=?"), {7}).toInt(), 1);
    QCOMPARE(boxes.messages.size(), 1);
}

void RecoveryTest::frozenServerEndsTheCallAtTheDeadline()
{
    TORVA_THROWAWAY_SERVER(server);
    Database::setStatementDeadline(std::chrono::milliseconds(1000));
    const auto usualDeadline = qScopeGuard([] { Database::setStatementDeadline(Database::DefaultDeadline); });
    WriteAttempt::seed(WriteAttempt::Path::PartyUpdate);
    Fixtures::addParty(PartyForm::onFile(6, QStringLiteral("DOE, JANE")));
    const QStringList before = WriteAttempt::stored(WriteAttempt::Path::PartyUpdate);
    ScriptedMessages boxes;

    // Given a user about to save a party, when the server stops answering,
    WriteAttempt attempt(WriteAttempt::Path::PartyUpdate);
    QVERIFY(attempt.ready());
    QVERIFY2(server.freeze(), qPrintable(server.why()));
    auto thawed = qScopeGuard([&server] { server.thaw(); });

    // then the save ends with one Error that names the server, and no hang;
    QElapsedTimer waited;
    waited.start();
    QString saving;
    try {
        attempt.write();
    } catch (const DataAccessError &error) {
        saving = error.description();
    }
    QVERIFY2(saving.contains(QStringLiteral("127.0.0.1:%1").arg(QUrl(server.location()).port())), qPrintable(saving));
    QCOMPARE(attempt.errors, 1);
    // the next call, while the server is still stopped, fails too on the
    // new connection it tries (which gives up at the deadline as well),
    PartyEditorHost other;
    QVERIFY_THROWS_EXCEPTION(DataAccessError, other.editor->LoadRecord(6));
    QVERIFY2(waited.elapsed() < 20000, "the calls waited on a stopped server far past the deadline");

    // and once the server runs again nothing of the save was written, the
    // next call works and the same editor saves.
    thawed.dismiss();
    server.thaw();
    QCOMPARE(WriteAttempt::stored(WriteAttempt::Path::PartyUpdate), before);
    QVERIFY(other.editor->LoadRecord(6));
    QVERIFY(attempt.write());
    QVERIFY(WriteAttempt::stored(WriteAttempt::Path::PartyUpdate) != before);
    QCOMPARE(attempt.errors + other.errors, 1 + 1);
}

void RecoveryTest::sqliteFilesChangedUnderTheHost_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("restored from a backup") << "restored";
    QTest::newRow("cut short under the host, then restored") << "cut short";
    QTest::newRow("empty when opened, mended by a new file") << "empty, new file";
    QTest::newRow("empty when opened, mended in place") << "empty, in place";
    QTest::newRow("read-only when opened, then writable") << "read-only";
}

void RecoveryTest::sqliteFilesChangedUnderTheHost()
{
    QFETCH(QString, change);
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    PartyForm::seedCodes();
    Fixtures::addParty(PartyForm::onFile(5, QStringLiteral("DOE, JOHN")));
    ScriptedMessages boxes;
    const QString file = QDir(DatabaseLocation::parse(TestDatabase::location()).folder())
                             .filePath(QStringLiteral("DUVPRB.sqlite"));
    const QString backup = file + QStringLiteral(".backup");
    Database::connection().run(QStringLiteral("VACUUM DUVPRB INTO '%1'").arg(backup));
    const auto restore = [&](bool inPlace) {
        dropCompanions(file);
        QFile source(backup);
        QVERIFY(source.open(QIODevice::ReadOnly));
        if (inPlace) {
            QFile target(file);
            QVERIFY(target.open(QIODevice::WriteOnly) && target.write(source.readAll()) > 0);
        } else {
            QSaveFile target(file);  // written beside it, then renamed over it: a new file
            QVERIFY(target.open(QIODevice::WriteOnly) && target.write(source.readAll()) > 0 && target.commit());
        }
        QTest::qWait(20);  // the user's next action comes a moment later, not in the same burst of statements
    };

    // Given a host that saved a party after the backup was made,
    PartyEditorHost host;
    QVERIFY(PartyForm().enterAsNew(host));
    QVERIFY(host.editor->SaveRecord());
    const int afterBackup = host.editor->PartyKey;
    QVERIFY(inTheFiles(afterBackup));

    const bool readOnly = change == QLatin1String("read-only");
    if (readOnly || change.startsWith(QLatin1String("empty"))) {
        // when the host opens the database while its file is empty or cannot
        // be written, the first call that needs it fails and says so,
        Database::clearLocation();  // the host ends, writing out what it had
        if (readOnly && !makeReadOnly(file, true))
            QSKIP("the file cannot be made read-only here");
        const auto writableAgain = qScopeGuard([&] { makeReadOnly(file, false); });
        if (!readOnly) {
            dropCompanions(file);
            QVERIFY(QFile(file).resize(0));
        }
        Database::setLocation(TestDatabase::location());
        {
            PartyEditorHost failing;
            try {
                if (failing.editor->LoadRecord(5))
                    failing.editor->SaveRecord();
            } catch (const DataAccessError &) {
            }
            QCOMPARE(failing.errors, 1);
        }
        // and once it is mended, the next load and save work, into the file.
        if (readOnly)
            QVERIFY(makeReadOnly(file, false));
        else
            restore(change.endsWith(QLatin1String("in place")));
        PartyEditorHost next;
        QVERIFY(next.editor->LoadRecord(5));
        QVERIFY(next.editor->SaveRecord());
        QVERIFY(inTheFiles(5));
    } else {
        // when the file is cut short under the running host, it goes on or
        // fails the call, and does not end;
        if (change == QLatin1String("cut short")) {
            QVERIFY(QFile(file).resize(0));
            try {
                PartyEditorHost reading;
                reading.editor->LoadRecord(5);
            } catch (const DataAccessError &) {
            }
        }
        // when the folder is restored from the backup while it runs, the
        // next save goes into the files the folder holds now.
        restore(false);
        PartyEditorHost next;
        QVERIFY(PartyForm().enterAsNew(next));
        QVERIFY(next.editor->SaveRecord());
        QVERIFY(inTheFiles(next.editor->PartyKey));
        QVERIFY(!inTheFiles(afterBackup) || next.editor->PartyKey == afterBackup);
    }
    QVERIFY2(boxes.messages.isEmpty(), qPrintable(boxes.texts().join('\n')));
}

QTEST_MAIN(RecoveryTest)
#include "tst_recovery.moc"
