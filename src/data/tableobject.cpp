#include "tableobject.h"

#include "connection.h"
#include "database.h"
#include "dataaccesserror.h"
#include "lockedselect.h"
#include "data/engines/rowlocksession.h"
#include "schema.h"

#include <QHash>
#include <QSqlError>

#include <algorithm>

namespace Torva {

namespace {

QVariantList parameterList(const QVariant &parameters, const QString &statement)
{
    if (!parameters.isValid())
        return {};
    if (parameters.typeId() == QMetaType::QVariantList)
        return parameters.toList();
    if (parameters.typeId() == QMetaType::QStringList) {
        QVariantList values;
        for (const QString &text : parameters.toStringList())
            values << text;
        return values;
    }
    throw DataAccessError(DataAccessError::BadParameters,
                          QStringLiteral("the parameters must be a list of values, one per \"?\", not a %1")
                              .arg(QString::fromLatin1(parameters.typeName())),
                          statement);
}

// What a statement text holds outside its quoted texts and names: the "?"
// markers, and whether a ";" is followed by a second statement.
struct StatementShape
{
    int markers = 0;
    bool severalStatements = false;
    bool readsOnly = false;   // a select, by its first word
    LockedSelect locked;      // its row-lock clause, if it has one
};

StatementShape readShape(const QString &statement)
{
    StatementShape shape;
    const QStringView text = QStringView(statement).trimmed();
    shape.readsOnly = text.startsWith(QLatin1String("select"), Qt::CaseInsensitive);
    shape.locked = LockedSelect::parse(statement);
    QChar quote;
    bool ended = false;
    for (const QChar c : statement) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (ended && !c.isSpace() && c != QLatin1Char(';'))
            shape.severalStatements = true;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        else if (c == QLatin1Char('?'))
            ++shape.markers;
        else if (c == QLatin1Char(';'))
            ended = true;
    }
    return shape;
}

// What a text says of itself, read once per text: the same statements run
// again and again, and reading them costs a small select a fifth of its time.
// (Table objects live on one thread, the GUI's.) A copy is handed out: the
// store may grow, or be emptied, while the statement runs.
StatementShape shapeOf(const QString &statement)
{
    constexpr qsizetype KeptShapes = 512;
    static QHash<QString, StatementShape> shapes;
    // The text asked about last, held so that its characters stay where
    // they are: the same text again (a statement constant, or the text a
    // call checks twice) is known by where its characters are, unhashed.
    static QString lastText;
    static StatementShape lastShape;
    if (statement.constData() == lastText.constData() && statement.size() == lastText.size())
        return lastShape;
    const auto found = shapes.constFind(statement);
    if (found == shapes.cend()) {
        if (shapes.size() >= KeptShapes)
            shapes.clear();
        lastShape = shapes.insert(statement, readShape(statement)).value();
    } else {
        lastShape = found.value();
    }
    lastText = statement;
    return lastShape;
}

TableObject::StatementHook &beforeExecute()
{
    static TableObject::StatementHook hook;
    return hook;
}

} // namespace

void TableObject::setBeforeExecuteHook(StatementHook hook)
{
    beforeExecute() = std::move(hook);
}

TableObject::TableObject(QObject *parent)
    : QObject(parent)
{
}

TableObject::~TableObject()
{
    Close();
}

void TableObject::setSQL(const QString &statement)
{
    m_sql = statement;
}

QVariant TableObject::FieldValue(const QString &fieldName)
{
    const int index = m_result.fieldIndex(fieldName);
    if (index < 0) {
        const QStringList &names = m_result.fieldNames();
        const QString columns = names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
        fail(DataAccessError(DataAccessError::UnknownColumn,
                             QStringLiteral("the result has no column %1 (its columns: %2)").arg(fieldName, columns),
                             m_lastStatement),
             true);
    }
    if (m_eof)
        return QVariant();
    return m_result.value(0, index);
}

int TableObject::Execute(const QString &statement, const QVariant &parameters, bool prepare, bool raiseException)
{
    try {
        return execute(statement.isEmpty() ? m_sql : statement, parameters, prepare, nullptr, 1);
    } catch (const DataAccessError &error) {
        return fail(error, raiseException);
    }
}

QueryResult TableObject::Fetch(const QString &statement, const QVariant &parameters, int maxRows)
{
    QueryResult result;
    try {
        execute(statement, parameters, true, &result, maxRows);
    } catch (const DataAccessError &error) {
        fail(error, true);
    }
    return result;
}

