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
    if (!run(m_bin + QStringLiteral("/initdb"), {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")),
                                                QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-A"),
                                                QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                                                QStringLiteral("--locale=C")}))
        return;
    start();
}

ThrowawayServer::~ThrowawayServer()
{
    thaw();
    if (m_running)
        run(m_bin + QStringLiteral("/pg_ctl"), {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")),
                                              QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                                              QStringLiteral("stop")});
}

QString ThrowawayServer::location() const
{
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/postgres").arg(m_port);
}

bool ThrowawayServer::start()
{
    const QString options = QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k %2 -c fsync=off -c full_page_writes=off")
                                .arg(m_port)
                                .arg(m_folder.path());
    m_running = run(m_bin + QStringLiteral("/pg_ctl"),
                    {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                     m_folder.filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-t"),
                     QStringLiteral("60"), QStringLiteral("-o"), options, QStringLiteral("start")});
    return m_running;
}

bool ThrowawayServer::stop()
{
    // Fast: the server ends every session, as a restart by an administrator does.
    const bool stopped = run(m_bin + QStringLiteral("/pg_ctl"),
                             {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    m_running = m_running && !stopped;
    return stopped;
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
    const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
    m_frozen = {postmaster};
    ::kill(pid_t(postmaster), SIGSTOP);
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &process : processes) {
        QFile status(QStringLiteral("/proc/%1/stat").arg(process));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the parent follows the name's closing parenthesis.
        const QByteArray line = status.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == postmaster && ::kill(pid_t(process.toLongLong()), SIGSTOP) == 0)
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
