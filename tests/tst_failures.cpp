#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QSqlQuery>
#include <QtTest>
#include <QTcpServer>

using namespace Torva;

namespace {
// Runs the security select on a fresh table object and returns what failed:
// the number its Error signal gave, and the exception's text. Fails the test
// when the call succeeds or when the two disagree.
struct Failure
{
    int signalled = 0;
    int thrown = 0;
    QString text;
};

Failure failureOf(const QString &statement = Statements::SecurityRow, const QVariant &values = QVariantList{"X"})
{
    Failure failure;
    TableObject table;
    QObject::connect(&table, &TableObject::Error, &table, [&failure](int &number, QString &) { failure.signalled = number; });
    try {
        table.Execute(statement, values);
    } catch (const DataAccessError &error) {
        failure.thrown = error.number();
        failure.text = QString::fromStdString(error.what());
    }
    return failure;
}

#define QVERIFY_FAILED_WITH(failure, code, ...)                                                                        \
    do {                                                                                                               \
        QCOMPARE((failure).signalled, int(code));                                                                     \
        QCOMPARE((failure).thrown, int(code));                                                                        \
        for (const QString &part : QStringList{__VA_ARGS__})                                                           \
            QVERIFY2((failure).text.contains(part, Qt::CaseInsensitive),                                               \
                     qPrintable((failure).text + QStringLiteral(" -- lacks: ") + part));                               \
    } while (false)
} // namespace

class FailuresTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void folderThatDoesNotExist();
    void libraryFileMissing();
    void missingTable_data() { TestDatabase::addEngineRows(); }
    void missingTable();
    void unusableEnvironment();
    void serverNotServing_data();
    void serverNotServing();
    void lostConnectionIsOpenedAgain();
};

void FailuresTest::cleanup()
{
    Database::clearLocation();
    qunsetenv("TORVA_DATABASE");
}

void FailuresTest::folderThatDoesNotExist()
{
    QTemporaryDir parent;
    const QString folder = parent.filePath(QStringLiteral("mistyped"));
    Database::setLocation(QStringLiteral("sqlite:") + folder);

    const Failure failure = failureOf();

    QVERIFY_FAILED_WITH(failure, DataAccessError::ConnectionFailed, folder, QStringLiteral("does not exist"),
                        QStringLiteral("probation-db --database sqlite:%1 init").arg(folder));
    // A mistyped folder is not quietly made into an empty database.
    QVERIFY(!QFileInfo::exists(folder));
}

void FailuresTest::libraryFileMissing()
{
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    const QString folder = Database::location().folder();
    Database::close();
    const QString file = SqliteEngine::libraryFile(folder, QStringLiteral("DUVCRT"));
    QVERIFY(QFile::remove(file));

    const Failure failure = failureOf();

    QVERIFY_FAILED_WITH(failure, DataAccessError::ConnectionFailed, file, QStringLiteral("missing"));
    QVERIFY(!QFileInfo::exists(file));
}

void FailuresTest::missingTable()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Database::connection().run(QStringLiteral("Drop Table DUVPRB.PRBSEC"));

    const Failure failure = failureOf();

    QVERIFY_FAILED_WITH(failure, DataAccessError::StatementFailed, QStringLiteral("PRBSEC"),
                        Database::location().toDisplayString(), Statements::SecurityRow);
}

void FailuresTest::unusableEnvironment()
{
    qputenv("TORVA_DATABASE", "oracle://somewhere/db");
    Database::clearLocation();

    const Failure failure = failureOf();

    QVERIFY_FAILED_WITH(failure, DataAccessError::ConfigurationError, QStringLiteral("TORVA_DATABASE"),
                        QStringLiteral("oracle://somewhere/db"));
}

void FailuresTest::serverNotServing_data()
{
    QTest::addColumn<bool>("listening");
    // A port on which nothing listens: the connection is refused at once.
    QTest::newRow("down") << false;
    // A server that accepts the connection and then says nothing: the
    // connection attempt gives up after its timeout instead of hanging.
    QTest::newRow("never answers") << true;
}

void FailuresTest::serverNotServing()
{
    QFETCH(bool, listening);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString where = QStringLiteral("postgresql://officer@127.0.0.1:%1/probation").arg(server.serverPort());
    if (!listening)
        server.close();
    Database::setLocation(where);

    const Failure failure = failureOf();

    QVERIFY_FAILED_WITH(failure, DataAccessError::ConnectionFailed, where);
}

void FailuresTest::lostConnectionIsOpenedAgain()
{
    TORVA_USE_DATABASE(QStringLiteral("postgresql"));
    Fixtures::addUser(QStringLiteral("JSMITH"), QStringLiteral("Y"));
    TableObject table;
    table.Execute(Statements::SecurityRow, QVariantList{"JSMITH"});

    // Given the server ends this process's sessions (a restart, an administrator),
    Connection administrator(DatabaseLocation::parse(TestDatabase::location()), false);
    administrator.run(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                     "datname = current_database() AND pid <> pg_backend_pid()"));
    const auto othersLeft = [&administrator] {
        QSqlQuery query(administrator.database());
        query.exec(QStringLiteral("Select Count(*) From pg_stat_activity Where datname = current_database() "
                                  "And pid <> pg_backend_pid() And backend_type = 'client backend'"));
        return query.next() ? query.value(0).toInt() : -1;
    };
    QTRY_COMPARE(othersLeft(), 0);  // ended for good, as after a restart,
    QTest::qWait(200);              // and the end has reached this side's sockets

    // then the next statement runs on a new connection, without a failure.
    int signalled = 0;
    connect(&table, &TableObject::Error, this, [&signalled](int &, QString &) { ++signalled; });
    table.Execute(Statements::SecurityRow, QVariantList{"JSMITH"});
    QCOMPARE(table.FieldValue(QStringLiteral("SECP02")).toString(), QStringLiteral("Y"));
    QCOMPARE(signalled, 0);
}

QTEST_GUILESS_MAIN(FailuresTest)
#include "tst_failures.moc"
