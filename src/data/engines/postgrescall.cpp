#include "postgrescall.h"

#include "preparedstatement.h"
#include "statementdeadline.h"

#include <QDate>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVarLengthArray>

#include <libpq-fe.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace Torva {

namespace {

// The type numbers of the server's built-in types that results carry.
enum TypeOid : Oid {
    BoolOid = 16, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26, Float4Oid = 700, Float8Oid = 701,
    NumericOid = 1700, DateOid = 1082, TimestampOid = 1114, TimestampTzOid = 1184,
};

// A value as the text the server reads for its type.
QByteArray parameterText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float: return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QDate: return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QDateTime: return value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
    case QMetaType::QByteArray: return value.toByteArray();
    default: return value.toString().toUtf8();
    }
}

struct Parameters
{
    explicit Parameters(const QVariantList &values)
    {
        texts.reserve(values.size());
        for (const QVariant &value : values) {
            const bool null = PreparedStatement::isNullValue(value);
            texts << (null ? QByteArray() : parameterText(value));
            // An empty text is '' and not NULL: it points at a terminator.
            pointers << (null ? nullptr : texts.last().isNull() ? "" : texts.last().constData());
        }
    }
    int count() const { return int(pointers.size()); }
    const char *const *data() const { return pointers.constData(); }

    QList<QByteArray> texts;
    QVarLengthArray<const char *, 16> pointers;
};

QMetaType typeOf(Oid type)
{
    switch (type) {
    case BoolOid: return QMetaType::fromType<bool>();
    case Int2Oid:
    case Int4Oid: return QMetaType::fromType<int>();
    case Int8Oid:
    case OidOid:
    case NumericOid: return QMetaType::fromType<qlonglong>();
    case Float4Oid:
    case Float8Oid: return QMetaType::fromType<double>();
    case DateOid: return QMetaType::fromType<QDate>();
    case TimestampOid:
    case TimestampTzOid: return QMetaType::fromType<QDateTime>();
    default: return QMetaType::fromType<QString>();
    }
}

QVariant valueOf(const char *text, int length, Oid type)
{
    switch (type) {
    case BoolOid: return QVariant(text[0] == 't');
    case Int2Oid:
    case Int4Oid: return QVariant(QByteArray::fromRawData(text, length).toInt());
    case Int8Oid:
    case OidOid: return QVariant(QByteArray::fromRawData(text, length).toLongLong());
    case NumericOid: {
        // A decimal column holds whole numbers here (dates, phone numbers,
        // keys); one with a fraction stays a double.
        bool whole = false;
        const qlonglong number = QByteArray::fromRawData(text, length).toLongLong(&whole);
        return whole ? QVariant(number) : QVariant(QByteArray::fromRawData(text, length).toDouble());
    }
    case Float4Oid:
    case Float8Oid: return QVariant(QByteArray::fromRawData(text, length).toDouble());
    case DateOid: return QVariant(QDate::fromString(QString::fromLatin1(text, length), Qt::ISODate));
    case TimestampOid:
    case TimestampTzOid: return PreparedStatement::dateTimeFromText(QString::fromLatin1(text, length));
    default: {
        // Qt takes a byte order mark that begins a text for no character;
        // here it is one (U+FEFF), and stays.
        QString decoded = QString::fromUtf8(text, length);
        if (length >= 3 && text[0] == '\xEF' && text[1] == '\xBB' && text[2] == '\xBF')
            decoded.prepend(QChar(0xFEFF));
        return QVariant(decoded);
    }
    }
}

} // namespace

void PostgresCall::ResultDeleter::operator()(pg_result *result) const
{
    PQclear(result);
}

PostgresCall::PostgresCall(pg_conn *connection, std::optional<std::chrono::milliseconds> wait)
    : m_connection(connection)
    , m_wait(wait)
{
}

PostgresCall::Result PostgresCall::prepare(const QByteArray &name, const QByteArray &text)
{
    if (!m_connection)
        return gone(QStringLiteral("the connection is closed"));
    return finish(PQsendPrepare(m_connection, name.constData(), text.constData(), 0, nullptr));
}

PostgresCall::Result PostgresCall::execute(const QByteArray &name, const QVariantList &values)
{
    if (!m_connection)
        return gone(QStringLiteral("the connection is closed"));
    const Parameters parameters(values);
    return finish(PQsendQueryPrepared(m_connection, name.constData(), parameters.count(), parameters.data(), nullptr,
                                      nullptr, 0));
}

