#include "childprocess.h"

#include "testdatabase.h"

#include <QDeadlineTimer>

namespace Torva {

ChildProcess::ChildProcess(const QStringList &command)
{
    start(QStringLiteral(TORVA_SECOND_USER), QStringList{TestDatabase::location()} + command);
    waitForStarted(15000);
}

QString ChildProcess::nextLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!canReadLine() && !deadline.hasExpired()
           && waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
    }
    return canReadLine() ? QString::fromUtf8(readLine()).trimmed() : QString();
}

void ChildProcess::send(const QByteArray &data)
{
    write(data);
    waitForBytesWritten(5000);
}

void ChildProcess::killHard()
{
    if (state() == NotRunning)
        return;
    kill();
    waitForFinished(15000);
}

QStringList ChildProcess::remainingLines()
{
    return QString::fromUtf8(readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace Torva
