#include "sqlitepreparedstatement.h"

#include "statementdeadline.h"

#include <QStringDecoder>

#include <sqlite3.h>

#include <algorithm>

namespace Torva {

namespace {

// The most values a statement remembers from its last run: a code list, a
// page of a search or a row read again under its lock, never a whole tree.
constexpr qsizetype RememberedValues = 256;

// Whether text holds exactly the bytes given, compared cheaply: only a text
// of plain ASCII characters can match, which is what repeats down a list.
bool sameAsciiText(const QVariant &value, const char *bytes, int size)
{
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString &text = *static_cast<const QString *>(value.constData());
    if (text.size() != size)
        return false;
    const QChar *chars = text.constData();
    for (int i = 0; i < size; ++i) {
        if (chars[i].unicode() != static_cast<unsigned char>(bytes[i]) || static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

// A stored UTF-8 text as it is. QString::fromUtf8 takes a leading U+FEFF for
// a byte order mark and drops it; in a value it is a character like any other.
QString textAsStored(const char *bytes, int size)
{
    if (size >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF') {
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(QByteArrayView(bytes, size));
    }
    return QString::fromUtf8(bytes, size);
}

} // namespace

SqlitePreparedStatement::SqlitePreparedStatement(sqlite3 *handle)
    : m_handle(handle)
{
}

SqlitePreparedStatement::~SqlitePreparedStatement()
{
    sqlite3_finalize(m_statement);
}

bool SqlitePreparedStatement::prepare(const QString &statement, bool keep)
{
    const QByteArray text = statement.toUtf8();
    // A second statement in the text is refused before it comes here.
    const int code = sqlite3_prepare_v3(m_handle, text.constData(), int(text.size()), keep ? SQLITE_PREPARE_PERSISTENT : 0,
                                        &m_statement, nullptr);
    if (code != SQLITE_OK)
        return failed(code, QSqlError::StatementError);
    if (!m_statement) {
        m_error = QSqlError(QStringLiteral("Unable to execute statement"), QStringLiteral("the statement is empty"),
                            QSqlError::StatementError);
        return false;
    }
    return true;
}

bool SqlitePreparedStatement::run(const QVariantList &values, QueryResult &rows, int maxRows, bool noteMore)
{
    if (m_error.isValid())
        m_error = QSqlError();  // a new QSqlError costs an allocation: only when one is left over
    StatementDeadline::statementStarts();
    if (m_deadlineGeneration != StatementDeadline::generation()) {
        // Another writer is waited for until the deadline, as set now.
        m_deadlineGeneration = StatementDeadline::generation();
        sqlite3_busy_timeout(m_handle, int(StatementDeadline::value().count()));
    }
    m_isSelect = sqlite3_column_count(m_statement) > 0;
    m_rowsAffected = -1;
    if (values.size() != sqlite3_bind_parameter_count(m_statement)) {
        m_error = QSqlError(QStringLiteral("Unable to bind parameters"),
                            QStringLiteral("the statement has %1 parameters but %2 values were given")
                                .arg(sqlite3_bind_parameter_count(m_statement))
                                .arg(values.size()),
                            QSqlError::StatementError);
        return false;
    }
    m_texts.reserve(std::size_t(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!bind(int(i) + 1, values.at(i)))
            return false;
    }

    if (m_isSelect) {
        rows = QueryResult(fieldNames());
        const int columns = rows.columnCount();
        rows.reserveRows(maxRows >= 0 ? std::min(maxRows, 256) : 64);
        int code = SQLITE_ROW;
        const QVariantList last = m_lastColumns == columns ? m_lastValues : QVariantList();  // shared, not copied
        int read = 0;
        while ((maxRows < 0 || read < maxRows) && (code = sqlite3_step(m_statement)) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                const qsizetype cell = qsizetype(read) * columns + i;
                rows.append(column(i, {cell < last.size() ? &last.at(cell) : nullptr,
                                       read > 0 ? &rows.value(read - 1, i) : nullptr}));
            }
            ++read;
        }
        if (noteMore && code == SQLITE_ROW && maxRows >= 0 && read == maxRows) {
            code = sqlite3_step(m_statement);
            rows.setHasMore(code == SQLITE_ROW);
        }
        if (code != SQLITE_ROW && code != SQLITE_DONE)
            return failed(code, QSqlError::StatementError);
        remember(rows);
    } else {
        const int code = sqlite3_step(m_statement);
        if (code != SQLITE_DONE && code != SQLITE_ROW)
            return failed(code, QSqlError::StatementError);
        m_rowsAffected = sqlite3_changes(m_handle);
    }
    release();
    return true;
}

bool SqlitePreparedStatement::bind(int position, const QVariant &value)
{
    int code = SQLITE_OK;
    if (isNullValue(value)) {
        code = sqlite3_bind_null(m_statement, position);
    } else {
        switch (bindingOf(value)) {
        case Binding::WholeNumber:
            code = sqlite3_bind_int64(m_statement, position, value.toLongLong());
            break;
        case Binding::RealNumber:
            code = sqlite3_bind_double(m_statement, position, value.toDouble());
            break;
        case Binding::Bytes: {
            const QByteArray bytes = value.toByteArray();
            code = sqlite3_bind_blob64(m_statement, position, bytes.constData(), sqlite3_uint64(bytes.size()),
                                       SQLITE_TRANSIENT);
            break;
        }
        case Binding::Text: {
            // As UTF-8: in UTF-16 text SQLite takes a leading U+FEFF for a
            // byte order mark and drops it. (A text holding half of a UTF-16
            // pair, which Qt would write as "?", is refused before it comes here.)
            const QByteArray &text = m_texts.emplace_back(value.toString().toUtf8());
            code = sqlite3_bind_text64(m_statement, position, text.constData(), sqlite3_uint64(text.size()),
                                       SQLITE_STATIC, SQLITE_UTF8);
            break;
        }
        }
    }
    return code == SQLITE_OK || failed(code, QSqlError::StatementError);
}

QVariant SqlitePreparedStatement::column(int index, const Neighbours &neighbours) const
{
    // The column's value read through one call rather than one per question
    // (type, text, size), each of which takes the handle's lock: a
    // connection is only ever used by the thread that opened it.
    sqlite3_value *value = sqlite3_column_value(m_statement, index);
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_value_int64(value)));
    case SQLITE_FLOAT: {
        const double number = sqlite3_value_double(value);
        return wholeNumber(number) ? QVariant(qlonglong(number)) : QVariant(number);
    }
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
        const int size = sqlite3_value_bytes(value);
        // Lists repeat a text down a column (a state, a country, a city), and
        // a code list or a locked row is read again as it was: the text then
        // shares the copy already made rather than making one more.
        for (const QVariant *neighbour : {neighbours.above, neighbours.lastRun}) {
            if (neighbour && sameAsciiText(*neighbour, text, size))
                return *neighbour;
        }
        return QVariant(textAsStored(text, size));
    }
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_value_blob(value));
        return QVariant(QByteArray(bytes, sqlite3_value_bytes(value)));
    }
    default: return QVariant();
    }
}

