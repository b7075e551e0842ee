#pragma once

#include "base/messageservice.h"

#include <QList>
#include <QString>

namespace Torva {

// Stands in for the message boxes while it lives: records each message, the
// field that had the focus when it was shown, and answers questions from a script.
class ScriptedMessages : public StandInMessages
{
public:
    struct Message
    {
        QString text;
        QString title;
        bool question = false;
        QString focusedField;  // object name of the field with the focus (txtPTYNAM, cboPTYSEX, ...)
        QString details;       // what the box keeps under "Show Details..."
    };

    void showMessage(QWidget *parent, const QString &text, const QString &title) override;
    void showDetailedMessage(QWidget *parent, const QString &text, const QString &title,
                             const QString &details) override;
    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override;
    int askChoice(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                  int defaultChoice) override;

    QList<Message> messages;
    QList<bool> answers;  // taken in order; Yes once they run out
    QList<int> choices;   // taken in order; the default choice once they run out

    QStringList texts() const;
};

} // namespace Torva
