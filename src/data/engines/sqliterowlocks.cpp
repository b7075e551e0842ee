#include "sqliterowlocks.h"

#include "data/dataaccesserror.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Torva {

namespace {
[[noreturn]] void lockFailed(const QString &what)
{
    throw DataAccessError(DataAccessError::LockFailed,
                          what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
}

struct flock byteRange(short type, qint64 offset)
{
    struct flock range;
    std::memset(&range, 0, sizeof range);
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = offset;
    range.l_len = 1;
    return range;
}
} // namespace

SqliteRowLocks::SqliteRowLocks(const QString &folder)
    : m_folder(QDir(folder).filePath(QStringLiteral("locks")))
{
    if (!QDir().mkpath(m_folder))
        throw DataAccessError(DataAccessError::LockFailed,
                              QStringLiteral("cannot create the lock folder %1").arg(m_folder));
    const QByteArray path = QFile::encodeName(QDir(m_folder).filePath(QStringLiteral("ROWLOCKS")));
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        lockFailed(QStringLiteral("cannot open the lock file %1").arg(QString::fromLocal8Bit(path)));
}

SqliteRowLocks::~SqliteRowLocks()
{
    for (const qint64 number : std::as_const(m_held))
        QFile::remove(holderFile(number));
    if (m_fd >= 0)
        ::close(m_fd);  // releases every lock of this session
}

bool SqliteRowLocks::tryLock(const LockKey &key)
{
    if (m_held.contains(key.number()))
        return true;
    struct flock range = byteRange(F_WRLCK, key.number());
    if (::fcntl(m_fd, F_OFD_SETLK, &range) != 0) {
        if (errno == EAGAIN || errno == EACCES)
            return false;
        lockFailed(QStringLiteral("cannot lock row %1 of %2").arg(key.rowKey(), key.table()));
    }
    m_held.insert(key.number());
    writeHolder(key);
    return true;
}

void SqliteRowLocks::unlock(const LockKey &key)
{
    if (!m_held.remove(key.number()))
        return;
    QFile::remove(holderFile(key.number()));
    struct flock range = byteRange(F_UNLCK, key.number());
    ::fcntl(m_fd, F_OFD_SETLK, &range);
}

std::optional<LockHolder> SqliteRowLocks::holder(const LockKey &key)
{
    struct flock range = byteRange(F_WRLCK, key.number());
    if (::fcntl(m_fd, F_OFD_GETLK, &range) != 0)
        lockFailed(QStringLiteral("cannot test the lock of row %1 of %2").arg(key.rowKey(), key.table()));
    if (range.l_type == F_UNLCK)
        return std::nullopt;

    LockHolder holder;
    QFile file(holderFile(key.number()));
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (lines.size() >= 4) {
            holder.userName = lines.at(0);
            holder.machine = lines.at(1);
            holder.processId = lines.at(2).toLongLong();
            holder.since = QDateTime::fromString(lines.at(3), Qt::ISODateWithMs);
        }
    }
    return holder;
}

QString SqliteRowLocks::holderFile(qint64 number) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1.holder").arg(number, 16, 16, QLatin1Char('0')));
}

void SqliteRowLocks::writeHolder(const LockKey &key) const
{
    const LockHolder own = ownHolder();
    // Only a note of who holds the lock (the lock is the kernel's): written
    // without forcing it to disk, which would make every locked load wait on
    // a busy disk.
    QFile file(holderFile(key.number()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;  // the lock holds without it; only the holder's name is unknown then
    file.write(QStringLiteral("%1\n%2\n%3\n%4\n")
                   .arg(own.userName, own.machine)
                   .arg(own.processId)
                   .arg(own.since.toString(Qt::ISODateWithMs))
                   .toUtf8());
}

} // namespace Torva
