#pragma once

#include <QString>

namespace Torva {

// Makes location (empty: TORVA_DATABASE, else the embedded default) the
// database in force, opens it and checks that it holds the demo's tables and
// clients; the embedded default is made and filled on first use. When the
// database cannot be used, tells the user what is wrong and the probation-db
// commands that make it, in one message whose details keep the database's
// own message and the statement, and returns false.
bool openDemoDatabase(const QString &location);

} // namespace Torva
