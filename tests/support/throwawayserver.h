#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace Torva {

// A PostgreSQL server of one test's own, on loopback, that the test may stop,
// start and restart while the data layer is connected to it, as a server
// that an administrator restarts (the shared test server must stay up for
// the other tests). Made with the installed server's initdb and pg_ctl,
// as the postgres account when the tests run as root.
class ThrowawayServer
{
public:
    ThrowawayServer();
    ~ThrowawayServer();
    Q_DISABLE_COPY(ThrowawayServer)

    // Whether it runs; why not, when it could not be made.
    bool isRunning() const { return m_running; }
    QString why() const { return m_why; }
    // Where it listens, as the data layer takes it.
    QString location() const { return QStringLiteral("postgresql://postgres@127.0.0.1:%1/postgres").arg(m_port); }

    bool stop();
    bool start();
    // Stops every process of the server (SIGSTOP), as a server that hangs
    // or a network that drops every packet leaves its clients: connections
    // are taken by the kernel, and nothing answers. thaw() lets it run on.
    bool freeze();
    void thaw();

private:
    bool run(const QString &program, const QStringList &arguments);
    bool pgCtl(const QStringList &arguments);  // on the server's data folder

    QTemporaryDir m_folder;
    QString m_bin;
    int m_port = 0;
    bool m_running = false;
    QList<qint64> m_frozen;
    QString m_why;
};

} // namespace Torva
