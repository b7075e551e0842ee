// Embeds both editors through the installed headers and library:
//
//   consumer sqlite:/folder
//
// names the database, creates a PartyEditor and a PartiesEditor, prints the
// location in force and the editors' class names, and exits.

#include <TORVAProbationParties/data/dataaccesserror.h>
#include <TORVAProbationParties/data/database.h>
#include <TORVAProbationParties/parties_editor/partieseditor.h>
#include <TORVAProbationParties/party_editor/partyeditor.h>

#include <QApplication>
#include <QTextStream>

using namespace Torva;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        err << "usage: consumer sqlite:/folder\n";
        return 2;
    }
    try {
        Database::setLocation(arguments.at(1));
    } catch (const DataAccessError &error) {
        err << "consumer: " << error.description() << "\n";
        return 1;
    }

    PartyEditor party;
    PartiesEditor parties;
    out << "database " << Database::location().toDisplayString() << "\n"
        << "editors " << party.metaObject()->className() << " " << parties.metaObject()->className() << "\n";
    return party.Enabled() && parties.Enabled() ? 0 : 1;
}
