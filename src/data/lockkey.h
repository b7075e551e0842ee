#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QList>
#include <QString>
#include <QVariant>

namespace Torva {

/// One row lock: a table and the values of that table's key columns.
/// Our own row locks go by a 62-bit number derived from it (a byte offset in
/// the SQLite lock file, an advisory lock key on PostgreSQL); a database that
/// keeps its own is asked for the row by its key values.
class TORVA_EXPORT LockKey
{
public:
    LockKey() = default;
    LockKey(const QString &table, const QList<QVariant> &keyValues);

    QString table() const { return m_table; }
    QString rowKey() const { return m_rowKey; }
    /// The key's values, in the table's key order.
    QVariantList values() const { return m_values; }
    qint64 number() const { return m_number; }

    bool operator==(const LockKey &other) const { return m_number == other.m_number && m_rowKey == other.m_rowKey && m_table == other.m_table; }

private:
    QString m_table;   // upper case, qualified: DUVPRB.PRBPTY
    QString m_rowKey;  // the key values as text, separated by a unit separator
    QVariantList m_values;
    qint64 m_number = 0;
};

inline size_t qHash(const LockKey &key, size_t seed = 0) { return ::qHash(key.number(), seed); }

} // namespace Torva
