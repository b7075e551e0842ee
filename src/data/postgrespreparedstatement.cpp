#include "postgrespreparedstatement.h"

#include "postgrescall.h"
#include "postgresengine.h"
#include "statementdeadline.h"

#include <QRegularExpression>

#include <libpq-fe.h>

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

} // namespace

PostgresPreparedStatement::PostgresPreparedStatement(pg_conn *connection)
    : m_connection(connection)
{
}

bool PostgresPreparedStatement::prepare(const QString &statement, bool)
{
    m_text = PostgresCall::numberedMarkers(statement);
    if (m_pageText.isEmpty() && takesLimit(statement))
        setPageForm(statement + QStringLiteral(" Limit ") + QLatin1String(RowsMarker));
    return true;
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
    PostgresCall::Result answer;
    if (maxRows >= 0 && !m_pageText.isEmpty()) {
        QVariantList paged = values;
        paged << qlonglong(maxRows) + (noteMore ? 1 : 0);
        answer = call.run(m_pageText, paged);
    } else {
        answer = call.run(m_text, values);
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
