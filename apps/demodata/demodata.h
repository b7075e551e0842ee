#pragma once

#include <QMap>
#include <QString>

namespace Torva {

// A small, realistic agency for the demo application and for trying the
// controls out: code tables, a few hundred cities with their zip codes,
// about sixty clients and sixty parties, associations in both directions, and
// security rows for a user who may delete associations and one who may not.
class DemoData
{
public:
    // Users with a security row; the first may delete associations.
    static QString supervisorUser() { return QStringLiteral("SUPERVISOR"); }
    static QString officerUser() { return QStringLiteral("OFFICER"); }
    // The client with something under most relationship types, to show first.
    static int featuredClient() { return 1001; }

    // Fills every table that is still empty, in one transaction, and returns
    // the rows added per table (qualified name). Tables that hold rows are left alone.
    static QMap<QString, int> seed();
};

} // namespace Torva
