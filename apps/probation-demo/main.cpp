// probation-demo: the demo host application. It opens the embedded demo
// database (made and filled on first use) or the one named, and shows a
// client's associations; associates open in their own windows.
//
//   probation-demo [--database LOCATION] [--user NAME] [--client KEY | --party KEY] [--view]
//                  [--open-party KEY] [--screenshot FILE]

#include "failuremessage.h"
#include "mainwindow.h"
#include "partywindow.h"

#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/demodata.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("probation-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The demo host of the probation party controls."));
    parser.addHelpOption();
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

    try {
        if (parser.isSet(QStringLiteral("database")))
            Database::setLocation(parser.value(QStringLiteral("database")));
        Database::setUserName(user);
        if (Database::location() == DatabaseLocation::sqliteFolder(Database::defaultFolder()))
            DemoData::seed();
    } catch (const DataAccessError &error) {
        QTextStream(stderr) << "probation-demo: " << error.description() << "\n";
        if (!screenshot)
            showFailure(nullptr, QStringLiteral("The database cannot be used."), error);
        return 1;
    }

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
        QTimer::singleShot(200, &window, [shown, file] {
            const bool saved = shown->grab().save(file);
            QTextStream(stdout) << (saved ? "Screenshot written to " : "Could not write ") << file << "\n";
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
