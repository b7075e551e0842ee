#include "childprocess.h"

#include <QDeadlineTimer>

namespace Torva {

ChildProcess::ChildProcess(const QString &program, const QStringList &arguments)
{
    m_process.start(program, arguments);
    m_process.waitForStarted(15000);
}

ChildProcess::~ChildProcess()
{
    killHard();
}

QString ChildProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine() && !deadline.hasExpired()
           && m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
    }
    return m_process.canReadLine() ? QString::fromUtf8(m_process.readLine()).trimmed() : QString();
}

void ChildProcess::write(const QByteArray &data)
{
    m_process.write(data);
    m_process.waitForBytesWritten(5000);
}

bool ChildProcess::waitForEnd(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

void ChildProcess::killHard()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();  // SIGKILL: nothing of its own runs on the way out
    m_process.waitForFinished(15000);
}

QStringList ChildProcess::remainingLines()
{
    return QString::fromUtf8(m_process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace Torva
