// probation-demo: the demo host application. It opens the embedded demo
// database (made and filled on first use) or the one named, and shows a
// party loaded for editing.
//
//   probation-demo [--database LOCATION] [--user NAME] [--party KEY] [--view] [--screenshot FILE]

#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/demodata.h"
#include "data/tableobject.h"
#include "party_editor/partyeditor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextStream>
#include <QTimer>

namespace {

QString describe(const DataAccessError &error)
{
    QString text = error.description();
    if (!error.statement().isEmpty())
        text += QStringLiteral("\n\nStatement: ") + error.statement();
    return text;
}

} // namespace

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
    parser.addOption({QStringLiteral("party"), QStringLiteral("The party to open (default 1)."), QStringLiteral("key"),
                      QStringLiteral("1")});
    parser.addOption({QStringLiteral("view"), QStringLiteral("Show the party read-only.")});
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("Render the window to a PNG file and exit (for machines without a display)."),
                      QStringLiteral("file")});
    parser.process(app);

    QString user = parser.value(QStringLiteral("user"));
    if (user.isEmpty())
        user = qEnvironmentVariable("TORVA_USER", DemoData::supervisorUser());

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Probation parties"));
    auto *editor = new PartyEditor(&window);
    window.setCentralWidget(editor);
    QObject::connect(editor, &PartyEditor::LockError, &window, [editor, &window] {
        const auto holder = editor->LockedBy();
        window.statusBar()->showMessage(QStringLiteral("This party is being edited by %1; it is shown read-only.")
                                            .arg(holder ? holder->describe() : QStringLiteral("another user")));
    });

    try {
        if (parser.isSet(QStringLiteral("database")))
            Database::setLocation(parser.value(QStringLiteral("database")));
        Database::setUserName(user);
        if (Database::location() == DatabaseLocation::sqliteFolder(Database::defaultFolder()))
            DemoData::seed();
        editor->UserID = user;
        editor->UserMode = parser.isSet(QStringLiteral("view")) ? QStringLiteral("*VIEW") : QStringLiteral("*EDIT");
        const int key = parser.value(QStringLiteral("party")).toInt();
        if (!editor->LoadRecord(key) && !editor->LockedBy())
            window.statusBar()->showMessage(QStringLiteral("There is no party %1.").arg(key));
        else if (!window.statusBar()->currentMessage().isEmpty())
            ;
        else
            window.statusBar()->showMessage(QStringLiteral("Party %1, signed on as %2").arg(key).arg(user));
    } catch (const DataAccessError &error) {
        if (parser.isSet(QStringLiteral("screenshot"))) {
            QTextStream(stderr) << "probation-demo: " << describe(error) << "\n";
            return 1;
        }
        QMessageBox::critical(nullptr, QStringLiteral("Probation parties"), describe(error));
        return 1;
    }

    window.resize(window.sizeHint().expandedTo(QSize(660, 380)));
    window.show();

    if (parser.isSet(QStringLiteral("screenshot"))) {
        const QString file = parser.value(QStringLiteral("screenshot"));
        QTimer::singleShot(0, &window, [&window, file] {
            const bool saved = window.grab().save(file);
            QTextStream(stdout) << (saved ? "Screenshot written to " : "Could not write ") << file << "\n";
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
