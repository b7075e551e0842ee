#include "failuremessage.h"

#include "base/messageservice.h"
#include "data/dataaccesserror.h"

namespace Torva {

namespace {
const QString Title = QStringLiteral("Probation parties");
} // namespace

void showFailure(QWidget *parent, const QString &what, const DataAccessError &error)
{
    const QString statement =
        error.statement().isEmpty() ? QString() : QStringLiteral("Statement: ") + error.statement();
    MessageService::instance().showDetailedMessage(parent, what + QStringLiteral("\n\n") + error.description(), Title,
                                                   statement);
}

} // namespace Torva
