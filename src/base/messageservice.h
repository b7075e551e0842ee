#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>
#include <QStringList>

class QWidget;

namespace Torva {

/// The modal message box of the field checks: a message with an OK button, or
/// a question with Yes and No (Yes the default), titled as given, without an
/// icon; each waits until the user answers. Tests install one of their own
/// that records the messages and answers from a script.
class TORVA_EXPORT MessageService
{
public:
    /// The title of every message that says something went wrong.
    static inline const QString ErrorTitle = QStringLiteral("Error");

    virtual ~MessageService() = default;

    virtual void showMessage(QWidget *parent, const QString &text, const QString &title) = 0;
    /// A message whose details (the database's own message, a statement) stay
    /// out of the way until asked for: under "Show Details..." in the box. A
    /// service that has no place for them shows them after the text.
    virtual void showDetailedMessage(QWidget *parent, const QString &text, const QString &title,
                                     const QString &details);
    /// True for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &text, const QString &title) = 0;
    /// One of several answers (button texts, "&" marking the accelerator);
    /// returns its index. Escape gives the last one.
    virtual int askChoice(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                          int defaultChoice) = 0;

    /// The service in use: the installed one, else one that shows QMessageBox.
    static MessageService &instance();
    /// Installs a service (nullptr goes back to the message boxes) and returns
    /// the one it replaced; the caller keeps ownership.
    static MessageService *install(MessageService *service);
};

/// A service that stands in for the one in use for as long as it lives (a
/// test's scripted answers, a run with nobody to answer), then gives the place
/// back to the one it replaced.
class TORVA_EXPORT StandInMessages : public MessageService
{
protected:
    StandInMessages() : m_replaced(install(this)) {}
    ~StandInMessages() override { install(m_replaced); }

public:
    StandInMessages(const StandInMessages &) = delete;
    StandInMessages &operator=(const StandInMessages &) = delete;

private:
    MessageService *m_replaced;
};

} // namespace Torva
