// The two programs as a user starts them from a shell: how they end, what
// they print, and that a database the demo cannot use ends it with the
// command that makes one instead of a dialog nobody answers.

#include "demodatabase.h"
#include "scriptedmessages.h"
#include "testdatabase.h"

#include "data/connection.h"
#include "data/database.h"
#include "demodata.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Torva;

namespace {

// A run still going after this long is taken for one that waits for nobody.
constexpr int Patience = 60000;

struct Ended
{
    bool inTime = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// The children get a data location of their own, so that the embedded default
// they might make is the test's and not the user's.
QProcessEnvironment sandboxed(const QString &dataHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("TORVA_DATABASE"));
    return environment;
}

Ended run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Ended ended;
    ended.inTime = process.waitForFinished(Patience);
    if (!ended.inTime) {
        process.kill();
        process.waitForFinished();
    }
    ended.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ended.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    ended.err = QString::fromLocal8Bit(process.readAllStandardError());
    return ended;
}

QString describe(const Ended &ended)
{
    return QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3").arg(ended.exitCode).arg(ended.out, ended.err);
}

} // namespace

class ToolsTest : public QObject
{
    Q_OBJECT

private slots:
    void databaseTool_data();
    void databaseTool();
    void hintIsACommandToPaste();
    void bothProgramsSayTheirVersion();
    void checkNamesWhatIsMissing_data();
    void checkNamesWhatIsMissing();
    void demoOnAnUnusableDatabase_data();
    void demoOnAnUnusableDatabase();
    void startupFailureKeepsTheDetails();
};

void ToolsTest::databaseTool_data()
{
    QTest::addColumn<QStringList>("arguments");  // {dir} is a fresh folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");  // patterns; {dir} as above
    QTest::addColumn<QString>("err");

    const QString usage = QStringLiteral("^Usage: .*probation-db");
    QTest::newRow("no command") << QStringList{} << 2 << QString() << usage;
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << 2 << QString()
                                     << QStringLiteral("^probation-db: unknown command \"frobnicate\"\n\nUsage: ");
    QTest::newRow("location without --database")
        << QStringList{QStringLiteral("init"), QStringLiteral("sqlite:{dir}/x")} << 2 << QString()
        << QStringLiteral("\"sqlite:{dir}/x\".*--database.*\n\nUsage: ");
    QTest::newRow("two commands") << QStringList{QStringLiteral("info"), QStringLiteral("init")} << 2 << QString()
                                  << QStringLiteral("\"init\".*\n\nUsage: ");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--databse"), QStringLiteral("info")} << 2
                                    << QString() << QStringLiteral("databse.*\n\nUsage: ");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                          << QStringLiteral("^Usage: .*--version.*--database <location>.*init, seed --demo, info, or check") << QStringLiteral("^$");
    QTest::newRow("info of a missing folder")
        << QStringList{QStringLiteral("--database"), QStringLiteral("sqlite:{dir}/missing"), QStringLiteral("info")}
        << 1 << QString()
        << QStringLiteral("the folder {dir}/missing does not exist \\(create it with: "
                          "probation-db --database sqlite:{dir}/missing init\\)");
    QTest::newRow("init of a new folder")
        << QStringList{QStringLiteral("--database"), QStringLiteral("sqlite:{dir}/new"), QStringLiteral("init")} << 0
        << QStringLiteral("^Tables ready at sqlite:{dir}/new\n$") << QStringLiteral("^$");
}

void ToolsTest::databaseTool()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dir;
    QTemporaryDir dataHome;
    for (QString &argument : arguments)
        argument.replace(QStringLiteral("{dir}"), dir.path());
    const auto matches = [&dir](const QString &text, const QString &pattern) {
        if (pattern.isEmpty())
            return true;
        QString expression = pattern;
        expression.replace(QStringLiteral("{dir}"), QRegularExpression::escape(dir.path()));
        return QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption).match(text).hasMatch();
    };

    const Ended ended = run(QStringLiteral(TORVA_DB_TOOL), arguments, sandboxed(dataHome.path()));
    QVERIFY2(ended.inTime, qPrintable(describe(ended)));
    QVERIFY2(ended.exitCode == exitCode, qPrintable(describe(ended)));
    QVERIFY2(matches(ended.out, out), qPrintable(describe(ended)));
    QVERIFY2(matches(ended.err, err), qPrintable(describe(ended)));
    // Whatever was refused, the embedded default was left alone.
    QVERIFY(!QFileInfo::exists(QDir(dataHome.path()).filePath(QStringLiteral("TORVAProbationParties"))));
}

void ToolsTest::bothProgramsSayTheirVersion()
{
    // Each names itself and the one version of the package they come in.
    QTemporaryDir dataHome;
    QStringList versions;
    for (const QString &program : {QStringLiteral(TORVA_DB_TOOL), QStringLiteral(TORVA_DEMO_APP)}) {
        const Ended ended = run(program, {QStringLiteral("--version")}, sandboxed(dataHome.path()));
        const QRegularExpressionMatch said =
            QRegularExpression(QStringLiteral("^(probation-db|probation-demo) (\\d+\\.\\d+\\.\\d+)\n$")).match(ended.out);
        QVERIFY2(ended.exitCode == 0 && said.hasMatch(), qPrintable(describe(ended)));
        QVERIFY(program.endsWith(said.captured(1)));
        versions << said.captured(2);
    }
    QCOMPARE(versions.first(), versions.last());
}

