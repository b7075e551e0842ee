#include "postgrespreparedstatement.h"

#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>

#include <libpq-fe.h>

void PostgresPreparedStatement::columnsKnown(const QSqlRecord &record)
{
    m_texts.clear();
    bool anyText = false;
    for (int i = 0; i < record.count(); ++i) {
        m_texts << (record.field(i).metaType().id() == QMetaType::QString);
        anyText = anyText || m_texts.last();
    }
    if (!anyText)
        m_texts.clear();  // nothing to look at in the rows
}

QVariant PostgresPreparedStatement::columnValue(int column)
{
    QVariant value = QtPreparedStatement::columnValue(column);
    if (!m_texts.value(column) || value.isNull())
        return value;
    // The row as the server sent it: the driver's handle is the libpq result
    // that holds this row (one row a result when it reads them one at a time).
    const QVariant handle = query().result()->handle();
    if (!handle.isValid() || !(handle.metaType().flags() & QMetaType::IsPointer))
        return value;
    const auto *result = *static_cast<const PGresult *const *>(handle.constData());
    const char *bytes = result ? PQgetvalue(result, query().isForwardOnly() ? 0 : query().at(), column) : nullptr;
    if (bytes && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF')
        value = QString(QChar(0xFEFF)) + value.toString();
    return value;
}
