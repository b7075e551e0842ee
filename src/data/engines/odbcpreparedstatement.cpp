#include "odbcpreparedstatement.h"

#include "statementdeadline.h"

#include <QDate>
#include <QSqlDriver>

#include <sql.h>
#include <sqlext.h>

#include <chrono>

namespace Torva {

static_assert(sizeof(SQLWCHAR) == sizeof(QChar), "the driver manager's wide characters are UTF-16");

namespace {

SQLHSTMT statementOf(void *handle)
{
    return static_cast<SQLHSTMT>(handle);
}

SQLHDBC connectionOf(void *handle)
{
    return static_cast<SQLHDBC>(handle);
}

SQLWCHAR *wide(const QString &text)
{
    return reinterpret_cast<SQLWCHAR *>(const_cast<QChar *>(text.constData()));
}

// A wide text as the driver wrote it: every unit kept, a leading U+FEFF too.
QString fromWide(const SQLWCHAR *text, qsizetype units)
{
    return QString(reinterpret_cast<const QChar *>(text), units);
}

// What the driver says about the last call on a handle, as a Qt error whose
// native code is the SQLSTATE.
QSqlError diagnosis(SQLSMALLINT handleType, SQLHANDLE handle, const QString &what, SQLHDBC connection)
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN found = SQLGetDiagRecW(handleType, handle, 1, state, &native, message,
                                           SQLSMALLINT(std::size(message)), &length);
    QString text = QStringLiteral("the ODBC driver gave no reason");
    QString code;
    if (SQL_SUCCEEDED(found)) {
        code = fromWide(state, 5);
        text = fromWide(message, std::min<qsizetype>(length, qsizetype(std::size(message)) - 1)).trimmed();
    }
    // The driver's own timeout (HYT00) or the server's cancel at it (57014).
    if (code == QLatin1String("HYT00") || code == QLatin1String("57014"))
        text = StatementDeadline::cancelledMessage();
    const bool lost = code.startsWith(QLatin1String("08")) || OdbcPreparedStatement::isDead(connection);
    return QSqlError(what, text, lost ? QSqlError::ConnectionError : QSqlError::StatementError, code);
}

} // namespace

struct OdbcPreparedStatement::Bound
{
    SQLLEN indicator = 0;
    SQLBIGINT integer = 0;
    double real = 0;
    QString text;
};

OdbcPreparedStatement::OdbcPreparedStatement(void *connection)
    : m_connection(connection)
{
}

OdbcPreparedStatement::~OdbcPreparedStatement()
{
    if (m_statement)
        SQLFreeHandle(SQL_HANDLE_STMT, statementOf(m_statement));
}

bool OdbcPreparedStatement::prepare(const QString &statement, bool)
{
    m_error = QSqlError();
    m_text = statement;
    if (!m_statement) {
        SQLHSTMT handle = nullptr;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connectionOf(m_connection), &handle))) {
            m_error = diagnosis(SQL_HANDLE_DBC, connectionOf(m_connection), QStringLiteral("cannot make a statement"),
                                connectionOf(m_connection));
            return false;
        }
        m_statement = handle;
    }
    if (!SQL_SUCCEEDED(SQLPrepareW(statementOf(m_statement), wide(m_text), SQLINTEGER(m_text.size()))))
        return fail(QStringLiteral("cannot prepare the statement"));
    if (m_page && !m_page->prepare(m_page->m_text, true)) {
        m_error = m_page->lastError();
        return false;
    }
    return true;
}

void OdbcPreparedStatement::setPageForm(const QString &statement)
{
    static const QLatin1String rows("&ROWS");
    QString text;
    m_rowsMarkers.clear();
    bool quoted = false;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const QChar c = statement.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('?')) {
            m_rowsMarkers << false;
        } else if (!quoted && QStringView(statement).mid(i).startsWith(rows)) {
            m_rowsMarkers << true;
            text += QLatin1Char('?');
            i += rows.size() - 1;
            continue;
        }
        text += c;
    }
    m_page = std::make_unique<OdbcPreparedStatement>(m_connection);
    m_page->m_text = text;
}

bool OdbcPreparedStatement::describe()
{
    SQLSMALLINT columns = 0;
    const bool described = SQL_SUCCEEDED(SQLNumResultCols(statementOf(m_statement), &columns))
                           || fail(QStringLiteral("cannot describe the statement"));
    // The description is a result of its own to some drivers, let go of
    // only when closed.
    closeCursor();
    return described;
}

