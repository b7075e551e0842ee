#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <Qt>

#include <functional>

namespace Torva {

/// What the controls make of keyboard and mouse events for the host, in the
/// codes their events carry, and the boundary at which a host's handler ends.
namespace InputEvents {

/// The Shift code of keyboard modifiers: 1 Shift, 2 Ctrl, 4 Alt.
enum ShiftState { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };
TORVA_EXPORT int shiftState(Qt::KeyboardModifiers modifiers);

/// The Button code of mouse buttons: 1 left, 2 right, 4 middle.
enum MouseButton { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
TORVA_EXPORT int buttonCode(Qt::MouseButtons buttons);

/// Runs work for an event of a widget of ours, whose signal handlers belong
/// to someone else: whatever they let through ends here (with a warning
/// naming what), never in Qt's event loop.
TORVA_EXPORT void atEventBoundary(const char *what, const std::function<void()> &work);

} // namespace InputEvents

} // namespace Torva
