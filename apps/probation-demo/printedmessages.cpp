#include "printedmessages.h"

#include <QTextStream>

namespace Torva {

namespace {
void print(const QString &text)
{
    QTextStream(stderr) << "probation-demo: " << text << "\n";
}
} // namespace

void PrintedMessages::showMessage(QWidget *parent, const QString &text, const QString &title)
{
    showDetailedMessage(parent, text, title, QString());
}

void PrintedMessages::showDetailedMessage(QWidget *, const QString &text, const QString &, const QString &details)
{
    ++m_messages;
    print(details.isEmpty() ? text : text + QStringLiteral("\n\nDetails:\n") + details);
}

bool PrintedMessages::askYesNo(QWidget *, const QString &text, const QString &)
{
    print(text + QStringLiteral(" (nobody to answer: No)"));
    return false;
}

int PrintedMessages::askChoice(QWidget *, const QString &text, const QString &, const QStringList &choices, int)
{
    QString last = choices.isEmpty() ? QString() : choices.last();
    last.remove(QLatin1Char('&'));
    print(text + QStringLiteral(" (nobody to answer: %1)").arg(last));
    return int(choices.size()) - 1;
}

} // namespace Torva