PostgresCall::Result PostgresCall::run(const QByteArray &text, const QVariantList &values)
{
    if (!m_connection)
        return gone(QStringLiteral("the connection is closed"));
    const Parameters parameters(values);
    return finish(PQsendQueryParams(m_connection, text.constData(), parameters.count(), nullptr, parameters.data(),
                                    nullptr, nullptr, 0));
}

bool PostgresCall::flush(const QDeadlineTimer &deadline)
{
    // What did not fit in the socket's buffer goes as the server reads it
    // (reading its answers meanwhile, so that neither side waits on the other).
    for (int flushed = PQflush(m_connection); flushed != 0; flushed = PQflush(m_connection)) {
        if (flushed < 0 || !waitFor(POLLOUT | POLLIN, deadline) || !PQconsumeInput(m_connection)) {
            gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
            return false;
        }
    }
    return true;
}

bool PostgresCall::sendPrepare(const QByteArray &name, const QByteArray &text)
{
    m_error = QSqlError();
    if (!m_connection || (PQpipelineStatus(m_connection) == PQ_PIPELINE_OFF && !PQenterPipelineMode(m_connection))
        || !PQsendPrepare(m_connection, name.constData(), text.constData(), 0, nullptr)) {
        gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
        return false;
    }
    // Kept in libpq's buffer (sent as it fills): the commands go out
    // together when they are settled, rather than waking the server for each.
    return true;
}

bool PostgresCall::sendExecute(const QByteArray &name, const QVariantList &values)
{
    m_error = QSqlError();
    const Parameters parameters(values);
    if (!m_connection || (PQpipelineStatus(m_connection) == PQ_PIPELINE_OFF && !PQenterPipelineMode(m_connection))
        || !PQsendQueryPrepared(m_connection, name.constData(), parameters.count(), parameters.data(), nullptr,
                                nullptr, 0)) {
        gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
        return false;
    }
    return true;
}

bool PostgresCall::commandAnswered(const QDeadlineTimer &deadline, Result *first)
{
    for (;;) {
        while (PQisBusy(m_connection)) {
            if (!waitFor(POLLIN, deadline) || !PQconsumeInput(m_connection))
                return false;
        }
        Result next(PQgetResult(m_connection));
        if (!next)
            return true;
        if (!*first)
            *first = std::move(next);
    }
}

bool PostgresCall::settle(const QList<bool> &exec, int *failedRun, std::vector<Result> *answers)
{
    m_error = QSqlError();
    *failedRun = -1;
    const QDeadlineTimer deadline = m_wait ? QDeadlineTimer(*m_wait) : QDeadlineTimer(QDeadlineTimer::Forever);
    if (!m_connection || !PQpipelineSync(m_connection)) {
        gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
        return false;
    }
    if (!flush(deadline))
        return false;
    int runs = 0;
    for (const bool isRun : exec) {
        Result answer;
        if (!commandAnswered(deadline, &answer)) {
            gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
            return false;
        }
        const ExecStatusType status = answer ? PQresultStatus(answer.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_FATAL_ERROR && m_error.type() == QSqlError::NoError) {
            *failedRun = runs;
            const char *state = answer ? PQresultErrorField(answer.get(), PG_DIAG_SQLSTATE) : nullptr;
            const char *message = answer ? PQresultErrorField(answer.get(), PG_DIAG_MESSAGE_PRIMARY) : nullptr;
            m_error = QSqlError(QString(), QString::fromUtf8(message ? message : PQerrorMessage(m_connection)).trimmed(),
                                QSqlError::StatementError, QString::fromLatin1(state ? state : ""));
        }
        if (isRun && answers)
            answers->push_back(std::move(answer));
        runs += isRun ? 1 : 0;
    }
    // The end of the pipeline, then back to one statement at a time.
    Result end;
    if (!commandAnswered(deadline, &end) || !end || PQresultStatus(end.get()) != PGRES_PIPELINE_SYNC
        || !PQexitPipelineMode(m_connection)) {
        gone(QStringLiteral("the server's answers ended out of order"));
        return false;
    }
    return m_error.type() == QSqlError::NoError;
}

