#pragma once

#include "data/tableobject.h"

namespace Torva {

// Runs a hook before every statement any table object executes, for as long
// as the guard lives; the hook is taken off again however the test ends.
class HookGuard
{
public:
    explicit HookGuard(TableObject::StatementHook hook) { TableObject::setBeforeExecuteHook(std::move(hook)); }
    ~HookGuard() { TableObject::setBeforeExecuteHook({}); }
    HookGuard(const HookGuard &) = delete;
    HookGuard &operator=(const HookGuard &) = delete;
};

} // namespace Torva
