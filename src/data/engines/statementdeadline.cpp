#include "statementdeadline.h"

#include <algorithm>

#include <QElapsedTimer>

namespace Torva {

namespace {
std::chrono::milliseconds current = StatementDeadline::Default;
int changes = 0;
// Statements run on the thread of the controls, one at a time.
QElapsedTimer running;
}

void StatementDeadline::statementStarts()
{
    running.start();
}

bool StatementDeadline::passed()
{
    return running.isValid() && running.elapsed() > current.count();
}

std::chrono::milliseconds StatementDeadline::value()
{
    return current;
}

void StatementDeadline::set(std::chrono::milliseconds deadline)
{
    deadline = std::max(deadline, std::chrono::milliseconds(1));
    if (deadline == current)
        return;
    current = deadline;
    ++changes;
}

int StatementDeadline::generation()
{
    return changes;
}

QString StatementDeadline::cancelledMessage()
{
    return QStringLiteral("the statement did not finish within %1 s and was cancelled")
        .arg(std::chrono::duration<double>(value()).count(), 0, 'g', 3);
}

} // namespace Torva
