#include "inputevents.h"

#include <QtGlobal>

#include <exception>

namespace Torva {

int InputEvents::shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? ShiftKey : 0) | (modifiers & Qt::ControlModifier ? CtrlKey : 0)
           | (modifiers & Qt::AltModifier ? AltKey : 0);
}

int InputEvents::buttonCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? LeftButton : 0) | (buttons & Qt::RightButton ? RightButton : 0)
           | (buttons & Qt::MiddleButton ? MiddleButton : 0);
}

void InputEvents::atEventBoundary(const char *what, const std::function<void()> &work)
{
    try {
        work();
    } catch (const std::exception &error) {
        qWarning("%s failed: %s", what, error.what());
    } catch (...) {
        qWarning("%s failed", what);
    }
}

} // namespace Torva
