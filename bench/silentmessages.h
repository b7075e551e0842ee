#pragma once

#include "base/messageservice.h"

#include <QString>

namespace Torva {

// Stands in for the message boxes while the benchmarks run, so that a field
// check never waits for a click: it counts the messages, answers every
// question Yes and every choice with its default. A benchmark that meets a message has timed a check that
// failed, which its figures then say.
class SilentMessages : public StandInMessages
{
public:

    void showMessage(QWidget *parent, const QString &text, const QString &title) override;
    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override;
    int askChoice(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                  int defaultChoice) override;

    int shown() const { return m_shown; }
    QString lastText() const { return m_lastText; }

private:
    int m_shown = 0;
    QString m_lastText;
};

} // namespace Torva
