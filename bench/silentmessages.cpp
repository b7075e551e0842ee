#include "silentmessages.h"

namespace Torva {

void SilentMessages::showMessage(QWidget *, const QString &text, const QString &)
{
    ++m_shown;
    m_lastText = text;
}

bool SilentMessages::askYesNo(QWidget *, const QString &text, const QString &)
{
    ++m_shown;
    m_lastText = text;
    return true;
}

int SilentMessages::askChoice(QWidget *, const QString &text, const QString &, const QStringList &, int defaultChoice)
{
    ++m_shown;
    m_lastText = text;
    return defaultChoice;
}

} // namespace Torva
