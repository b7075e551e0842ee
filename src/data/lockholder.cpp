#include "lockholder.h"

namespace Torva {

QString LockHolder::describe() const
{
    QString text = userName.isEmpty() ? QStringLiteral("another user") : userName;
    if (!machine.isEmpty())
        text += QStringLiteral(" on ") + machine;
    if (processId > 0)
        text += QStringLiteral(" (process %1)").arg(processId);
    if (since.isValid())
        text += QStringLiteral(" since ") + since.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return text;
}

} // namespace Torva