// The hint of a failed call, pasted into a shell as it stands, makes the
// database, also where the folder's name needs quoting.
void ToolsTest::hintIsACommandToPaste()
{
    QTemporaryDir dir;
    QTemporaryDir dataHome;
    const QString location = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("case's files"));
    QProcessEnvironment environment = sandboxed(dataHome.path());
    environment.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(TORVA_DB_TOOL)).absolutePath()
                                                   + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));

    const QStringList info{QStringLiteral("--database"), location, QStringLiteral("info")};
    Ended ended = run(QStringLiteral(TORVA_DB_TOOL), info, environment);
    QCOMPARE(ended.exitCode, 1);
    const QRegularExpressionMatch hint =
        QRegularExpression(QStringLiteral("create it with: (probation-db .*)\\)\n")).match(ended.err);
    QVERIFY2(hint.hasMatch(), qPrintable(describe(ended)));

    ended = run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), hint.captured(1)}, environment);
    QVERIFY2(ended.exitCode == 0, qPrintable(describe(ended)));
    ended = run(QStringLiteral(TORVA_DB_TOOL), info, environment);
    QVERIFY2(ended.exitCode == 0, qPrintable(describe(ended)));
    QVERIFY(!QFileInfo::exists(QDir(dataHome.path()).filePath(QStringLiteral("TORVAProbationParties"))));
}

void ToolsTest::checkNamesWhatIsMissing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("damage");      // a statement that takes something away, or none
    QTest::addColumn<QStringList>("failing");  // the report's failed lines, each as it begins
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/whole", qPrintable(engine)) << engine << QString() << QStringList{};
        QTest::addRow("%s/table missing", qPrintable(engine))
            << engine << QStringLiteral("Drop Table DUVCRT.ARYSEX")
            << QStringList{QStringLiteral("FAIL  table DUVCRT.ARYSEX: cannot be read: "),
                           QStringLiteral("FAIL  statement sex list: ")};
        QTest::addRow("%s/column missing", qPrintable(engine))
            << engine << QStringLiteral("Alter Table DUVPRB.ARYRLT Drop Column RLTINVDSC")
            << QStringList{QStringLiteral("FAIL  table DUVPRB.ARYRLT: lacks the column RLTINVDSC"),
                           QStringLiteral("FAIL  statement associations of a client: "),
                           QStringLiteral("FAIL  statement associations of a party: ")};
        // The embedded database has its functions from the data layer itself.
        if (engine != QLatin1String("sqlite"))
            QTest::addRow("%s/function missing", qPrintable(engine))
                << engine << QStringLiteral("Drop Function public.ifnull")
                << QStringList{QStringLiteral("FAIL  function IfNull: "),
                               QStringLiteral("FAIL  statement next party key: "),
                               QStringLiteral("FAIL  statement associations of a client: "),
                               QStringLiteral("FAIL  statement associations of a party: ")};
    }
}

void ToolsTest::checkNamesWhatIsMissing()
{
    QFETCH(QString, engine);
    QFETCH(QString, damage);
    QFETCH(QStringList, failing);
    // Given the demo agency's database, less what the row takes away,
    TORVA_USE_DATABASE(engine);
    DemoData::seed();
    if (!damage.isEmpty())
        Database::connection().run(damage);
    const QString location = TestDatabase::location();
    Database::close();

    // when its administrator checks it,
    QTemporaryDir dataHome;
    const Ended ended = run(QStringLiteral(TORVA_DB_TOOL), {QStringLiteral("--database"), location, QStringLiteral("check")},
                            sandboxed(dataHome.path()));

    // then every check has its line, those that fail say so and why, and
    // the run fails with them.
    QVERIFY2(ended.exitCode == (failing.isEmpty() ? 0 : 1), qPrintable(describe(ended)));
    const QStringList failed = ended.out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^FAIL ")));
    QVERIFY2(failed.size() == failing.size(), qPrintable(describe(ended)));
    for (const QString &line : failing) {
        QVERIFY2(std::any_of(failed.cbegin(), failed.cend(), [&line](const QString &f) { return f.startsWith(line); }),
                 qPrintable(line + QStringLiteral(" in\n") + describe(ended)));
    }
    QVERIFY2(ended.out.contains(QStringLiteral("33 checks, %1 failed\n").arg(failing.size())), qPrintable(describe(ended)));
    QVERIFY2(ended.out.contains(QStringLiteral("ok    row lock: a party held is refused to a second connection")),
             qPrintable(describe(ended)));
}

