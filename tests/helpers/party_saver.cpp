// One of several users saving new parties at the same moment:
//   party_saver LOCATION COUNT TAG
// waits for a line on its input (so that every saver starts together), then
// saves COUNT new parties through a party editor, named "TAG, P0000" on,
// and prints "saved KEY" for each, or "failed <why>" for a save that failed;
// at the end "retried N": the inserts tried again under the next key.
// Exit code: the number of failed saves (capped at 100), 2 for bad arguments.

#include "controls/alphamericbox.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "partyeditorhost.h"
#include "partyform.h"
#include "scriptedmessages.h"

#include <QApplication>

#include <cstdio>

using namespace Torva;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: party_saver LOCATION COUNT TAG\n");
        return 2;
    }
    const int count = arguments.at(2).toInt();
    const QString tag = arguments.at(3);
    ScriptedMessages boxes;
    Database::setLocation(arguments.at(1));
    Database::setUserName(tag);
    PartyEditorHost host;
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 2;

    int inserts = 0;
    TableObject::setBeforeExecuteHook([&inserts](const QString &statement, const QVariantList &) {
        if (statement == Statements::InsertParty)
            ++inserts;
    });
    int failed = 0;
    int saved = 0;
    for (int i = 0; i < count; ++i) {
        try {
            PartyForm form;
            form.name = QStringLiteral("%1, P%2").arg(tag).arg(i, 4, 10, QLatin1Char('0'));
            if (!form.enterAsNew(host)) {
                ++failed;
                std::printf("failed add %d\n", i);
                continue;
            }
            if (host.editor->SaveRecord()) {
                std::printf("saved %d\n", host.editor->PartyKey);
                ++saved;
            } else {
                ++failed;
                std::printf("failed check %d: %s\n", i, qPrintable(boxes.texts().join(QLatin1String("; "))));
            }
        } catch (const DataAccessError &error) {
            ++failed;
            std::printf("failed %d: %s\n", i, qPrintable(error.description()));
        }
    }
    TableObject::setBeforeExecuteHook({});
    std::printf("retried %d\n", inserts - saved - failed);
    std::fflush(stdout);
    return std::min(failed, 100);
}
