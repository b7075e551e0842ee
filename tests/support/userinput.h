#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;
class QWindow;

namespace Torva {

// Keys and clicks as a user makes them: sent to a window and delivered by
// Qt's own routing, so that an open popup list, a menu or a modal box takes
// them first, as it takes a real keyboard's. Nothing here reaches into a
// child widget to type.
namespace UserInput {

// The window a key goes to now: the open popup, else the modal box, else the
// window with the focus (read again for every key, since focus moves).
QWindow *keyboardWindow();

// One key, with modifiers, pressed and released.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Typed text, a character at a time.
void type(const QString &text);
// Typed text with named keys in braces, in the order a user strikes them:
// "spri{Backspace}ng{Down}{Return}", "{Shift+F10}n", "{Ctrl+S}".
void keys(const QString &script);

// A click (press and release) or a double click at a point of a widget
// (its centre by default), delivered through the widget's window.
void click(QWidget *widget, QPoint at = QPoint(-1, -1), Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void doubleClick(QWidget *widget, QPoint at = QPoint(-1, -1));
// A press and a release on their own (a press that may start a drag), and a
// move of the pointer there with no button down.
void pressMouse(QWidget *widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void releaseMouse(QWidget *widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void moveMouse(QWidget *widget, QPoint at);

// The widget that has the keyboard focus now (an open popup list keeps it
// where it was: the box it belongs to).
QWidget *focusWidget();

} // namespace UserInput

} // namespace Torva
