#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QDate>
#include <QDateTime>

namespace Torva {

/// The one source of the current date and time for the controls (the latest
/// birth date, the change dates written), so that tests can pin it.
class TORVA_EXPORT Clock
{
public:
    static QDateTime now();
    static QDate today() { return now().date(); }

    /// From now on now() answers this moment, until unpin().
    static void pin(const QDateTime &moment);
    static void unpin();
};

} // namespace Torva
