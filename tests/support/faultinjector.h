#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// Makes one statement of the data layer fail as the database would make it
// fail, for the tests that prove what a failure leaves behind. While it lives
// it sees every statement a table object runs (through the before-execute
// hook) and counts them; once armed it fails one of them:
//   - the Nth statement from the arming on (failStatement),
//   - the next statement whose text contains a pattern (failNextMatching),
//   - the Nth statement finds its connection gone (dropConnectionAt): on
//     PostgreSQL the server ends the backend of the shared connection, on
//     SQLite the statement fails as a lost connection would.
// Only one fault fires per arming; the statements after it run normally.
class FaultInjector
{
public:
    enum class Fault { StatementFails, ConnectionDrops };

    FaultInjector();
    ~FaultInjector();
    FaultInjector(const FaultInjector &) = delete;
    FaultInjector &operator=(const FaultInjector &) = delete;

    void failStatement(int n, Fault fault = Fault::StatementFails);
    void failNextMatching(const QString &pattern, Fault fault = Fault::StatementFails);
    void dropConnectionAt(int n) { failStatement(n, Fault::ConnectionDrops); }
    // Counts only, from now on.
    void disarm();

    // Statements seen since the last arming (or since construction).
    int statements() const { return m_seen.size(); }
    QStringList seen() const { return m_seen; }
    bool fired() const { return m_fired; }
    // The statement the fault hit, and its place among those seen (from 1; 0 before).
    QString failedStatement() const { return m_failed; }
    int firedAt() const { return m_firedAt; }

private:
    void before(const QString &statement);
    void fire(const QString &statement);
    void terminateSharedBackend();

    QStringList m_seen;
    int m_failAt = 0;
    QString m_pattern;
    Fault m_fault = Fault::StatementFails;
    bool m_fired = false;
    int m_firedAt = 0;
    QString m_failed;
};
