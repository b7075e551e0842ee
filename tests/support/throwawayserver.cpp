#include "throwawayserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>

#include <csignal>
#include <unistd.h>

namespace Torva {

namespace {
// The installed server's programs: where the test command found them, else
// the newest of Debian's.
QString serverPrograms()
{
    const QString given = qEnvironmentVariable("TORVA_PG_BIN");
    if (!given.isEmpty())
        return given;
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    return versions.isEmpty() ? QString() : QStringLiteral("/usr/lib/postgresql/%1/bin").arg(versions.last());
}

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}
} // namespace

ThrowawayServer::ThrowawayServer()
    : m_bin(serverPrograms())
    , m_port(freePort())
{
    if (m_bin.isEmpty() || !QFile::exists(m_bin + QStringLiteral("/initdb"))) {
        m_why = QStringLiteral("no PostgreSQL server programs are installed (the README's test command installs them)");
        return;
    }
    // The server will not run as root: its files are the postgres account's then.
    if (::geteuid() == 0 && !run(QStringLiteral("chown"), {QStringLiteral("postgres"), m_folder.path()}))
        return;
    const QString data = m_folder.filePath(QStringLiteral("data"));
    if (!run(m_bin + QStringLiteral("/initdb"),
             QStringList{QStringLiteral("-D"), data} + QStringLiteral("-U postgres -A trust -E UTF8 --locale=C").split(' ')))
        return;
    start();
}

ThrowawayServer::~ThrowawayServer()
{
    thaw();
    if (m_running)
        pgCtl(QStringLiteral("-m immediate -w stop").split(' '));
}

bool ThrowawayServer::start()
{
    const QString options = QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k %2 -c fsync=off -c full_page_writes=off")
                                .arg(m_port)
                                .arg(m_folder.path());
    m_running = pgCtl({QStringLiteral("-l"), m_folder.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                       QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"), options, QStringLiteral("start")});
    return m_running;
}

bool ThrowawayServer::stop()
{
    // Fast: the server ends every session, as a restart by an administrator does.
    const bool stopped = pgCtl(QStringLiteral("-m fast -w stop").split(' '));
    m_running = m_running && !stopped;
    return stopped;
}

bool ThrowawayServer::pgCtl(const QStringList &arguments)
{
    const QStringList folder{QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data"))};
    return run(m_bin + QStringLiteral("/pg_ctl"), folder + arguments);
}

bool ThrowawayServer::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (::geteuid() == 0 && program != QLatin1String("chown"))
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                             QStringLiteral("--"), program} + arguments);
    else
        process.start(program, arguments);
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    m_why = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAll()).trimmed());
    return false;
}

bool ThrowawayServer::freeze()
{
    // The postmaster (first line of its pid file) and every process it started.
    QFile pidFile(m_folder.filePath(QStringLiteral("data/postmaster.pid")));
    if (!pidFile.open(QIODevice::ReadOnly)) {
        m_why = QStringLiteral("the server's pid file cannot be read");
        return false;
    }
    const QByteArray postmaster = pidFile.readLine().trimmed();
    QProcess children;
    children.start(QStringLiteral("pgrep"), {QStringLiteral("-P"), QString::fromLatin1(postmaster)});
    children.waitForFinished();
    for (const QByteArray &process : QList<QByteArray>{postmaster} + children.readAllStandardOutput().split('\n')) {
        if (!process.isEmpty() && ::kill(pid_t(process.toLongLong()), SIGSTOP) == 0)
            m_frozen << process.toLongLong();
    }
    return true;
}

void ThrowawayServer::thaw()
{
    for (const qint64 process : std::as_const(m_frozen))
        ::kill(pid_t(process), SIGCONT);
    m_frozen.clear();
}

} // namespace Torva
