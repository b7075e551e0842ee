#include "messageservice.h"

#include <QMessageBox>

namespace {

class MessageBoxes : public MessageService
{
public:
    void showMessage(QWidget *parent, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }
};

MessageService *&installed()
{
    static MessageService *service = nullptr;
    return service;
}

} // namespace

MessageService &MessageService::instance()
{
    static MessageBoxes boxes;
    return installed() ? *installed() : boxes;
}

void MessageService::install(MessageService *service)
{
    installed() = service;
}
