#include "databasecheck.h"

#include "connection.h"
#include "database.h"
#include "data/engines/engine.h"
#include "lockedselect.h"
#include "data/engines/preparedstatement.h"
#include "data/engines/rowlocksession.h"
#include "schema.h"
#include "statements.h"
#include "tableobject.h"

namespace Torva {

namespace {

// Runs a select that reads no row: the names of its columns, or false
// with the database's reason.
bool probe(Engine &engine, QSqlDatabase &database, const QString &statement, QStringList *columns, QString *why)
{
    const std::unique_ptr<PreparedStatement> prepared = engine.newStatement(database);
    QueryResult rows;
    if (prepared->prepare(statement, false) && prepared->run({}, rows, -1, false)) {
        *columns = rows.fieldNames();
        return true;
    }
    *why = prepared->lastError().databaseText().trimmed();
    return false;
}

} // namespace

QList<DatabaseCheck::Line> DatabaseCheck::all()
{
    Connection &connection = Database::connection();
    QSqlDatabase database = connection.database();
    QList<Line> lines = tables(connection.engine(), database);
    lines += functions(connection.engine(), database);
    lines += statements(connection.engine(), database);
    lines += rowLocks();
    return lines;
}

QList<DatabaseCheck::Line> DatabaseCheck::tables(Engine &engine, QSqlDatabase &database)
{
    QList<Line> lines;
    for (const Schema::Table &table : Schema::tables()) {
        Line line{QStringLiteral("table ") + table.qualifiedName()};
        QStringList found;
        if (!probe(engine, database, QStringLiteral("Select * From %1 Where 1=0").arg(table.qualifiedName()), &found,
                   &line.detail)) {
            line.detail = QStringLiteral("cannot be read: ") + line.detail;
            lines << line;
            continue;
        }
        QStringList missing;
        for (const Schema::Column &column : table.columns) {
            if (!found.contains(column.name, Qt::CaseInsensitive))
                missing << column.name;
        }
        line.passed = missing.isEmpty();
        line.detail = line.passed ? QStringLiteral("%1 columns").arg(table.columns.size())
                                  : QStringLiteral("lacks the column%1 %2")
                                        .arg(missing.size() > 1 ? QStringLiteral("s") : QString(),
                                             missing.join(QStringLiteral(", ")));
        lines << line;
    }
    return lines;
}

QList<DatabaseCheck::Line> DatabaseCheck::functions(Engine &engine, QSqlDatabase &database)
{
    // Each as the statements call it, on the columns they give it.
    const QList<QPair<QString, QString>> calls{
        {QStringLiteral("Digits"), QStringLiteral("Select Digits(PTYBDT) As V From DUVPRB.PRBPTY Where 1=0")},
        {QStringLiteral("Zoned"), QStringLiteral("Select Zoned(0,8,0) As V From DUVPRB.ARYRLT Where 1=0")},
        {QStringLiteral("IfNull"), QStringLiteral("Select IfNull(CLTBDT,0) As V From DUVPRB.PRBCLT Where 1=0")}};
    QList<Line> lines;
    for (const auto &[name, statement] : calls) {
        Line line{QStringLiteral("function ") + name};
        QStringList columns;
        line.passed = probe(engine, database, statement, &columns, &line.detail);
        lines << line;
    }
    return lines;
}

QList<DatabaseCheck::Line> DatabaseCheck::statements(Engine &engine, QSqlDatabase &database)
{
    QList<Line> lines;
    for (const Statements::Named &named : Statements::all()) {
        Line line{QStringLiteral("statement ") + named.name};
        // As the table object gives it to the database: without the row
        // lock's clause, the lock being the row-lock session's.
        const LockedSelect locked = LockedSelect::parse(named.text);
        const QString text = locked.isLocked() ? locked.statement() : named.text;
        const std::unique_ptr<PreparedStatement> prepared = engine.newStatement(database);
        line.passed = prepared->prepare(engine.translated(text), false) && prepared->describe();
        if (!line.passed)
            line.detail = prepared->lastError().databaseText().trimmed();
        lines << line;
    }
    return lines;
}

QList<DatabaseCheck::Line> DatabaseCheck::rowLocks()
{
    Line refused(QStringLiteral("row lock: a party held is refused to a second connection"));
    Line released(QStringLiteral("row lock: the second connection gets it once it is let go"));
    // The second connection asks as the party editor of another user would.
    Connection second(Database::location(), false);
    const std::unique_ptr<RowLockSession> locks = second.engine().newLockSession();
    TableObject first;
    QVariant key = first.Fetch(QStringLiteral("Select Min(PTYKEY) As PTYKEY From DUVPRB.PRBPTY")).value(0, 0);
    if (!key.isNull()) {
        first.Execute(Statements::LoadPartyForUpdate, QVariantList{key});
    } else if (locks->holdsKeysWithoutRows()) {
        // No party on file: the key the first new party would get, held as
        // the party editor holds it before the insert.
        key = 1;
        first.ReserveRow(Schema::PartyTable, {key});
    } else {
        refused.checked = false;
        refused.detail = QStringLiteral("there is no party on file whose row the database could lock");
        return {refused};
    }
    if (first.RecordLocked()) {
        refused.checked = false;
        refused.detail = QStringLiteral("party %1 is held by another user now").arg(key.toString());
        return {refused};
    }

    const LockKey party(Schema::PartyTable, {key});
    const auto secondGetsIt = [&locks, &party] {
        const bool got = locks->tryLock(party);
        if (got)
            locks->unlock(party);
        return got;
    };
    refused.passed = !secondGetsIt();
    refused.detail = refused.passed ? QStringLiteral("party %1").arg(key.toString())
                                    : QStringLiteral("the second connection got party %1 while the first held it")
                                          .arg(key.toString());
    first.Close();
    released.passed = secondGetsIt();
    released.detail = released.passed ? QStringLiteral("party %1").arg(key.toString())
                                      : QStringLiteral("party %1 stayed held after the first let it go")
                                            .arg(key.toString());
    return {refused, released};
}

} // namespace Torva
