#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QDateTime>
#include <QString>

namespace Torva {

/// Who holds a row lock, as far as the data layer knows: the user name the host
/// gave it, the machine, the process and since when.
struct TORVA_EXPORT LockHolder
{
    QString userName;
    QString machine;
    qint64 processId = 0;
    QDateTime since;

    /// "JSMITH on probation-pc (process 4242) since 2026-12-06 09:15"
    QString describe() const;
};

} // namespace Torva
