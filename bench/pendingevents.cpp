#include "pendingevents.h"

#include <QCoreApplication>

namespace Torva {

namespace {
// A guard against a timer that fires every round; no view needs nearly as many.
constexpr int MostRounds = 100;
} // namespace

void PendingEvents::handleAll()
{
    PendingEvents counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    for (int round = 0; round < MostRounds; ++round) {
        counter.m_delivered = 0;
        QCoreApplication::processEvents();
        if (counter.m_delivered == 0)
            break;
    }
    QCoreApplication::instance()->removeEventFilter(&counter);
}

bool PendingEvents::eventFilter(QObject *, QEvent *)
{
    ++m_delivered;
    return false;
}

} // namespace Torva
