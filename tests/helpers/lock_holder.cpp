// Holds row locks for tests that need a second process:
//   lock_holder LOCATION USER KEY [KEY...]
// loads each party under lock, prints "locked" or "refused" per key, then
// waits until its standard input closes (or it is killed).

#include "data/database.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
#include "data/tableobject.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <vector>

using namespace Torva;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: lock_holder LOCATION USER KEY [KEY...]\n");
        return 2;
    }
    QTextStream out(stdout);
    std::vector<std::unique_ptr<TableObject>> held;
    try {
        Database::setLocation(arguments.at(1));
        Database::setUserName(arguments.at(2));
        for (const QString &key : arguments.mid(3)) {
            auto table = std::make_unique<TableObject>();
            table->Execute(Statements::LoadPartyForUpdate, QVariantList{key.toInt()});
            out << (table->RecordLocked() ? "refused " : "locked ") << key << Qt::endl;
            held.push_back(std::move(table));
        }
    } catch (const DataAccessError &error) {
        out << "error " << error.description() << Qt::endl;
        return 1;
    }
    // Hold until the test closes our input.
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    return 0;
}
