#include "statementdeadline.h"

#include <algorithm>

namespace {
std::chrono::milliseconds current = StatementDeadline::Default;
int changes = 0;
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
