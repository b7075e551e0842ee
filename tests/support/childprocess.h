#pragma once

#include <QProcess>
#include <QStringList>

namespace Torva {

// Another user of the current test database in a process of its own (the
// helper program tests/helpers/second_user.cpp, given its command: {"hold",
// "FIRST", "5"}), with every wait bounded: what it printed, how it ended, and
// a hard kill (SIGKILL: nothing of its own runs on the way out) for the tests
// that need a user to vanish. A child still running when this goes is killed.
class ChildProcess : public QProcess
{
public:
    explicit ChildProcess(const QStringList &command);
    ~ChildProcess() override { killHard(); }

    // The next line it prints (trimmed); empty when none came in time.
    QString nextLine(int timeoutMs = 15000);
    // Writes to its input, and waits until it is written.
    void send(const QByteArray &data);
    // True when it ended in time.
    bool waitForEnd(int timeoutMs = 60000) { return state() == NotRunning || waitForFinished(timeoutMs); }
    void killHard();

    bool crashed() const { return exitStatus() == CrashExit; }
    // Whatever it printed that was not read line by line.
    QStringList remainingLines();
    QString errorOutput() { return QString::fromLocal8Bit(readAllStandardError()); }
};

} // namespace Torva
