#include "messageservice.h"

#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace Torva {

namespace {

class MessageBoxes : public MessageService
{
public:
    void showMessage(QWidget *parent, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    void showDetailedMessage(QWidget *parent, const QString &text, const QString &title,
                             const QString &details) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.setDetailedText(details);
        // So that a command in the message can be copied.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
    }

    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }

    int askChoice(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                  int defaultChoice) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
        QList<QAbstractButton *> buttons;
        for (qsizetype i = 0; i < choices.size(); ++i) {
            const auto role = i == choices.size() - 1 ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
            buttons << box.addButton(choices.at(i), role);
        }
        if (defaultChoice >= 0 && defaultChoice < buttons.size())
            box.setDefaultButton(qobject_cast<QPushButton *>(buttons.at(defaultChoice)));
        box.setEscapeButton(buttons.isEmpty() ? nullptr : buttons.last());
        box.exec();
        const qsizetype chosen = buttons.indexOf(box.clickedButton());
        return chosen < 0 ? int(choices.size()) - 1 : int(chosen);
    }
};

MessageService *&installed()
{
    static MessageService *service = nullptr;
    return service;
}

} // namespace

void MessageService::showDetailedMessage(QWidget *parent, const QString &text, const QString &title,
                                         const QString &details)
{
    showMessage(parent, details.isEmpty() ? text : text + QStringLiteral("\n\n") + details, title);
}

MessageService &MessageService::instance()
{
    static MessageBoxes boxes;
    return installed() ? *installed() : boxes;
}

MessageService *MessageService::install(MessageService *service)
{
    return std::exchange(installed(), service);
}

} // namespace Torva
