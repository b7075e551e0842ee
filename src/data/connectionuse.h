#pragma once

namespace Torva {

/// What a call is about to do with the shared connection: read, or write (a
/// write, or a transaction begun). A write makes sure that the connection is
/// still on the database's files; a read asks that once a burst of statements
/// begins, not before each of them.
enum class ConnectionUse { Reading, Writing };

} // namespace Torva
