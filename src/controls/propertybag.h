#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QVariant>
#include <QVariantMap>

namespace Torva {

/// The saved properties of a control, for hosts that keep them outside a .ui
/// file: each control reads and writes its keys with a default, as a form
/// designer's property bag does (a value equal to its default is not stored).
class TORVA_EXPORT PropertyBag
{
public:
    PropertyBag() = default;
    explicit PropertyBag(const QVariantMap &values) : m_values(values) {}

    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) const
    {
        return m_values.value(name, defaultValue);
    }
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue)
    {
        if (value == defaultValue)
            m_values.remove(name);
        else
            m_values.insert(name, value);
    }

    bool contains(const QString &name) const { return m_values.contains(name); }
    QVariantMap values() const { return m_values; }

private:
    QVariantMap m_values;
};

} // namespace Torva
