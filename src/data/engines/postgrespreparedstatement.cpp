#include "postgrespreparedstatement.h"

#include "postgrescall.h"
#include "postgresengine.h"
#include "statementdeadline.h"

#include <QHash>
#include <QRegularExpression>

#include <libpq-fe.h>

namespace Torva {

namespace {

// A select whose rows a limit can cut: one that has no limit, row lock or
// offset of its own.
bool takesLimit(const QString &statement)
{
    static const QRegularExpression select(QStringLiteral(R"(^\s*\(*\s*select\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limited(QStringLiteral(R"(\b(limit|fetch|offset|for\s+(update|share)|into)\b|;)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return select.match(statement).hasMatch() && !limited.match(statement).hasMatch();
}

// The statements each connection's server holds prepared, by text. A text
// prepared once stays prepared for the connection's life, whichever object
// asked for it, so nothing needs closing when an object goes; beyond a
// thousand texts (a host running statements with values written in) the
// server lets them all go and they are prepared again as they come.
constexpr qsizetype MostPrepared = 1000;

QHash<pg_conn *, QHash<QByteArray, QByteArray>> &preparedNames()
{
    static QHash<pg_conn *, QHash<QByteArray, QByteArray>> names;
    return names;
}

// What a connection has sent in its pipeline and not yet settled.
struct Pipeline
{
    QList<bool> exec;         // per command sent: a run (else a preparation)
    QList<QByteArray> texts;  // the texts prepared in it, named only once it settles
};

QHash<pg_conn *, Pipeline> &pipelines()
{
    static QHash<pg_conn *, Pipeline> sent;
    return sent;
}

} // namespace

void PostgresPreparedStatement::connectionOpened(pg_conn *connection)
{
    // A new connection may have the address of one closed before.
    preparedNames().remove(connection);
    pipelines().remove(connection);
}

QByteArray PostgresPreparedStatement::newName()
{
    static quint64 counter = 0;
    return "torva_" + QByteArray::number(++counter);
}

bool PostgresPreparedStatement::sendPrepared(PostgresCall &call, QByteArray *name, bool *prepared)
{
    *name = preparedNames()[m_connection].value(m_text);
    *prepared = name->isEmpty();
    if (!*prepared)
        return true;
    *name = newName();
    if (call.sendPrepare(*name, m_text))
        return true;
    m_error = call.error();
    return false;
}

bool PostgresPreparedStatement::queue(const QVariantList &values)
{
    m_error = QSqlError();
    PostgresCall call(m_connection, StatementDeadline::answerWait());
    QByteArray name;
    bool prepared = false;
    if (!sendPrepared(call, &name, &prepared))
        return false;
    Pipeline &pipeline = pipelines()[m_connection];
    if (prepared) {
        // Named at once: a later run of the pipeline may use it.
        pipeline.exec << false;
        pipeline.texts << m_text;
        preparedNames()[m_connection].insert(m_text, name);
    }
    if (!call.sendExecute(name, values)) {
        m_error = call.error();
        return false;
    }
    pipeline.exec << true;
    return true;
}

bool PostgresPreparedStatement::runEach(const QList<QVariantList> &valueSets, QList<QueryResult> &results)
{
    if (valueSets.size() < 2 || !m_keep)
        return PreparedStatement::runEach(valueSets, results);
    m_error = QSqlError();
    m_isSelect = true;
    if (!PostgresEngine::applyDeadline(m_connection, &m_error))
        return false;
    // One pipeline of its own: the runs go out together, then every answer
    // is read, in order.
    PostgresCall call(m_connection, StatementDeadline::answerWait());
    QByteArray name;
    bool prepared = false;
    if (!sendPrepared(call, &name, &prepared))
        return false;
    QList<bool> exec;
    if (prepared)
        exec << false;
    for (const QVariantList &values : valueSets) {
        if (!call.sendExecute(name, values)) {
            m_error = call.error();
            return false;
        }
        exec << true;
    }
    std::vector<PostgresCall::Result> answers;
    int failedRun = -1;
    if (!call.settle(exec, &failedRun, &answers)) {
        m_error = call.error();
        return false;
    }
    if (prepared)
        preparedNames()[m_connection].insert(m_text, name);
    results.clear();
    for (const PostgresCall::Result &answer : std::as_const(answers))
        results << PostgresCall::rowsOf(answer.get());
    return true;
}

QSqlError PostgresPreparedStatement::settle(pg_conn *connection, int *failedRun)
{
    const Pipeline pipeline = pipelines().take(connection);
    PostgresCall call(connection, StatementDeadline::answerWait());
    if (call.settle(pipeline.exec, failedRun))
        return QSqlError();
    // A preparation that failed, or was never answered, names nothing.
    QHash<QByteArray, QByteArray> &names = preparedNames()[connection];
    for (const QByteArray &text : pipeline.texts)
        names.remove(text);
    return call.error();
}

PostgresPreparedStatement::PostgresPreparedStatement(pg_conn *connection)
    : m_connection(connection)
{
}

bool PostgresPreparedStatement::prepare(const QString &statement, bool keep)
{
    m_keep = keep;
    m_text = PostgresCall::numberedMarkers(statement);
    if (m_pageText.isEmpty() && takesLimit(statement))
        setPageForm(statement + QStringLiteral(" Limit ") + QLatin1String(RowsMarker));
    return true;
}

bool PostgresPreparedStatement::describe()
{
    PostgresCall call(m_connection, StatementDeadline::answerWait());
    if (call.prepare(QByteArray(), m_text))
        return true;
    m_error = call.error();
    return false;
}

void PostgresPreparedStatement::setPageForm(const QString &statement)
{
    int markers = 0;
    m_pageText = PostgresCall::numberedMarkers(statement, &markers);
    m_pageText.replace(RowsMarker, '$' + QByteArray::number(markers + 1));
}

bool PostgresPreparedStatement::run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore)
{
    m_error = QSqlError();
    m_isSelect = false;
    m_rowsAffected = -1;
    if (!PostgresEngine::applyDeadline(m_connection, &m_error))
        return false;
    PostgresCall call(m_connection, StatementDeadline::answerWait());
    const bool paged = maxRows >= 0 && !m_pageText.isEmpty();
    QVariantList pageValues;
    if (paged)
        pageValues = values + QVariantList{qlonglong(maxRows) + (noteMore ? 1 : 0)};
    const QByteArray &text = paged ? m_pageText : m_text;
    const QVariantList &sent = paged ? pageValues : values;
    PostgresCall::Result answer;
    if (!m_keep) {
        answer = call.run(text, sent);
    } else {
        // Parsed once on the server.
        QHash<QByteArray, QByteArray> &names = preparedNames()[m_connection];
        QByteArray name = names.value(text);
        if (name.isEmpty()) {
            if (names.size() >= MostPrepared && call.run("DEALLOCATE ALL"))
                names.clear();
            name = newName();
            if (call.prepare(name, text))
                names.insert(text, name);
            else
                name.clear();
        }
        if (!name.isEmpty())
            answer = call.execute(name, sent);
    }
    if (!answer) {
        m_error = call.error();
        return false;
    }
    m_isSelect = PQresultStatus(answer.get()) == PGRES_TUPLES_OK;
    if (!m_isSelect) {
        m_rowsAffected = QByteArray(PQcmdTuples(answer.get())).toInt();
        return true;
    }
    rows = PostgresCall::rowsOf(answer.get(), maxRows);
    if (!noteMore)
        rows.setHasMore(false);
    return true;
}

} // namespace Torva
