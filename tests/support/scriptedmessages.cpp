#include "scriptedmessages.h"

#include <QApplication>
#include <QRegularExpression>
#include <QWidget>

namespace Torva {

namespace {
QString focusedField()
{
    static const QRegularExpression fieldName(QStringLiteral("^(txt|cbo|zip|phn|dtp)"));
    for (QWidget *widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (fieldName.match(widget->objectName()).hasMatch())
            return widget->objectName();
    }
    return QString();
}
} // namespace

void ScriptedMessages::showMessage(QWidget *, const QString &text, const QString &title)
{
    messages << Message{text, title, false, focusedField()};
}

void ScriptedMessages::showDetailedMessage(QWidget *, const QString &text, const QString &title,
                                           const QString &details)
{
    messages << Message{text, title, false, focusedField(), details};
}

bool ScriptedMessages::askYesNo(QWidget *, const QString &text, const QString &title)
{
    messages << Message{text, title, true, focusedField()};
    return answers.isEmpty() ? true : answers.takeFirst();
}

int ScriptedMessages::askChoice(QWidget *, const QString &text, const QString &title, const QStringList &,
                                int defaultChoice)
{
    messages << Message{text, title, true, focusedField()};
    return choices.isEmpty() ? defaultChoice : choices.takeFirst();
}

QStringList ScriptedMessages::texts() const
{
    QStringList result;
    for (const Message &message : messages)
        result << message.text;
    return result;
}

} // namespace Torva
