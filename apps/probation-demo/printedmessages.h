#pragma once

#include "base/messageservice.h"

namespace Torva {

// Stands in for the message boxes where nobody could answer one (a run that
// renders the window to a file) while it lives: prints each message on
// stderr, declines each question, and counts the messages.
class PrintedMessages : public StandInMessages
{
public:

    void showMessage(QWidget *parent, const QString &text, const QString &title) override;
    void showDetailedMessage(QWidget *parent, const QString &text, const QString &title,
                             const QString &details) override;
    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override;
    int askChoice(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                  int defaultChoice) override;

    int messageCount() const { return m_messages; }

private:
    int m_messages = 0;
};

} // namespace Torva
