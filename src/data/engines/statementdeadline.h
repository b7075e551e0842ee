#pragma once

#include "data/database.h"

#include <QString>

#include <algorithm>
#include <chrono>

namespace Torva {

// How long any statement may take before the call that runs it fails: 5 s
// unless the host sets another (Database::setStatementDeadline). A server
// that has not answered by then is taken for gone, whether it is busy,
// frozen or cut off by the network; the statement is cancelled and the
// transaction it belongs to ends without a trace.
class StatementDeadline
{
public:
    static constexpr std::chrono::milliseconds Default = Database::DefaultDeadline;

    static std::chrono::milliseconds value();
    // How long a server is waited for: the deadline, by which it ends a
    // statement itself, and as long again (a second at most) for its answer.
    static std::chrono::milliseconds answerWait()
    {
        return value() + std::min(value(), std::chrono::milliseconds(1000));
    }
    // Values below 1 ms count as 1 ms: a call must be able to end.
    static void set(std::chrono::milliseconds deadline);
    // For an engine that runs statements in this process: marks the start of
    // a statement, and says whether the deadline has passed since.
    static void statementStarts();
    static bool passed();

    // What a statement ended at the deadline says.
    static QString cancelledMessage();

    // Raised on every change, so that connections opened before it can
    // tell their server the new value before their next statement.
    static int generation();
};

} // namespace Torva
