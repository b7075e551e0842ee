// Another user of the test database, in a process of its own, for the tests
// of several users at once and of a user whose program dies:
//
//   second_user LOCATION hold USER KEY [KEY...]
//     loads each party under lock, prints "locked KEY" or "refused KEY" per
//     key, then holds them until its input closes (or it is killed).
//
//   second_user LOCATION save-parties COUNT TAG
//     waits for a line on its input (so that every saver starts together),
//     then saves COUNT new parties through a party editor, named "TAG, P0000"
//     on, and prints "saved KEY" for each, or "failed <why>" for a save that
//     failed; at the end "retried N": the inserts tried again under the next
//     key. Exit code: the number of failed saves (capped at 100).
//
//   second_user LOCATION save-and-die PATH STEP
//     readies the editor for PATH (party-insert, party-update, party-delete,
//     association-save; see WriteAttempt), then writes. STEP k > 0 kills the
//     process (SIGKILL) just before the write's k-th statement (BEGIN and
//     COMMIT count as statements, so a kill lands between the last write and
//     its commit too); STEP 0 kills it right after the write returned, with
//     everything it holds; STEP -1 lets it finish; STEP "commit" (embedded
//     database only) kills it inside the first commit of a write transaction,
//     before the commit is done. A write that finishes prints "statements N".
//     Exit codes: 0 written, 1 the write failed, 3 not ready.
//
//   second_user LOCATION keep-busy [SECONDS]
//     opens a write transaction, changes every party and zip row in it,
//     prints "holding", and keeps the transaction open until its input closes
//     (or SECONDS have passed); then rolls it back and prints "released".
//
// A database that fails prints "error <why>" and exits with 1; bad arguments
// exit with 2.

#include "data/dataaccesserror.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "hookguard.h"
#include "partyeditorhost.h"
#include "partyform.h"
#include "scriptedmessages.h"
#include "writeattempt.h"

#include <QApplication>
#include <QDeadlineTimer>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include <poll.h>
#include <unistd.h>

using namespace Torva;

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Returns once the test closes our input, or at the deadline.
void waitForInputToClose(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever))
{
    char buffer[64];
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int timeout = deadline.isForever() ? -1 : int(deadline.remainingTime());
        if (::poll(&input, 1, timeout) <= 0 || ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            return;
    }
}

int hold(const QStringList &arguments)  // USER KEY [KEY...]
{
    Database::setUserName(arguments.at(0));
    std::vector<std::unique_ptr<TableObject>> held;
    for (const QString &key : arguments.mid(1)) {
        TableObject &table = *held.emplace_back(std::make_unique<TableObject>());
        table.Execute(Statements::LoadPartyForUpdate, QVariantList{key.toInt()});
        say((table.RecordLocked() ? QStringLiteral("refused ") : QStringLiteral("locked ")) + key);
    }
    waitForInputToClose();
    return 0;
}

int saveParties(const QStringList &arguments)  // COUNT TAG
{
    const int count = arguments.at(0).toInt();
    const QString tag = arguments.at(1);
    ScriptedMessages boxes;
    Database::setUserName(tag);
    PartyEditorHost host;
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 2;

    int inserts = 0;
    int failed = 0;
    int saved = 0;
    {
        HookGuard counter([&inserts](const QString &statement, const QVariantList &) {
            if (statement == Statements::InsertParty)
                ++inserts;
        });
        for (int i = 0; i < count; ++i) {
            try {
                PartyForm form;
                form.name = QStringLiteral("%1, P%2").arg(tag).arg(i, 4, 10, QLatin1Char('0'));
                if (form.enterAsNew(host) && host.editor->SaveRecord()) {
                    ++saved;
                    say(QStringLiteral("saved %1").arg(host.editor->PartyKey));
                } else {
                    ++failed;
                    say(QStringLiteral("failed %1: %2").arg(i).arg(boxes.texts().join(QLatin1String("; "))));
                }
            } catch (const DataAccessError &error) {
                ++failed;
                say(QStringLiteral("failed %1: %2").arg(i).arg(error.description()));
            }
        }
    }
    say(QStringLiteral("retried %1").arg(inserts - saved - failed));
    return std::min(failed, 100);
}

// Called as the embedded database is about to commit; dies there when the
// transaction wrote something.
int dieInCommit(void *handle)
{
    if (sqlite3_txn_state(static_cast<sqlite3 *>(handle), nullptr) == SQLITE_TXN_WRITE)
        std::raise(SIGKILL);
    return 0;
}

int saveAndDie(const QStringList &arguments)  // PATH STEP
{
    const int step = arguments.at(1).toInt();
    ScriptedMessages boxes;
    Database::setUserName(QStringLiteral("CHILD"));
    WriteAttempt attempt(WriteAttempt::fromName(arguments.at(0)));
    if (!attempt.ready())
        return 3;
    if (arguments.at(1) == QLatin1String("commit")) {
        sqlite3 *handle = SqliteEngine::handle(Database::connection().database());
        sqlite3_commit_hook(handle, dieInCommit, handle);
    }
    int statements = 0;
    bool written = false;
    {
        HookGuard killer([&statements, step](const QString &, const QVariantList &) {
            if (++statements == step)
                std::raise(SIGKILL);
        });
        written = attempt.write();
    }
    say(QStringLiteral("statements %1").arg(statements));
    if (step == 0)
        std::raise(SIGKILL);
    return written ? 0 : 1;
}

int keepBusy(const QStringList &arguments)  // [SECONDS]
{
    TableObject table;
    table.BeginTransaction();
    table.Execute(QStringLiteral("Update DUVPRB.PRBPTY Set PTYUSR='BUSY'"));
    table.Execute(QStringLiteral("Update DUVCRT.ZIPDTA Set ZIPCTY=ZIPCTY"));
    say(QStringLiteral("holding"));
    waitForInputToClose(arguments.isEmpty() ? QDeadlineTimer(QDeadlineTimer::Forever)
                                            : QDeadlineTimer(arguments.at(0).toInt() * 1000));
    table.RollbackTransaction();
    say(QStringLiteral("released"));
    return 0;
}

struct Command
{
    int (*run)(const QStringList &arguments);
    qsizetype fewest;  // arguments after the command's name
    qsizetype most;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QHash<QString, Command> commands{{QStringLiteral("hold"), {hold, 2, 1000}},
                                           {QStringLiteral("save-parties"), {saveParties, 2, 2}},
                                           {QStringLiteral("save-and-die"), {saveAndDie, 2, 2}},
                                           {QStringLiteral("keep-busy"), {keepBusy, 0, 1}}};
    const Command command = commands.value(arguments.value(2));
    const QStringList rest = arguments.mid(3);
    if (!command.run || rest.size() < command.fewest || rest.size() > command.most) {
        std::fprintf(stderr, "usage: second_user LOCATION hold|save-parties|save-and-die|keep-busy ...\n");
        return 2;
    }
    try {
        Database::setLocation(arguments.at(1));
        return command.run(rest);
    } catch (const DataAccessError &error) {
        say(QStringLiteral("error ") + error.description());
        return 1;
    }
}
