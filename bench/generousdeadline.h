#pragma once

#include "data/database.h"

#include <chrono>

namespace Torva {

// Lifts the statement deadline while it lives, and puts the one before back
// after: for the bench's own long statements, such as building an index over
// a million rows or counting three million, which a control's statement
// would never be allowed. What the benchmarks time runs under the deadline
// the controls have.
class GenerousDeadline
{
public:
    explicit GenerousDeadline(std::chrono::milliseconds deadline = std::chrono::hours(1))
        : m_before(Database::statementDeadline())
    {
        Database::setStatementDeadline(deadline);
    }
    ~GenerousDeadline() { Database::setStatementDeadline(m_before); }

    GenerousDeadline(const GenerousDeadline &) = delete;
    GenerousDeadline &operator=(const GenerousDeadline &) = delete;

private:
    std::chrono::milliseconds m_before;
};

} // namespace Torva