PostgresCall::Result PostgresCall::finish(bool sent)
{
    m_error = QSqlError();
    if (!sent)
        return gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
    const QDeadlineTimer deadline = m_wait ? QDeadlineTimer(*m_wait) : QDeadlineTimer(QDeadlineTimer::Forever);
    if (!flush(deadline))
        return Result();
    Result answer;
    for (;;) {
        while (PQisBusy(m_connection)) {
            if (!waitFor(POLLIN, deadline) || !PQconsumeInput(m_connection))
                return gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
        }
        Result next(PQgetResult(m_connection));
        if (!next)
            break;
        // The first error is the one to tell; otherwise the last result.
        const bool nextFailed = PQresultStatus(next.get()) == PGRES_FATAL_ERROR;
        const bool answerFailed = answer && PQresultStatus(answer.get()) == PGRES_FATAL_ERROR;
        if (!answerFailed || !nextFailed)
            answer = std::move(next);
    }
    if (!answer)
        return gone(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
    switch (PQresultStatus(answer.get())) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_EMPTY_QUERY: return answer;
    default: break;
    }
    const char *state = PQresultErrorField(answer.get(), PG_DIAG_SQLSTATE);
    const char *message = PQresultErrorField(answer.get(), PG_DIAG_MESSAGE_PRIMARY);
    QString text = QString::fromUtf8(message ? message : PQresultErrorMessage(answer.get())).trimmed();
    const QString code = QString::fromLatin1(state ? state : "");
    if (code == QLatin1String("57014") && m_wait)
        text = StatementDeadline::cancelledMessage();
    if (PQstatus(m_connection) != CONNECTION_OK)
        return failed(QSqlError::ConnectionError, text, code);
    return failed(QSqlError::StatementError, text, code);
}

bool PostgresCall::waitFor(short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd socket{PQsocket(m_connection), events, 0};
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&socket, 1, left < 0 ? -1 : int(std::min<qint64>(left, 1 << 30)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0 && m_wait) {
            // Shut, not closed: the socket stays libpq's, which notices the
            // end on its next read and reports the connection bad.
            ::shutdown(PQsocket(m_connection), SHUT_RDWR);
            PQconsumeInput(m_connection);
            const double seconds = std::chrono::duration<double>(StatementDeadline::value()).count();
            m_error = QSqlError(QStringLiteral("the server did not answer within %1 s, so the connection to it was "
                                               "given up with its transaction (a change the server had already "
                                               "received may still be made when it runs again)")
                                    .arg(seconds, 0, 'g', 3),
                                QString(), QSqlError::ConnectionError, QStringLiteral("08006"));
        }
        return false;
    }
}

PostgresCall::Result PostgresCall::failed(QSqlError::ErrorType type, const QString &text, const QString &code)
{
    m_error = QSqlError(QString(), text, type, code);
    return Result();
}

PostgresCall::Result PostgresCall::gone(const QString &why)
{
    // A wait that ran out has said so already.
    if (m_error.type() == QSqlError::NoError)
        failed(QSqlError::ConnectionError, why.isEmpty() ? QStringLiteral("the connection to the server was lost") : why);
    return Result();
}

QueryResult PostgresCall::rowsOf(const pg_result *result, int maxRows)
{
    const int columns = PQnfields(result);
    QStringList names;
    names.reserve(columns);
    QVarLengthArray<Oid, 32> types;
    for (int column = 0; column < columns; ++column) {
        names << QString::fromUtf8(PQfname(result, column)).toUpper();
        types << PQftype(result, column);
    }
    QueryResult rows(names);
    const int count = maxRows < 0 ? PQntuples(result) : std::min(maxRows, PQntuples(result));
    rows.reserveRows(count);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (PQgetisnull(result, row, column))
                rows.append(QVariant(typeOf(types[column])));
            else
                rows.append(valueOf(PQgetvalue(result, row, column), PQgetlength(result, row, column), types[column]));
        }
    }
    rows.setHasMore(maxRows >= 0 && PQntuples(result) > maxRows);
    return rows;
}

pg_conn *PostgresCall::handleOf(const QSqlDatabase &database)
{
    const QVariant handle = database.isOpen() && database.driver() ? database.driver()->handle() : QVariant();
    return handle.isValid() ? *static_cast<PGconn *const *>(handle.constData()) : nullptr;
}

QByteArray PostgresCall::numberedMarkers(const QString &statement, int *markers)
{
    const QByteArray text = statement.toUtf8();
    QByteArray numbered;
    numbered.reserve(text.size() + 16);
    int count = 0;
    char quote = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '-' && i + 1 < text.size() && text.at(i + 1) == '-') {
            const qsizetype end = text.indexOf('\n', i);
            const qsizetype stop = end < 0 ? text.size() : end;
            numbered += text.mid(i, stop - i);
            i = stop - 1;
            continue;
        } else if (c == '?') {
            numbered += '$' + QByteArray::number(++count);
            continue;
        }
        numbered += c;
    }
    if (markers)
        *markers = count;
    return numbered;
}

} // namespace Torva
