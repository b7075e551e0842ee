// Linked into every test program: a message box that a test has not scripted
// (ScriptedMessages) would wait for a click that never comes and hang the
// run. Such a message fails the test that caused it instead, and the code
// goes on as if the user had said No.

#include "base/messageservice.h"

#include <QtTest>

namespace Torva {

namespace {

class UnansweredMessages : public MessageService
{
public:
    UnansweredMessages() { install(this); }

    void showMessage(QWidget *, const QString &text, const QString &title) override { unexpected(title, text); }
    bool askYesNo(QWidget *, const QString &text, const QString &title) override
    {
        unexpected(title, text);
        return false;
    }
    int askChoice(QWidget *, const QString &text, const QString &title, const QStringList &choices, int) override
    {
        unexpected(title, text);
        return int(choices.size()) - 1;
    }

private:
    static void unexpected(const QString &title, const QString &text)
    {
        const QByteArray message = QStringLiteral("a message box no test answers: %1: %2").arg(title, text).toUtf8();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    }
};

UnansweredMessages unanswered;

} // namespace

} // namespace Torva
