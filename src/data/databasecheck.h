#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace Torva {

class Engine;

// Whether a database holds what the controls read and write, and whether
// its row locks hold, asked without changing anything: what an agency's
// administrator runs once against their own database (probation-db check).
// Each check is one line of the report.
class DatabaseCheck
{
public:
    struct Line
    {
        explicit Line(const QString &what)
            : subject(what)
        {
        }

        QString subject;  // "table DUVPRB.PRBPTY", "statement party insert"
        bool passed = false;
        bool checked = true;  // false: it could not be asked here (and did not fail)
        QString detail;   // why it failed, or what was found
    };

    // Every check, in the order of the report, on the database in use.
    // Throws DataAccessError when the database cannot be opened at all.
    static QList<Line> all();

    // Each table, with the columns the controls expect of it.
    static QList<Line> tables(Engine &engine, QSqlDatabase &database);
    // The functions the statements call (Digits, Zoned, IfNull).
    static QList<Line> functions(Engine &engine, QSqlDatabase &database);
    // Every statement of the controls, prepared and checked by the
    // database, not run.
    static QList<Line> statements(Engine &engine, QSqlDatabase &database);
    // A party held through one connection is refused to a second one, and
    // given to it once the first lets it go.
    static QList<Line> rowLocks();
};

} // namespace Torva
