#pragma once
// A second network namespace joined to the test's own by a veth pair: the near end stays
// here, the far end lives in the namespace of a sleeping child process. Commands run in
// the far namespace through nsenter. Ending the child removes the namespace and the pair.

#include <QNetworkInterface>
#include <QProcess>
#include <QStringList>
#include <QtTest/QTest>
#include <filesystem>
#include <string>

class PeerNamespace {
public:
    ~PeerNamespace()
    {
        if (m_sleeper.state() != QProcess::NotRunning) {
            m_sleeper.kill();
            m_sleeper.waitForFinished();
        }
    }

    // Creates the pair: `nearLink` here with `nearAddress` ("10.66.0.1/24") and the
    // hardware address `nearMac`, `farLink` there with `farAddress`. Both ends up.
    bool start(const QString &nearLink, const QString &nearAddress, const QString &nearMac,
               const QString &farLink, const QString &farAddress)
    {
        const QString ip = QStringLiteral("ip");
        return startSleeper()
               && run({ip, QStringLiteral("link"), QStringLiteral("add"), nearLink, QStringLiteral("address"), nearMac, QStringLiteral("type"),
                       QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), farLink, QStringLiteral("netns"), pid()})
               && run({ip, QStringLiteral("addr"), QStringLiteral("add"), nearAddress, QStringLiteral("dev"), nearLink})
               && bringUp(nearLink, farLink, farAddress);
    }

    // As start(), with the near end a port of the existing bridge `bridge` instead of an
    // address of its own: several namespaces joined to one bridge share one segment.
    bool startOnBridge(const QString &bridge, const QString &nearLink, const QString &farLink,
                       const QString &farAddress)
    {
        const QString ip = QStringLiteral("ip");
        return startSleeper()
               && run({ip, QStringLiteral("link"), QStringLiteral("add"), nearLink, QStringLiteral("type"), QStringLiteral("veth"),
                       QStringLiteral("peer"), QStringLiteral("name"), farLink, QStringLiteral("netns"), pid()})
               && run({ip, QStringLiteral("link"), QStringLiteral("set"), nearLink, QStringLiteral("master"), bridge})
               && bringUp(nearLink, farLink, farAddress);
    }

    // The command as it runs in the far namespace.
    QStringList inside(const QStringList &command) const
    {
        return QStringList{QStringLiteral("nsenter"), QStringLiteral("-t"), pid(), QStringLiteral("-n")}
               + command;
    }

    static bool run(const QStringList &command)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(command.first(), command.mid(1));
        return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }

private:
    QString pid() const { return QString::number(m_sleeper.processId()); }

    bool startSleeper()
    {
        m_sleeper.start(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral("sleep"),
                                                    QStringLiteral("600")});
        if (!m_sleeper.waitForStarted())
            return false;
        // unshare has made the namespace once the process runs sleep.
        return QTest::qWaitFor([&] {
            return run({QStringLiteral("nsenter"), QStringLiteral("-t"), pid(), QStringLiteral("-n"),
                        QStringLiteral("true")})
                   && !sameNamespaceAsUs();
        });
    }

    // The far end gets its address; then both ends go up. A veth end has a carrier only
    // while its peer is up too, so the running near end shows that the far one is usable.
    bool bringUp(const QString &nearLink, const QString &farLink, const QString &farAddress)
    {
        const QString ip = QStringLiteral("ip");
        return run({ip, QStringLiteral("link"), QStringLiteral("set"), nearLink, QStringLiteral("up")})
               && run(inside({ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")}))
               && run(inside({ip, QStringLiteral("addr"), QStringLiteral("add"), farAddress, QStringLiteral("dev"), farLink}))
               && run(inside({ip, QStringLiteral("link"), QStringLiteral("set"), farLink, QStringLiteral("up")}))
               && QTest::qWaitFor([&] {
                      return QNetworkInterface::interfaceFromName(nearLink).flags().testFlag(
                          QNetworkInterface::IsRunning);
                  });
    }

    bool sameNamespaceAsUs() const
    {
        std::error_code failed;
        const auto theirs = std::filesystem::read_symlink(
            "/proc/" + std::to_string(m_sleeper.processId()) + "/ns/net", failed);
        return failed || theirs == std::filesystem::read_symlink("/proc/self/ns/net", failed);
    }

    QProcess m_sleeper;
};
