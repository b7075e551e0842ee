#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace Torva {

// Makes one statement of the data layer fail as the database would make it
// fail, for the tests that prove what a failure leaves behind. While it lives
// it sees every statement a table object runs (through the before-execute
// hook) and counts them; once armed it fails the Nth statement from the
// arming on, or that statement finds its connection gone: on PostgreSQL
// (directly or through ODBC) the server ends the backend of the shared
// connection, on SQLite the statement fails as a lost connection would. Only one fault fires per arming; the
// statements after it run normally.
//
// ServerStopsAnswering (PostgreSQL, direct route) stops the shared connection's backend
// (SIGSTOP) as a frozen server or a cut network would leave it: the
// statement gets no answer. The backend runs again when the injector goes,
// which then waits until the server has ended it.
class FaultInjector
{
public:
    enum class Fault { StatementFails, ConnectionDrops, ServerStopsAnswering };

    FaultInjector();
    ~FaultInjector();
    FaultInjector(const FaultInjector &) = delete;
    FaultInjector &operator=(const FaultInjector &) = delete;

    void failStatement(int n, Fault fault = Fault::StatementFails);

    // Statements seen since the arming (or since construction).
    QStringList seen() const { return m_seen; }
    bool fired() const { return m_fired; }

private:
    void fire(const QString &statement);

    QStringList m_seen;
    int m_failAt = 0;
    Fault m_fault = Fault::StatementFails;
    bool m_fired = false;
    qint64 m_stopped = 0;  // the backend stopped, until it runs again
};

} // namespace Torva