void SqlitePreparedStatement::remember(const QueryResult &rows)
{
    const bool small = qsizetype(rows.rowCount()) * rows.columnCount() <= RememberedValues;
    m_lastValues = small ? rows.values() : QVariantList();
    m_lastColumns = small ? rows.columnCount() : 0;
}

const QStringList &SqlitePreparedStatement::fieldNames()
{
    // Taken again only when the statement's shape changed (SQLite prepares a
    // kept statement again by itself after a schema change).
    const int columns = sqlite3_column_count(m_statement);
    if (m_fieldNames.size() != columns) {
        m_fieldNames.clear();
        for (int i = 0; i < columns; ++i)
            m_fieldNames << QString::fromUtf8(sqlite3_column_name(m_statement, i)).toUpper();
    }
    return m_fieldNames;
}

void SqlitePreparedStatement::release()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_texts.clear();
}

bool SqlitePreparedStatement::failed(int code, QSqlError::ErrorType type)
{
    // The handle's message and extended code, read before the reset clears them.
    const int extended = sqlite3_extended_errcode(m_handle);
    const QString message = code == SQLITE_INTERRUPT
                                ? StatementDeadline::cancelledMessage()
                                : QString::fromUtf8(sqlite3_errmsg(m_handle));
    if (m_statement)
        release();
    m_error = QSqlError(QStringLiteral("Unable to execute statement"), message, type,
                        QString::number(extended ? extended : code));
    return false;
}

} // namespace Torva
