#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"
#include "data/statements.h"
#include "data/tableobject.h"

#include <QDirIterator>
#include <QTcpServer>
#include <QtTest>

#include <functional>

using namespace Torva;

// A database that cannot be used: the first statement fails through Error and
// the exception alike, saying where it looked, what is wrong and what to run,
// and nothing is made in place of what is missing.

namespace {
// Readies what a row needs in a fresh folder; returns the location to use
// (empty: the one the environment names).
using Prepare = std::function<QString(const QString &folder)>;

QStringList contents(const QString &folder)
{
    QStringList found;
    QDirIterator entries(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (entries.hasNext())
        found << entries.next();
    found.sort();
    return found;
}
} // namespace

Q_DECLARE_METATYPE(Prepare)

class FailuresTest : public QObject
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

private:
    QTcpServer m_silent;  // takes a connection and never answers
};

void FailuresTest::unusableDatabase_data()
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

void FailuresTest::unusableDatabase()
{
    QFETCH(Prepare, prepare);
    QFETCH(int, number);
    QFETCH(QStringList, mentions);
    QTemporaryDir folder;
    const QString location = prepare(folder.path());
    if (location.isEmpty())
        Database::clearLocation();
    else
        Database::setLocation(location);
    const QStringList before = contents(folder.path());

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
    QCOMPARE(contents(folder.path()), before);
}

QTEST_GUILESS_MAIN(FailuresTest)
#include "tst_failures.moc"
