#pragma once

// The grid's cells may carry pictures, which need a GUI application; the
// grid targets make one, off screen, before the first input.

#include <QGuiApplication>

#include <cstdlib>

namespace Torva {

namespace Fuzz {

inline void makeGuiApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
}

} // namespace Fuzz

} // namespace Torva