int TableObject::execute(const QString &statement, const QVariant &parameters, bool prepare, QueryResult *result,
                         int maxRows)
{
    m_lastStatement = statement;
    clearResult();
    if (std::all_of(statement.cbegin(), statement.cend(), [](QChar c) { return c.isSpace(); }))
        throw DataAccessError(DataAccessError::NoStatement,
                              QStringLiteral("there is no statement to run: the text is empty and no SQL is held"));
    const QVariantList values = parameterList(parameters, statement);
    StatementShape shape = shapeOf(statement);
    Connection &connection = Database::connection(shape.readsOnly ? ConnectionUse::Reading : ConnectionUse::Writing);
    if (shape.locked.isLocked())
        return runLocked(connection, shape.locked, values, prepare, result);
    return run(connection, statement, values, prepare, result, maxRows);
}

namespace {
// The checks before any statement runs, then the hook; the statement's shape.
StatementShape checkRun(Connection &connection, const QString &statement, const QVariantList &values)
{
    StatementShape shape = shapeOf(statement);
    // Some drivers would run a second statement while preparing the first.
    if (shape.severalStatements)
        throw DataAccessError(DataAccessError::StatementFailed,
                              QStringLiteral("only one statement can be run at a time"), statement);
    if (shape.markers != values.size())
        throw DataAccessError(DataAccessError::BadParameters,
                              QStringLiteral("the statement has %1 parameter markers but %2 values were given")
                                  .arg(shape.markers)
                                  .arg(values.size()),
                              statement);
    for (const QVariant &value : values) {
        if (value.typeId() == QMetaType::QString && !connection.engine().storesText(value.toString()))
            throw DataAccessError(DataAccessError::BadParameters,
                                  QStringLiteral("a text holding a NUL character cannot be stored in %1")
                                      .arg(connection.location().toDisplayString()),
                                  statement);
    }
    if (beforeExecute())
        beforeExecute()(statement, values);
    return shape;
}
} // namespace

void TableObject::QueueWrite(const QString &statement, const QVariantList &values)
{
    m_lastStatement = statement;
    clearResult();
    try {
        Connection &connection = Database::connection(ConnectionUse::Writing);
        if (!connection.inTransaction() || !connection.engine().queuesWrites() || shapeOf(statement).readsOnly) {
            run(connection, statement, values, true, nullptr, -1);
            return;
        }
        checkRun(connection, statement, values);
        PreparedStatement &prepared = connection.prepared(statement, true);
        if (!prepared.queue(values))
            throw connection.error(prepared.lastError(), statement);
        connection.noteQueued(statement);
    } catch (const DataAccessError &error) {
        fail(error, true);
    }
}

QList<QueryResult> TableObject::FetchEach(const QString &statement, const QList<QVariantList> &valueSets)
{
    m_lastStatement = statement;
    clearResult();
    QList<QueryResult> results;
    try {
        Connection &connection = Database::connection(ConnectionUse::Reading);
        settleQueued(connection);
        for (const QVariantList &values : valueSets)
            checkRun(connection, statement, values);
        PreparedStatement &prepared = connection.prepared(statement, true);
        if (!prepared.runEach(valueSets, results))
            throw connection.error(prepared.lastError(), statement);
    } catch (const DataAccessError &error) {
        fail(error, true);
    }
    return results;
}

void TableObject::settleQueued(Connection &connection)
{
    // Writes sent before are answered first, in order; one that failed is
    // the statement to name.
    try {
        connection.settleQueued();
    } catch (const DataAccessError &error) {
        m_lastStatement = error.statement();
        throw;
    }
}

int TableObject::run(Connection &connection, const QString &statement, const QVariantList &values, bool prepare,
                     QueryResult *result, int maxRows)
{
    settleQueued(connection);
    checkRun(connection, statement, values);
    PreparedStatement &prepared = connection.prepared(statement, prepare);
    QueryResult local;
    QueryResult &rows = result ? *result : local;
    if (!prepared.run(values, rows, maxRows, result != nullptr))
        throw connection.error(prepared.lastError(), statement);
    if (!prepared.isSelect()) {
        connection.confirmWritten(statement);
        return prepared.rowsAffected();
    }
    takeResult(rows);
    return -1;
}

int TableObject::runLocked(Connection &connection, const LockedSelect &select, const QVariantList &values, bool prepare,
                           QueryResult *result)
{
    QueryResult read;
    run(connection, select.statement(), values, prepare, &read, -1);
    const QList<LockKey> keys = lockKeys(select.table(), read);
    dropDeadLockSession();
    if (!m_locks)
        m_locks = connection.engine().newLockSession();

    QList<LockKey> taken;
    try {
        for (const LockKey &key : keys) {
            if (m_held.contains(key))
                continue;
            if (!m_locks->tryLock(key)) {
                m_lockHolder = m_locks->holder(key);
                for (const LockKey &undo : std::as_const(taken))
                    m_locks->unlock(undo);
                m_recordLocked = true;
                if (result)
                    *result = read;
                return -1;
            }
            taken << key;
        }
    } catch (...) {
        m_locks.reset();  // a session that failed is not trusted again; its locks go with it
        m_held.clear();
        throw;
    }
    releaseLocksExcept(keys);
    m_held = keys;

    // Read again now that the rows are held: a change the previous holder saved
    // just before letting go is then part of what this object shows.
    QueryResult current;
    QueryResult &target = result ? *result : current;
    target = QueryResult();
    run(connection, select.statement(), values, prepare, &target, -1);
    return -1;
}