bool OdbcPreparedStatement::run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore)
{
    m_error = QSqlError();
    m_isSelect = false;
    m_rowsAffected = -1;
    if (m_page && maxRows >= 0) {
        // The values in the page form's marker order, the rows wanted (and
        // one more, that says whether there are more) where they go.
        QVariantList paged;
        qsizetype next = 0;
        for (const bool isRows : std::as_const(m_rowsMarkers))
            paged << (isRows ? QVariant(maxRows + 1) : values.value(next++));
        const bool ran = m_page->run(paged, rows, maxRows, noteMore);
        m_isSelect = m_page->isSelect();
        m_error = m_page->lastError();
        return ran;
    }
    SQLHSTMT statement = statementOf(m_statement);
    setLimits(maxRows);
    if (!bind(values))
        return false;
    const SQLRETURN ran = SQLExecute(statement);
    // A searched update or delete that found no row has no data to say so.
    if (ran != SQL_NO_DATA && !SQL_SUCCEEDED(ran)) {
        fail(QStringLiteral("cannot run the statement"));
        closeCursor();
        return false;
    }
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &columns))) {
        fail(QStringLiteral("cannot read the statement's result"));
        closeCursor();
        return false;
    }
    m_isSelect = columns > 0;
    if (m_isSelect) {
        const bool read = readRows(rows, maxRows, noteMore);
        closeCursor();
        return read;
    }
    SQLLEN affected = 0;
    m_rowsAffected = ran == SQL_NO_DATA ? 0 : SQL_SUCCEEDED(SQLRowCount(statement, &affected)) ? int(affected) : -1;
    closeCursor();
    return true;
}

void OdbcPreparedStatement::setLimits(int maxRows)
{
    SQLHSTMT statement = statementOf(m_statement);
    // The driver ends a statement at the deadline (whole seconds). A driver
    // that cannot is left as it is: the setting is a help, not a promise.
    const int generation = StatementDeadline::generation();
    if (generation != m_deadlineGeneration) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(StatementDeadline::value()).count();
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(std::max<qint64>(1, seconds))),
                       0);
        m_deadlineGeneration = generation;
    }
    // Rows past the ones wanted (and the one that says there are more) are
    // not sent at all.
    const qlonglong wanted = maxRows < 0 ? 0 : qlonglong(maxRows) + 1;
    if (wanted != m_maxRows) {
        SQLSetStmtAttr(statement, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(SQLULEN(wanted)), 0);
        m_maxRows = wanted;
    }
}

bool OdbcPreparedStatement::bind(const QVariantList &values)
{
    SQLHSTMT statement = statementOf(m_statement);
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
    m_bound.clear();
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        Bound &bound = m_bound.emplace_back();
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN size = 1;
        SQLPOINTER data = nullptr;
        SQLLEN bufferLength = 0;
        switch (bindingOf(value)) {
        case Binding::WholeNumber:
            cType = SQL_C_SBIGINT;
            sqlType = SQL_BIGINT;
            size = 19;
            bound.integer = value.toLongLong();
            data = &bound.integer;
            break;
        case Binding::RealNumber:
            cType = SQL_C_DOUBLE;
            sqlType = SQL_DOUBLE;
            size = 15;
            bound.real = value.toDouble();
            data = &bound.real;
            break;
        case Binding::Bytes:
        case Binding::Text:
            bound.text = value.typeId() == QMetaType::QDateTime ? value.toDateTime().toString(Qt::ISODateWithMs)
                                                                : value.toString();
            size = std::max<SQLULEN>(1, SQLULEN(bound.text.size()));
            data = wide(bound.text);
            bufferLength = SQLLEN(bound.text.size() * sizeof(SQLWCHAR));
            bound.indicator = bufferLength;
            break;
        }
        if (isNullValue(value))
            bound.indicator = SQL_NULL_DATA;
        if (!SQL_SUCCEEDED(SQLBindParameter(statement, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, cType, sqlType, size, 0,
                                            data, bufferLength, &bound.indicator)))
            return fail(QStringLiteral("cannot bind value %1").arg(i + 1));
    }
    return true;
}

bool OdbcPreparedStatement::readRows(QueryResult &rows, int maxRows, bool noteMore)
{
    SQLHSTMT statement = statementOf(m_statement);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(statement, &columns);
    QStringList names;
    QVarLengthArray<SQLSMALLINT, 32> types;
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(statement, column, name, SQLSMALLINT(std::size(name)), &nameLength, &type,
                                           &size, &digits, &nullable)))
            return fail(QStringLiteral("cannot describe column %1").arg(column));
        names << fromWide(name, std::min<qsizetype>(nameLength, qsizetype(std::size(name)) - 1)).toUpper();
        types << type;
    }
    rows = QueryResult(names);
    int read = 0;
    while (maxRows < 0 || read < maxRows) {
        const SQLRETURN fetched = SQLFetch(statement);
        if (fetched == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(fetched))
            return fail(QStringLiteral("cannot read a row"));
        for (int column = 0; column < columns; ++column) {
            QVariant value = readValue(column + 1, types[column]);
            if (m_error.type() != QSqlError::NoError)
                return false;
            rows.append(std::move(value));
        }
        ++read;
    }
    if (noteMore)
        rows.setHasMore(SQL_SUCCEEDED(SQLFetch(statement)));
    return true;
}

