#include "userinput.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace UserInput {

QWindow *keyboardWindow()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->window()->windowHandle();
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal->window()->windowHandle();
    if (QWindow *focus = QGuiApplication::focusWindow())
        return focus;
    QWidget *active = QApplication::activeWindow();
    return active ? active->windowHandle() : nullptr;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWindow *window = keyboardWindow();
    if (!window) {
        qWarning("UserInput: no window has the keyboard");
        return;
    }
    QTest::keyClick(window, key, modifiers);
}

void type(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QWindow *window = keyboardWindow();
        if (!window) {
            qWarning("UserInput: no window has the keyboard");
            return;
        }
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

namespace {
QPoint inWindow(QWidget *widget, QPoint at)
{
    const QPoint local = at.x() < 0 ? widget->rect().center() : at;
    return widget->mapTo(widget->window(), local);
}
} // namespace

void click(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    QWindow *window = widget->window()->windowHandle();
    QTest::mouseClick(window, button, modifiers, inWindow(widget, at));
}

void doubleClick(QWidget *widget, QPoint at)
{
    QWindow *window = widget->window()->windowHandle();
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, inWindow(widget, at));
}

QWidget *focusWidget()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

} // namespace UserInput
