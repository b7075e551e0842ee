#pragma once

#include <QProcess>
#include <QStringList>

namespace Torva {

// A helper program run as a second user of the test database, with every
// wait bounded: what it printed, how it ended, and a hard kill for the tests
// that need a user to vanish. A child still running when this goes is killed.
class ChildProcess
{
public:
    ChildProcess(const QString &program, const QStringList &arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The next line it prints (trimmed); empty when none came in time.
    QString readLine(int timeoutMs = 15000);
    void write(const QByteArray &data);
    // Closes its input (the helpers take that as "stop").
    void closeInput() { m_process.closeWriteChannel(); }
    // True when it ended in time.
    bool waitForEnd(int timeoutMs = 60000);
    void killHard();

    qint64 processId() const { return m_process.processId(); }
    bool crashed() const { return m_process.exitStatus() == QProcess::CrashExit; }
    int exitCode() const { return m_process.exitCode(); }
    // Whatever it printed that was not read line by line.
    QStringList remainingLines();
    QString errorOutput() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

private:
    QProcess m_process;
};

} // namespace Torva