QList<LockKey> TableObject::lockKeys(const QString &table, const QueryResult &rows) const
{
    const QStringList keyColumns = Schema::keyColumns(table);
    if (keyColumns.isEmpty())
        throw DataAccessError(DataAccessError::LockFailed,
                              QStringLiteral("rows of %1 cannot be locked: the table is not known").arg(table));
    QList<int> indexes;
    for (const QString &column : keyColumns) {
        const int index = rows.fieldIndex(column);
        if (index < 0)
            throw DataAccessError(DataAccessError::LockFailed,
                                  QStringLiteral("a locked select of %1 must return its key columns (%2)")
                                      .arg(table, keyColumns.join(QStringLiteral(", "))));
        indexes << index;
    }
    QList<LockKey> keys;
    for (int row = 0; row < rows.rowCount(); ++row) {
        QList<QVariant> values;
        for (const int index : indexes)
            values << rows.value(row, index);
        keys << LockKey(table, values);
    }
    return keys;
}

void TableObject::dropDeadLockSession()
{
    // A session the server ended has lost its locks with it: the rows are
    // locked again, on a session of their own, or found held by another.
    if (m_locks && !m_locks->isAlive()) {
        m_locks.reset();
        m_held.clear();
    }
}

void TableObject::releaseLocksExcept(const QList<LockKey> &kept)
{
    for (const LockKey &key : std::as_const(m_held)) {
        if (!kept.contains(key))
            m_locks->unlock(key);
    }
}

bool TableObject::ReserveRow(const QString &table, const QVariantList &key)
{
    m_lastStatement = QStringLiteral("row lock of %1 key %2").arg(table, LockKey(table, key).rowKey());
    clearResult();
    try {
        Connection &connection = Database::connection();
        const LockKey lock(table, key);
        dropDeadLockSession();
        if (m_held.contains(lock)) {
            releaseLocksExcept({lock});
            m_held = {lock};
            return true;
        }
        if (!m_locks)
            m_locks = connection.engine().newLockSession();
        try {
            if (!m_locks->tryLock(lock)) {
                m_lockHolder = m_locks->holder(lock);
                m_recordLocked = true;
                return false;
            }
        } catch (...) {
            m_locks.reset();  // a session that failed is not trusted again; its locks go with it
            m_held.clear();
            throw;
        }
        releaseLocksExcept({lock});
        m_held = {lock};
        return true;
    } catch (const DataAccessError &error) {
        fail(error, true);
    }
    return false;
}

void TableObject::Close()
{
    m_locks.reset();
    m_held.clear();
    clearResult();
    m_bof = true;
}

void TableObject::BeginTransaction()
{
    transactionStep(QStringLiteral("BEGIN"), &Connection::beginTransaction);
}

void TableObject::CommitTransaction()
{
    transactionStep(QStringLiteral("COMMIT"), &Connection::commitTransaction);
}

void TableObject::RollbackTransaction()
{
    transactionStep(QStringLiteral("ROLLBACK"), &Connection::rollbackTransaction);
}

void TableObject::transactionStep(const QString &step, void (Connection::*run)())
{
    m_lastStatement = step;
    try {
        Connection &connection =
            Database::connection(step == QLatin1String("BEGIN") ? ConnectionUse::Writing : ConnectionUse::Reading);
        if (beforeExecute())
            beforeExecute()(step, {});
        (connection.*run)();
    } catch (const DataAccessError &error) {
        // A queued write that failed is named rather than the step that found it.
        if (!error.statement().isEmpty())
            m_lastStatement = error.statement();
        fail(error, true);
    }
}

void TableObject::clearResult()
{
    m_bof = false;
    m_eof = true;
    m_result = QueryResult();
    m_recordLocked = false;
    m_lockHolder.reset();
}

void TableObject::takeResult(const QueryResult &result)
{
    // Only the row it stands on: a table object kept by a grid or a list
    // would otherwise hold a second copy of every row it handed over.
    m_result = result.head(1);
    m_eof = result.isEmpty();
}

int TableObject::fail(const DataAccessError &error, bool raiseException)
{
    int number = error.number();
    QString description = error.description();
    // The statement as the caller gave it, not as an engine ran it.
    const QString statement = m_lastStatement;
    m_lastErrorNumber = number;
    m_lastErrorDescription = description;
    m_lastStatement = statement;
    m_lastNativeCode = error.nativeCode();
    Q_EMIT Error(number, description);
    m_lastErrorNumber = number;
    m_lastErrorDescription = description;
    if (raiseException)
        throw DataAccessError(number, description, statement, error.nativeCode());
    return -1;
}

} // namespace Torva
