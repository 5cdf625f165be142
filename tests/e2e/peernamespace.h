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
        m_sleeper.start(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral("sleep"),
                                                    QStringLiteral("600")});
        if (!m_sleeper.waitForStarted())
            return false;
        const QString pid = QString::number(m_sleeper.processId());
        // unshare has made the namespace once the process runs sleep.
        if (!QTest::qWaitFor([&] { return run({QStringLiteral("nsenter"), QStringLiteral("-t"), pid,
                                                QStringLiteral("-n"), QStringLiteral("true")})
                                             && !sameNamespaceAsUs(); }))
            return false;
        const QString ip = QStringLiteral("ip");
        return run({ip, QStringLiteral("link"), QStringLiteral("add"), nearLink, QStringLiteral("address"), nearMac, QStringLiteral("type"),
                    QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), farLink, QStringLiteral("netns"), pid})
               && run({ip, QStringLiteral("addr"), QStringLiteral("add"), nearAddress, QStringLiteral("dev"), nearLink})
               && run({ip, QStringLiteral("link"), QStringLiteral("set"), nearLink, QStringLiteral("up")})
               && run(inside({ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")}))
               && run(inside({ip, QStringLiteral("addr"), QStringLiteral("add"), farAddress, QStringLiteral("dev"), farLink}))
               && run(inside({ip, QStringLiteral("link"), QStringLiteral("set"), farLink, QStringLiteral("up")}))
               && QTest::qWaitFor([&] {
                      return QNetworkInterface::interfaceFromName(nearLink).flags().testFlag(
                          QNetworkInterface::IsRunning);
                  });
    }

    // The command as it runs in the far namespace.
    QStringList inside(const QStringList &command) const
    {
        return QStringList{QStringLiteral("nsenter"), QStringLiteral("-t"),
                           QString::number(m_sleeper.processId()), QStringLiteral("-n")}
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
    bool sameNamespaceAsUs() const
    {
        std::error_code failed;
        const auto theirs = std::filesystem::read_symlink(
            "/proc/" + std::to_string(m_sleeper.processId()) + "/ns/net", failed);
        return failed || theirs == std::filesystem::read_symlink("/proc/self/ns/net", failed);
    }

    QProcess m_sleeper;
};
