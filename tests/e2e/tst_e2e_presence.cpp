// The real client announces itself to the real presence server across a veth pair: the
// server lists it while it runs and drops it when the client closes. The client is the
// `mirevo` program on the offscreen platform in the test's namespace (10.66.0.2), the
// server runs in a namespace of its own (10.66.0.1).

#include "peernamespace.h"
#include "settings/settingsstore.h"

#include <QHostInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

QString program(const QString &relativePath)
{
    return qEnvironmentVariable("MIREVO_BINARY_DIR") + u"/"_s + relativePath;
}

// Collects a process's standard output as it arrives.
struct Output {
    QProcess process;
    QString text;
    Output()
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, &process,
                         [this] { text += QString::fromUtf8(process.readAll()); });
    }
    ~Output()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

// Whether the process has a handler of its own for SIGTERM (/proc's caught-signal mask).
bool catchesSigterm(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16) & (1ull << (SIGTERM - 1));
    return false;
}

} // namespace

class E2ePresenceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clientAnnouncesAndIsListed()
    {
        PeerNamespace serverHost;
        QVERIFY(serverHost.start(u"mv0"_s, u"10.66.0.2/24"_s, u"02:00:00:00:66:02"_s, u"mv1"_s,
                                 u"10.66.0.1/24"_s));

        // Lists go to port 6712, where a plain listener beside the client shows them.
        Output server;
        const QStringList serve =
            serverHost.inside({program(u"tools/mirevo-server"_s), u"--reply-port"_s, u"6712"_s});
        server.process.start(serve.first(), serve.mid(1));
        QTRY_VERIFY2(server.text.contains(u"listening on"_s), qPrintable(server.text));

        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString config = home.filePath(u"config"_s);
        {
            SettingsStore store(config + u"/Pemrod/Zantel/Quenlo.reg"_s);
            store.writeText(u"F8"_s, u"HOST"_s, u"10.66.0.1"_s);
            store.writeFlag(u"F8"_s, u"CB"_s, true);
        }
        QDir().mkpath(home.filePath(u"runtime"_s));
        QFile::setPermissions(home.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Output mirevo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, config);
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        mirevo.process.setProcessEnvironment(environment);
        mirevo.process.start(program(u"app/mirevo"_s), QStringList());

        const QString self = u"\"%1\" 10.66.0.2"_s.arg(QHostInfo::localHostName());
        QTRY_VERIFY2_WITH_TIMEOUT(server.text.contains(u"connected "_s + self), qPrintable(server.text), 15000);

        Output listener;
        listener.process.start(program(u"tools/mirevo-msg"_s), {u"listen"_s, u"--port"_s, u"6712"_s});
        QVERIFY(listener.process.waitForStarted());
        QVERIFY(PeerNamespace::run({program(u"tools/mirevo-msg"_s), u"send"_s, u"--from"_s,
                                    u"10.66.0.2"_s, u"10.66.0.1"_s, u"0"_s}));
        QTRY_VERIFY2_WITH_TIMEOUT(listener.text.contains(QHostInfo::localHostName())
                                      && listener.text.contains(u"10.66.0.2"_s),
                                  qPrintable(listener.text), 15000);

        // Ending the session closes the window through its close sequence, once the
        // client has taken over SIGTERM (after its window's creation).
        QTRY_VERIFY_WITH_TIMEOUT(catchesSigterm(mirevo.process.processId()), 15000);
        ::kill(pid_t(mirevo.process.processId()), SIGTERM);
        QTRY_VERIFY2_WITH_TIMEOUT(server.text.contains(u"disconnected "_s + self),
                                  qPrintable(server.text + mirevo.text), 15000);
        QVERIFY(mirevo.process.waitForFinished(15000));
        QCOMPARE(mirevo.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(mirevo.process.exitCode(), 0);
        // The close saved the window's values before it announced the end.
        SettingsStore store(config + u"/Pemrod/Zantel/Quenlo.reg"_s);
        QCOMPARE(store.readText(u"F1"_s, u"FC"_s, QString()), u"clWindowText"_s);
    }
};

QTEST_MAIN(E2ePresenceTest)
#include "tst_e2e_presence.moc"
