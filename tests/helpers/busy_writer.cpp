// Another writer that keeps the database busy:
//   busy_writer LOCATION [SECONDS]
// opens a write transaction, changes every party and zip row in it, prints
// "holding", and keeps the transaction open until its input closes (or
// SECONDS have passed); then rolls it back and prints "released".

#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/tableobject.h"

#include <QCoreApplication>

#include <QDeadlineTimer>

#include <cstdio>
#include <poll.h>
#include <unistd.h>

using namespace Torva;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: busy_writer LOCATION [SECONDS]\n");
        return 2;
    }
    try {
        Database::setLocation(arguments.at(1));
        TableObject table;
        table.BeginTransaction();
        table.Execute(QStringLiteral("Update DUVPRB.PRBPTY Set PTYUSR='BUSY'"));
        table.Execute(QStringLiteral("Update DUVCRT.ZIPDTA Set ZIPCTY=ZIPCTY"));
        std::printf("holding\n");
        std::fflush(stdout);
        const QDeadlineTimer deadline = arguments.size() == 3 ? QDeadlineTimer(arguments.at(2).toInt() * 1000)
                                                              : QDeadlineTimer(QDeadlineTimer::Forever);
        char buffer[64];
        for (;;) {
            pollfd input{STDIN_FILENO, POLLIN, 0};
            const int timeout = deadline.isForever() ? -1 : int(deadline.remainingTime());
            if (::poll(&input, 1, timeout) <= 0)
                break;  // the time is up
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                break;  // the input closed
        }
        table.RollbackTransaction();
        std::printf("released\n");
        std::fflush(stdout);
    } catch (const DataAccessError &error) {
        std::printf("error %s\n", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
