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
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Torva;

namespace {

// How a program run ended, and what it printed.
struct Ended
{
    int exitCode = -1;  // -1 when it crashed or was still running after a minute
    QString out;
    QString err;

    QString described() const
    {
        return QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3").arg(exitCode).arg(out, err);
    }
};

// Fails the test with what the run printed unless the condition holds.
#define QVERIFY_RUN(condition, ended) QVERIFY2(condition, qPrintable((ended).described()))

// Runs a program as a user would from a shell, with a data location of its
// own (the embedded default it might make is the test's, not the user's); a
// run still going after a minute is taken for one that waits for nobody (and
// killed as the process goes).
Ended run(const QString &program, const QStringList &arguments, const QString &dataHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("TORVA_DATABASE"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

Ended runTool(const QString &location, const QString &command, const QString &dataHome)
{
    return run(QStringLiteral(TORVA_DB_TOOL), QStringList{QStringLiteral("--database"), location} + command.split(' '),
               dataHome);
}

bool defaultMade(const QString &dataHome)
{
    return QFileInfo::exists(QDir(dataHome).filePath(QStringLiteral("TORVAProbationParties")));
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
    QTest::addColumn<QString>("arguments");  // split at blanks; {dir} is a fresh folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");  // patterns; {dir} as above
    QTest::addColumn<QString>("err");

    QTest::newRow("no command") << "" << 2 << "" << "^Usage: .*probation-db";
    QTest::newRow("unknown command") << "frobnicate" << 2 << ""
                                     << "^probation-db: unknown command \"frobnicate\"\n\nUsage: ";
    QTest::newRow("location without --database") << "init sqlite:{dir}/x" << 2 << ""
                                                  << "\"sqlite:{dir}/x\".*--database.*\n\nUsage: ";
    QTest::newRow("two commands") << "info init" << 2 << "" << "\"init\".*\n\nUsage: ";
    QTest::newRow("unknown option") << "--databse info" << 2 << "" << "databse.*\n\nUsage: ";
    QTest::newRow("help") << "--help" << 0
                          << "^Usage: .*--version.*--database <location>.*init, seed --demo, info, or check" << "^$";
    QTest::newRow("info of a missing folder")
        << "--database sqlite:{dir}/missing info" << 1 << ""
        << "the folder {dir}/missing does not exist \\(create it with: probation-db --database sqlite:{dir}/missing init\\)";
    QTest::newRow("init of a new folder") << "--database sqlite:{dir}/new init" << 0
                                          << "^Tables ready at sqlite:{dir}/new\n$" << "^$";
}

void ToolsTest::databaseTool()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dir;
    QTemporaryDir dataHome;
    const auto matches = [&dir](const QString &text, QString pattern) {
        pattern.replace(QStringLiteral("{dir}"), QRegularExpression::escape(dir.path()));
        return text.contains(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption));
    };

    const Ended ended = run(QStringLiteral(TORVA_DB_TOOL),
                            arguments.replace(QStringLiteral("{dir}"), dir.path()).split(' ', Qt::SkipEmptyParts),
                            dataHome.path());
    QVERIFY_RUN(ended.exitCode == exitCode, ended);
    QVERIFY_RUN(matches(ended.out, out) && matches(ended.err, err), ended);
    // Whatever was refused, the embedded default was left alone.
    QVERIFY(!defaultMade(dataHome.path()));
}

void ToolsTest::bothProgramsSayTheirVersion()
{
    // Each names itself and the one version of the package they come in.
    QTemporaryDir dataHome;
    QStringList versions;
    for (const QString &program : {QStringLiteral(TORVA_DB_TOOL), QStringLiteral(TORVA_DEMO_APP)}) {
        const Ended ended = run(program, {QStringLiteral("--version")}, dataHome.path());
        const QRegularExpressionMatch said =
            QRegularExpression(QStringLiteral("^(probation-db|probation-demo) (\\d+\\.\\d+\\.\\d+)\n$")).match(ended.out);
        QVERIFY_RUN(ended.exitCode == 0 && said.hasMatch() && program.endsWith(said.captured(1)), ended);
        versions << said.captured(2);
    }
    QCOMPARE(versions.first(), versions.last());
}

// The hint of a failed call, pasted into a shell as it stands, makes the
// database, also where the folder's name needs quoting; the demo agency
// seeded there is what info then shows.
void ToolsTest::hintIsACommandToPaste()
{
    QTemporaryDir dir;
    QTemporaryDir dataHome;
    const QString location = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("case's files"));
    Ended ended = runTool(location, QStringLiteral("info"), dataHome.path());
    const QRegularExpressionMatch hint =
        QRegularExpression(QStringLiteral("create it with: (probation-db .*)\\)\n")).match(ended.err);
    QVERIFY_RUN(ended.exitCode == 1 && hint.hasMatch(), ended);

