#include "userinput.h"

#include <QApplication>
#include <QKeySequence>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace Torva {

namespace UserInput {

QWindow *keyboardWindow()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->window()->windowHandle();
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal->window()->windowHandle();
    if (QWindow *focus = QGuiApplication::focusWindow(); focus && focus->isVisible())
        return focus;
    QWidget *active = QApplication::activeWindow();
    return active ? active->windowHandle() : nullptr;
}

namespace {
// The window the next key goes to, once what was pending has been handled,
// as it is before a user's key.
QWindow *windowForKey()
{
    QCoreApplication::processEvents();
    QWindow *window = keyboardWindow();
    if (!window)
        qWarning("UserInput: no window has the keyboard");
    return window;
}
} // namespace

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (QWindow *window = windowForKey())
        QTest::keyClick(window, key, modifiers);
}

void type(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QWindow *window = windowForKey();
        if (!window)
            return;
        const QChar c = text.at(i);
        if (c.unicode() < 0x80 && c.isPrint()) {
            QTest::keyClick(window, char(c.unicode()));
            continue;
        }
        // Beyond ASCII the key is unknown and the text is what counts, a
        // surrogate pair as one character.
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
        i += length - 1;
    }
}

void keys(const QString &script)
{
    qsizetype at = 0;
    while (at < script.size()) {
        const qsizetype open = script.indexOf(QLatin1Char('{'), at);
        const qsizetype close = open < 0 ? -1 : script.indexOf(QLatin1Char('}'), open);
        if (close < 0) {
            type(script.mid(at));
            return;
        }
        type(script.mid(at, open - at));
        const QString name = script.mid(open + 1, close - open - 1);
        const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
        if (sequence.isEmpty())
            qFatal("UserInput: no key is called %s", qPrintable(name));
        press(sequence[0].key(), sequence[0].keyboardModifiers());
        at = close + 1;
    }
}

namespace {
// The window a mouse action on the widget goes to, and the point there (the
// widget's centre unless given), once what was pending has been handled, as
// it is before a user's click.
std::pair<QWindow *, QPoint> mouseTarget(QWidget *widget, QPoint at)
{
    QCoreApplication::processEvents();
    const QPoint local = at.x() < 0 ? widget->rect().center() : at;
    return {widget->window()->windowHandle(), widget->mapTo(widget->window(), local)};
}
} // namespace

void click(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const auto [window, point] = mouseTarget(widget, at);
    QTest::mouseClick(window, button, modifiers, point);
}

void doubleClick(QWidget *widget, QPoint at)
{
    const auto [window, point] = mouseTarget(widget, at);
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, point);
}

void pressMouse(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const auto [window, point] = mouseTarget(widget, at);
    QTest::mousePress(window, button, modifiers, point);
}

void releaseMouse(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const auto [window, point] = mouseTarget(widget, at);
    QTest::mouseRelease(window, button, modifiers, point);
}

void moveMouse(QWidget *widget, QPoint at)
{
    const auto [window, point] = mouseTarget(widget, at);
    QTest::mouseMove(window, point);
}

QWidget *focusWidget()
{
    return QApplication::focusWidget();
}

} // namespace UserInput

} // namespace Torva
