// Dies in the middle of a write, for the crash tests:
//   save_and_die LOCATION PATH STEP
// readies the editor for PATH (party-insert, party-update, party-delete,
// association-save; see WriteAttempt) on the database at LOCATION, then writes.
// STEP k > 0 kills the process (SIGKILL) just before the write's k-th statement
// (BEGIN and COMMIT count as statements, so a kill lands between the last
// write and its commit too);
// STEP 0 kills it right after the write returned, with everything it holds;
// STEP -1 lets it finish; STEP "commit" (embedded database only) kills it
// inside the first commit of a write transaction, before the commit is done.
// A write that finishes prints "statements N".
// Exit codes: 0 written, 1 the write failed, 2 bad arguments, 3 not ready.

#include "data/dataaccesserror.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"
#include "data/tableobject.h"
#include "scriptedmessages.h"
#include "writeattempt.h"

#include <QApplication>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>

using namespace Torva;

namespace {
// Called as the embedded database is about to commit; dies there when the
// transaction wrote something.
int dieInCommit(void *handle)
{
    if (sqlite3_txn_state(static_cast<sqlite3 *>(handle), nullptr) == SQLITE_TXN_WRITE)
        std::raise(SIGKILL);
    return 0;
}

void dieAtTheNextCommit()
{
    sqlite3 *handle = SqliteEngine::handle(Database::connection().database());
    sqlite3_commit_hook(handle, dieInCommit, handle);
}
}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: save_and_die LOCATION PATH STEP\n");
        return 2;
    }
    const int step = arguments.at(3).toInt();
    ScriptedMessages boxes;
    try {
        Database::setLocation(arguments.at(1));
        Database::setUserName(QStringLiteral("CHILD"));
        WriteAttempt attempt(WriteAttempt::fromName(arguments.at(2)));
        if (!attempt.ready())
            return 3;
        if (arguments.at(3) == QLatin1String("commit"))
            dieAtTheNextCommit();
        int statements = 0;
        TableObject::setBeforeExecuteHook([&statements, step](const QString &, const QVariantList &) {
            if (++statements == step)
                std::raise(SIGKILL);
        });
        const bool written = attempt.write();
        TableObject::setBeforeExecuteHook({});
        std::printf("statements %d\n", statements);
        std::fflush(stdout);
        if (step == 0)
            std::raise(SIGKILL);
        return written ? 0 : 1;
    } catch (const DataAccessError &error) {
        std::fprintf(stderr, "error %s\n", qPrintable(error.description()));
        return 1;
    }
}