    // (the shell finds the tool on its PATH, given as its $0)
    ended = run(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("PATH=\"$0:$PATH\"; ") + hint.captured(1),
                 QFileInfo(QStringLiteral(TORVA_DB_TOOL)).absolutePath()},
                dataHome.path());
    QVERIFY_RUN(ended.exitCode == 0, ended);
    for (const QString &command : {QStringLiteral("init"), QStringLiteral("seed --demo"), QStringLiteral("info")}) {
        ended = runTool(location, command, dataHome.path());
        QVERIFY_RUN(ended.exitCode == 0, ended);
    }
    for (const char *shown : {"DUVPRB\\.PRBCLT\\s+60\\b", "Sibling", "SUPERVISOR"})
        QVERIFY_RUN(ended.out.contains(QRegularExpression(QLatin1String(shown))), ended);
    QVERIFY(!defaultMade(dataHome.path()));
}

void ToolsTest::checkNamesWhatIsMissing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("damage");       // a statement that takes something away, or none
    QTest::addColumn<QStringList>("failing");  // the report's failed lines, each as it begins
    const QStringList trees{"FAIL  statement associations of a client: ", "FAIL  statement associations of a party: "};
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/whole", qPrintable(engine)) << engine << "" << QStringList{};
        QTest::addRow("%s/table missing", qPrintable(engine))
            << engine << "Drop Table DUVCRT.ARYSEX"
            << QStringList{"FAIL  table DUVCRT.ARYSEX: cannot be read: ", "FAIL  statement sex list: "};
        QTest::addRow("%s/column missing", qPrintable(engine))
            << engine << "Alter Table DUVPRB.ARYRLT Drop Column RLTINVDSC"
            << QStringList{"FAIL  table DUVPRB.ARYRLT: lacks the column RLTINVDSC"} + trees;
        // The embedded database has its functions from the data layer itself.
        if (engine != QLatin1String("sqlite"))
            QTest::addRow("%s/function missing", qPrintable(engine))
                << engine << "Drop Function public.ifnull"
                << QStringList{"FAIL  function IfNull: ", "FAIL  statement next party key: "} + trees;
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
    Database::close();

    // when its administrator checks it,
    QTemporaryDir dataHome;
    const Ended ended = runTool(TestDatabase::location(), QStringLiteral("check"), dataHome.path());

    // then every check has its line, those that fail say so and why, and
    // the run fails with them.
    QVERIFY_RUN(ended.exitCode == (failing.isEmpty() ? 0 : 1), ended);
    const QStringList failed = ended.out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^FAIL ")));
    QVERIFY_RUN(failed.size() == failing.size(), ended);
    for (const QString &line : failing) {
        const auto saidSo = [&line](const QString &said) { return said.startsWith(line); };
        QVERIFY_RUN(std::any_of(failed.cbegin(), failed.cend(), saidSo), ended);
    }
    QVERIFY_RUN(ended.out.contains(QStringLiteral("33 checks, %1 failed\n").arg(failing.size())), ended);
    QVERIFY_RUN(ended.out.contains(QStringLiteral("ok    row lock: a party held is refused to a second connection")),
                ended);
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
    // Refused at start-up: why, and the commands that make and fill a database
    // there; no window, so no picture of one.
    const auto refused = [&](const QString &at, const char *why) {
        return QStringList{QString::fromLatin1(why).arg(at), init.arg(at), seed.arg(at)};
    };
    const QStringList noWindow{"Screenshot written"};
    const QString missing = QStringLiteral("sqlite:{dir}/missing");
    const QString folder = QStringLiteral("sqlite:{dir}");
    const QString nobody = QStringLiteral("postgresql://nobody@127.0.0.1:1/x");
    QTest::newRow("missing folder")
        << missing << "" << 1
        << refused(missing, "probation-demo: There is no probation database at %1: the folder does not exist.")
        << noWindow;
    QTest::newRow("folder without the files")
        << folder << "" << 1
        << refused(folder, "There is no probation database at %1: the folder holds no database files.") << noWindow;
    QTest::newRow("tables without the demo agency")
        << folder << "init" << 1
        << QStringList{QStringLiteral("The database at %1 holds no clients").arg(folder), seed.arg(folder)}
        << noWindow + QStringList{" init\n"};
    QTest::newRow("unreachable server") << nobody << "" << 1
                                        << refused(nobody, "The database server of %1 cannot be reached") << noWindow;
    // A statement that fails once the window is up: said, and the run fails.
    QTest::newRow("failure after start-up") << "" << "postgres" << 1
                                            << QStringList{"The associations could not be read."} << QStringList{};
    QTest::newRow("embedded default, made on first use") << "" << "" << 0 << QStringList{}
                                                         << QStringList{"probation-demo:"};
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
    location.replace(QStringLiteral("{dir}"), dir.path());
    if (prepare == QLatin1String("init")) {
        const Ended made = runTool(location, QStringLiteral("init"), dataHome.path());
        QVERIFY_RUN(made.exitCode == 0, made);
    } else if (prepare == QLatin1String("postgres")) {
        // The demo agency on the server, less a function the outline's statement calls.
        TORVA_USE_DATABASE(QStringLiteral("postgresql"));
        DemoData::seed();
        Database::connection().run(QStringLiteral("Drop Function public.zoned(numeric, integer, integer)"));
        location = TestDatabase::location();
        Database::close();
    }

    const QString picture = dir.filePath(QStringLiteral("window.png"));
    QStringList arguments{QStringLiteral("--screenshot"), picture};
    if (!location.isEmpty())
        arguments << QStringLiteral("--database") << location;
    const Ended ended = run(QStringLiteral(TORVA_DEMO_APP), arguments, dataHome.path());
    QVERIFY_RUN(ended.exitCode == exitCode, ended);
    for (QString text : said)
        QVERIFY_RUN(ended.err.contains(text.replace(QStringLiteral("{dir}"), dir.path())), ended);
    for (const QString &text : notSaid)
        QVERIFY_RUN(!(ended.out + ended.err).contains(text), ended);
    // A window that came up is pictured: of sensible size, in many colours, not a blank.
    if (exitCode == 0) {
        const QImage image(picture);
        QVERIFY(image.width() >= 600 && image.height() >= 400);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        }
        QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
    }
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
    const QString shown = box.text + QStringLiteral("\n--- details\n") + box.details;
    QVERIFY2(box.text.contains(QStringLiteral("DUVPRB.PRBSEC")), qPrintable(shown));
    QVERIFY2(box.text.contains(QStringLiteral("probation-db --database %1 init").arg(location)), qPrintable(shown));
    QVERIFY2(!box.text.contains(QStringLiteral("Select")), qPrintable(shown));
    QVERIFY2(box.details.contains(QStringLiteral("PRBSEC (sqlite error ")), qPrintable(shown));
    QVERIFY2(box.details.contains(QStringLiteral("Statement: Select Count(*) As ROWCOUNT From DUVPRB.PRBSEC")),
             qPrintable(shown));
}

QTEST_MAIN(ToolsTest)
#include "tst_tools.moc"
