#pragma once

#include <QObject>

namespace Torva {

// What a user waits for after a call to a control is often put off to the
// event loop: a view's deferred sync, the paint it asks for, deletions.
// handleAll() runs the event loop round after round until a round delivers
// no event at all, so that a timing that ends there includes all of it.
class PendingEvents : public QObject
{
public:
    static void handleAll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_delivered = 0;
};

} // namespace Torva