void ToolsTest::demoOnAnUnusableDatabase_data()
{
    QTest::addColumn<QString>("location");  // {dir} is a fresh folder; empty for the embedded default
    QTest::addColumn<QString>("prepare");   // "init": the tool makes the tables first; "postgres": see below
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said");     // on stderr
    QTest::addColumn<QStringList>("notSaid");  // anywhere

    const QString init = QStringLiteral("probation-db --database %1 init\n");
    const QString seed = QStringLiteral("probation-db --database %1 seed --demo\n");
    const QString missing = QStringLiteral("sqlite:{dir}/missing");
    const QString folder = QStringLiteral("sqlite:{dir}");
    const QString nobody = QStringLiteral("postgresql://nobody@127.0.0.1:1/x");
    // Refused at start-up: no window, so no picture of one.
    const QStringList noWindow{QStringLiteral("Screenshot written")};
    QTest::newRow("missing folder")
        << missing << QString() << 1
        << QStringList{QStringLiteral("probation-demo: There is no probation database at %1: the folder does not "
                                      "exist.").arg(missing),
                       init.arg(missing), seed.arg(missing)}
        << noWindow;
    QTest::newRow("folder without the files")
        << folder << QString() << 1
        << QStringList{QStringLiteral("There is no probation database at %1: the folder holds no database files.")
                           .arg(folder),
                       init.arg(folder), seed.arg(folder)}
        << noWindow;
    QTest::newRow("tables without the demo agency")
        << folder << QStringLiteral("init") << 1
        << QStringList{QStringLiteral("The database at %1 holds no clients").arg(folder), seed.arg(folder)}
        << noWindow + QStringList{QStringLiteral(" init\n")};
    QTest::newRow("unreachable server")
        << nobody << QString() << 1
        << QStringList{QStringLiteral("The database server of %1 cannot be reached").arg(nobody), init.arg(nobody),
                       seed.arg(nobody)}
        << noWindow;
    // A statement that fails once the window is up: said, and the run fails.
    QTest::newRow("failure after start-up") << QString() << QStringLiteral("postgres") << 1
                                            << QStringList{QStringLiteral("The associations could not be read.")}
                                            << QStringList{};
    QTest::newRow("embedded default, made on first use") << QString() << QString() << 0 << QStringList{}
                                                         << QStringList{QStringLiteral("probation-demo:")};
}

void ToolsTest::demoOnAnUnusableDatabase()
{
    QFETCH(QString, location);
    QFETCH(QString, prepare);
    QFETCH(int, exitCode);
    QFETCH(QStringList, said);
    QFETCH(QStringList, notSaid);
    QTemporaryDir dir;
    QTemporaryDir dataHome;
    const QProcessEnvironment environment = sandboxed(dataHome.path());
    location.replace(QStringLiteral("{dir}"), dir.path());
    if (prepare == QLatin1String("init")) {
        const Ended made = run(QStringLiteral(TORVA_DB_TOOL), {QStringLiteral("--database"), location, QStringLiteral("init")},
                               environment);
        QVERIFY2(made.exitCode == 0, qPrintable(describe(made)));
    } else if (prepare == QLatin1String("postgres")) {
        // The demo agency on the server, less a function the outline's statement calls.
        TORVA_USE_DATABASE(QStringLiteral("postgresql"));
        DemoData::seed();
        Database::connection().run(QStringLiteral("Drop Function public.zoned(numeric, integer, integer)"));
        location = TestDatabase::location();
        Database::close();
    }

    QStringList arguments{QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("window.png"))};
    if (!location.isEmpty())
        arguments << QStringLiteral("--database") << location;
    const Ended ended = run(QStringLiteral(TORVA_DEMO_APP), arguments, environment);
    QVERIFY2(ended.inTime, qPrintable(describe(ended)));
    QVERIFY2(ended.exitCode == exitCode, qPrintable(describe(ended)));
    for (QString text : said)
        QVERIFY2(ended.err.contains(text.replace(QStringLiteral("{dir}"), dir.path())), qPrintable(describe(ended)));
    for (const QString &text : notSaid)
        QVERIFY2(!(ended.out + ended.err).contains(text), qPrintable(describe(ended)));
    if (exitCode == 0)
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("window.png"))));
}

// Started with a window system, the same failure comes as one message box:
// the plain words and the commands, and the database's own message and the
// statement under its details.
void ToolsTest::startupFailureKeepsTheDetails()
{
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    Database::connection().run(QStringLiteral("Drop Table DUVPRB.PRBSEC"));
    const QString location = TestDatabase::location();
    Database::close();

    ScriptedMessages boxes;
    QVERIFY(!openDemoDatabase(location));
    QCOMPARE(boxes.messages.size(), 1);
    const ScriptedMessages::Message &box = boxes.messages.first();
    QVERIFY2(box.text.contains(QStringLiteral("DUVPRB.PRBSEC")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("probation-db --database %1 init").arg(location)), qPrintable(box.text));
    QVERIFY2(!box.text.contains(QStringLiteral("Select")), qPrintable(box.text));
    QVERIFY2(box.details.contains(QStringLiteral("PRBSEC (sqlite error ")), qPrintable(box.details));
    QVERIFY2(box.details.contains(QStringLiteral("Statement: Select Count(*) As ROWCOUNT From DUVPRB.PRBSEC")),
             qPrintable(box.details));
}

QTEST_MAIN(ToolsTest)
#include "tst_tools.moc"