QVariant OdbcPreparedStatement::readValue(int column, short type)
{
    SQLHSTMT statement = statementOf(m_statement);
    SQLLEN indicator = 0;
    const auto got = [&](SQLSMALLINT cType, SQLPOINTER buffer, SQLLEN length) {
        if (SQL_SUCCEEDED(SQLGetData(statement, SQLUSMALLINT(column), cType, buffer, length, &indicator)))
            return true;
        fail(QStringLiteral("cannot read column %1").arg(column));
        return false;
    };
    switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER: {
        SQLINTEGER number = 0;
        if (!got(SQL_C_SLONG, &number, 0) || indicator == SQL_NULL_DATA)
            return QVariant(QMetaType::fromType<int>());
        return QVariant(int(number));
    }
    case SQL_BIGINT: {
        SQLBIGINT number = 0;
        if (!got(SQL_C_SBIGINT, &number, 0) || indicator == SQL_NULL_DATA)
            return QVariant(QMetaType::fromType<qlonglong>());
        return QVariant(qlonglong(number));
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        // Read as the database writes the number, so that a decimal key of
        // any size comes whole: decimal columns hold whole numbers here
        // (dates, phone numbers, keys), one with a fraction stays a double.
        char text[64] = {};
        if (!got(SQL_C_CHAR, text, sizeof text) || indicator == SQL_NULL_DATA)
            return QVariant(QMetaType::fromType<qlonglong>());
        bool whole = false;
        const qlonglong number = QByteArray(text).trimmed().toLongLong(&whole);
        return whole ? QVariant(number) : wholeNumberAsInteger(QVariant(QByteArray(text).trimmed().toDouble()));
    }
    case SQL_TYPE_DATE: {
        char text[32] = {};
        if (!got(SQL_C_CHAR, text, sizeof text) || indicator == SQL_NULL_DATA)
            return QVariant(QMetaType::fromType<QDate>());
        return QVariant(QDate::fromString(QString::fromLatin1(text), Qt::ISODate));
    }
    case SQL_TYPE_TIMESTAMP: {
        char text[64] = {};
        if (!got(SQL_C_CHAR, text, sizeof text) || indicator == SQL_NULL_DATA)
            return QVariant(QMetaType::fromType<QDateTime>());
        return dateTimeFromText(QString::fromLatin1(text));
    }
    default: break;
    }
    // A text, read in pieces for as long as the driver has more of it.
    QString text;
    SQLWCHAR piece[1024];
    constexpr SQLLEN pieceBytes = sizeof piece;
    constexpr qsizetype pieceUnits = qsizetype(std::size(piece)) - 1;  // and its terminating NUL
    for (;;) {
        const SQLRETURN part = SQLGetData(statement, SQLUSMALLINT(column), SQL_C_WCHAR, piece, pieceBytes, &indicator);
        if (part == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(part)) {
            fail(QStringLiteral("cannot read column %1").arg(column));
            break;
        }
        if (indicator == SQL_NULL_DATA)
            return QVariant(QMetaType::fromType<QString>());
        const bool more = indicator == SQL_NO_TOTAL || indicator > pieceBytes - SQLLEN(sizeof(SQLWCHAR));
        text += fromWide(piece, more ? pieceUnits : qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR))));
        if (!more)
            break;
    }
    return text;
}

bool OdbcPreparedStatement::fail(const QString &what)
{
    m_error = diagnosis(SQL_HANDLE_STMT, statementOf(m_statement), what, connectionOf(m_connection));
    return false;
}

void OdbcPreparedStatement::closeCursor()
{
    SQLFreeStmt(statementOf(m_statement), SQL_CLOSE);
}

void *OdbcPreparedStatement::handleOf(const QSqlDatabase &database)
{
    const QVariant handle = database.isOpen() && database.driver() ? database.driver()->handle() : QVariant();
    return handle.isValid() ? *static_cast<void *const *>(handle.constData()) : nullptr;
}

QString OdbcPreparedStatement::databaseName(void *connection)
{
    SQLWCHAR name[128] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connectionOf(connection), SQL_DBMS_NAME, name, sizeof name, &bytes)))
        return QString();
    return fromWide(name, std::min<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), qsizetype(std::size(name)) - 1));
}

bool OdbcPreparedStatement::isDead(void *connection)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    return connection
           && SQL_SUCCEEDED(SQLGetConnectAttr(connectionOf(connection), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))
           && dead == SQL_CD_TRUE;
}

QSqlError OdbcPreparedStatement::beginTransaction(void *connection)
{
    SQLHDBC handle = connectionOf(connection);
    if (SQL_SUCCEEDED(SQLSetConnectAttr(handle, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
        return QSqlError();
    return diagnosis(SQL_HANDLE_DBC, handle, QStringLiteral("cannot begin a transaction"), handle);
}

QSqlError OdbcPreparedStatement::endTransaction(void *connection, bool commit)
{
    SQLHDBC handle = connectionOf(connection);
    QSqlError error;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, handle, commit ? SQL_COMMIT : SQL_ROLLBACK))) {
        error = diagnosis(SQL_HANDLE_DBC, handle,
                          commit ? QStringLiteral("cannot commit") : QStringLiteral("cannot roll back"), handle);
        // Whatever is left of a transaction whose commit failed goes, so
        // that committing each statement again does not commit it after all.
        if (commit)
            SQLEndTran(SQL_HANDLE_DBC, handle, SQL_ROLLBACK);
    }
    // Ended or not, the connection is back to committing each statement.
    SQLSetConnectAttr(handle, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    return error;
}

} // namespace Torva
