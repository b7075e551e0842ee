#include "lockkey.h"

namespace Torva {

namespace {
// A whole number stored as a double (a key bound from a double) locks the same row as the integer.
QString keyText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (d == static_cast<double>(static_cast<qint64>(d)))
            return QString::number(static_cast<qint64>(d));
    }
    return value.toString();
}

qint64 fnv1a62(const QByteArray &bytes)
{
    quint64 hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return static_cast<qint64>(hash & 0x3FFFFFFFFFFFFFFFULL);
}
} // namespace

LockKey::LockKey(const QString &table, const QList<QVariant> &keyValues)
    : m_table(table.toUpper())
    , m_values(keyValues)
{
    QStringList parts;
    parts.reserve(keyValues.size());
    for (const QVariant &value : keyValues)
        parts << keyText(value);
    m_rowKey = parts.join(QChar(0x1F));
    m_number = fnv1a62((m_table + QChar(0x1E) + m_rowKey).toUtf8());
}

} // namespace Torva
