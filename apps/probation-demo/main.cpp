// probation-demo: the demo host application. It opens the embedded demo
// database (made and filled on first use) or the one named, and shows a
// client's associations; associates open in their own windows.
//
//   probation-demo [--database LOCATION] [--user NAME] [--client KEY | --party KEY] [--view]
//                  [--open-party KEY] [--screenshot FILE]
//
// A database it cannot use ends it with status 1 and the probation-db
// commands that make one. With --screenshot nothing waits for an answer:
// messages go to stderr, and any of them makes the exit status non-zero.

#include "demodatabase.h"
#include "printedmessages.h"
#include "mainwindow.h"
#include "partywindow.h"

#include "data/database.h"
#include "demodata.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>

#include <optional>

using namespace Torva;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("probation-demo"));
    QApplication::setApplicationVersion(QStringLiteral(TORVA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The demo host of the probation party controls."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("database"),
                      QStringLiteral("sqlite:/folder, postgresql://user@host:port/db or odbc:DSN=name "
                                     "(default: TORVA_DATABASE, else the embedded demo database)."),
                      QStringLiteral("location")});
    parser.addOption({QStringLiteral("user"), QStringLiteral("The user signed on (default: TORVA_USER, else SUPERVISOR)."),
                      QStringLiteral("name")});
    parser.addOption({QStringLiteral("client"), QStringLiteral("The client to show first."), QStringLiteral("key")});
    parser.addOption({QStringLiteral("party"), QStringLiteral("The party to show first."), QStringLiteral("key")});
    parser.addOption({QStringLiteral("view"), QStringLiteral("Show everything read-only.")});
    parser.addOption({QStringLiteral("open-party"), QStringLiteral("Also open this party in its own window."),
                      QStringLiteral("key")});
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("Render the window to a PNG file and exit (for machines without a display)."),
                      QStringLiteral("file")});
    parser.process(app);

    QString user = parser.value(QStringLiteral("user"));
    if (user.isEmpty())
        user = qEnvironmentVariable("TORVA_USER", DemoData::supervisorUser());
    const bool screenshot = parser.isSet(QStringLiteral("screenshot"));
    // A run that renders the window to a file has nobody to answer a message
    // box: its messages go to stderr, and any of them makes the run fail.
    std::optional<PrintedMessages> printed;
    if (screenshot)
        printed.emplace();

    Database::setUserName(user);
    if (!openDemoDatabase(parser.value(QStringLiteral("database"))))
        return 1;

    MainWindow window(user, parser.isSet(QStringLiteral("view")));
    if (parser.isSet(QStringLiteral("party")))
        window.openSubject(QStringLiteral("P"), parser.value(QStringLiteral("party")).toInt());
    else
        window.openSubject(QStringLiteral("C"), parser.value(QStringLiteral("client")).isEmpty()
                                                    ? DemoData::featuredClient()
                                                    : parser.value(QStringLiteral("client")).toInt());
    window.resize(900, 640);
    window.show();
    QWidget *shown = &window;
    if (parser.isSet(QStringLiteral("open-party")))
        shown = window.openParty(parser.value(QStringLiteral("open-party")).toInt());

    if (screenshot) {
        const QString file = parser.value(QStringLiteral("screenshot"));
        QTimer::singleShot(200, &window, [shown, file, &printed] {
            const bool saved = shown->grab().save(file);
            QTextStream(stdout) << (saved ? "Screenshot written to " : "Could not write ") << file << "\n";
            QApplication::exit(saved && printed->messageCount() == 0 ? 0 : 1);
        });
    }
    return app.exec();
}
