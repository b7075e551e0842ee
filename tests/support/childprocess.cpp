#include "childprocess.h"

#include <QDeadlineTimer>

#include <csignal>

namespace Torva {

ChildProcess::ChildProcess(const QString &program, const QStringList &arguments)
{
    m_process.start(program, arguments);
    m_process.waitForStarted(15000);
}

ChildProcess::~ChildProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        killHard();
}

QString ChildProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            break;
    }
    if (!m_process.canReadLine())
        return QString();
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

void ChildProcess::write(const QByteArray &data)
{
    m_process.write(data);
    m_process.waitForBytesWritten(5000);
}

void ChildProcess::closeInput()
{
    m_process.closeWriteChannel();
}

bool ChildProcess::waitForEnd(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

void ChildProcess::killHard()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_process.processId()), SIGKILL);
    m_process.waitForFinished(15000);
}

QStringList ChildProcess::remainingLines()
{
    QStringList lines;
    const QString rest = QString::fromUtf8(m_process.readAllStandardOutput());
    for (const QString &line : rest.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << line.trimmed();
    return lines;
}

} // namespace Torva
