#include "failuremessage.h"

#include "common/messageservice.h"
#include "data/dataaccesserror.h"

void showFailure(QWidget *parent, const QString &what, const DataAccessError &error)
{
    QString text = what + QStringLiteral("\n\n") + error.description();
    if (!error.statement().isEmpty())
        text += QStringLiteral("\n\nStatement: ") + error.statement();
    MessageService::instance().showMessage(parent, text, QStringLiteral("Probation parties"));
}
