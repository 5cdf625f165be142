// The real client announces itself to the real presence server across veth pairs: the
// server lists it while it runs and drops it when the client closes. The client is the
// `mirevo` program on the offscreen platform; the server runs in a namespace of its own.

#include "app/formfixture.h"
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

// A private settings folder and runtime folder for one client program.
struct ClientHome {
    QTemporaryDir home;
    QString config() const { return home.filePath(u"config"_s); }
    QString settingsFile() const { return config() + u"/Pemrod/Zantel/Quenlo.reg"_s; }
    QProcessEnvironment environment() const
    {
        QDir().mkpath(home.filePath(u"runtime"_s));
        QFile::setPermissions(home.filePath(u"runtime"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, config());
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        return environment;
    }
};

// The participants of the latest list in the pane, as "NAME ADDRESS", in the list's order.
// A list is the server's header line followed by one line per participant:
// "Mirevo Server > 参加ユーザー 2 人 (...)", "  PC1  10.0.0.2  2024/05/01 09:00 から".
QStringList latestList(const FormFixture &window)
{
    const QStringList lines = window.memoLines();
    qsizetype header = lines.size();
    while (header > 0 && !lines.at(header - 1).startsWith(u"Mirevo Server > 参加ユーザー"_s))
        --header;
    QStringList participants;
    for (qsizetype i = header; i > 0 && i < lines.size() && lines.at(i).startsWith(u"  "_s); ++i) {
        const QStringList fields = lines.at(i).trimmed().split(u"  "_s);
        participants.append(fields.value(0) + u" "_s + fields.value(1));
    }
    return participants;
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

        ClientHome home;
        QVERIFY(home.home.isValid());
        {
            SettingsStore store(home.settingsFile());
            store.writeText(u"F8"_s, u"HOST"_s, u"10.66.0.1"_s);
            store.writeFlag(u"F8"_s, u"CB"_s, true);
        }
        Output mirevo;
        mirevo.process.setProcessEnvironment(home.environment());
        mirevo.process.start(program(u"app/mirevo"_s), QStringList());

        const QString self = u"\"%1\" 10.66.0.2"_s.arg(QHostInfo::localHostName());
        QTRY_VERIFY2_WITH_TIMEOUT(server.text.contains(u"connected "_s + self), qPrintable(server.text), 15000);

        Output listener;
        listener.process.start(program(u"tools/mirevo-msg"_s), {u"listen"_s, u"--port"_s, u"6712"_s});
        QVERIFY(listener.process.waitForStarted());
        // The list is sent once, so the listener must be bound before the query goes out.
        QTRY_VERIFY2(listener.text.contains(u"listening on"_s), qPrintable(listener.text));
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
        SettingsStore store(home.settingsFile());
        QCOMPARE(store.readText(u"F1"_s, u"FC"_s, QString()), u"clWindowText"_s);
    }

    // Three hosts on one segment, a bridge in the test's namespace: the server (10.67.0.1),
    // client A here as a window of this process (10.67.0.2, "PC-A") and client B as the
    // `mirevo` program in a namespace of its own (10.67.0.3, this machine's name). Both
    // announce themselves, A asks, and the list arrives in A's pane; after B's close the
    // next list holds A alone.
    void participantsAcrossThreeHosts()
    {
        const QString ip = u"ip"_s;
        QVERIFY(PeerNamespace::run({ip, u"link"_s, u"add"_s, u"lan0"_s, u"type"_s, u"bridge"_s}));
        const auto removeBridge = qScopeGuard(
            [&] { PeerNamespace::run({ip, u"link"_s, u"del"_s, u"lan0"_s}); });
        QVERIFY(PeerNamespace::run({ip, u"addr"_s, u"add"_s, u"10.67.0.2/24"_s, u"dev"_s, u"lan0"_s}));
        QVERIFY(PeerNamespace::run({ip, u"link"_s, u"set"_s, u"lan0"_s, u"up"_s}));
        PeerNamespace serverHost;
        QVERIFY(serverHost.startOnBridge(u"lan0"_s, u"ls0"_s, u"ls1"_s, u"10.67.0.1/24"_s));
        PeerNamespace hostB;
        QVERIFY(hostB.startOnBridge(u"lan0"_s, u"lb0"_s, u"lb1"_s, u"10.67.0.3/24"_s));

        Output server;
        const QStringList serve = serverHost.inside({program(u"tools/mirevo-server"_s)});
        server.process.start(serve.first(), serve.mid(1));
        QTRY_VERIFY2(server.text.contains(u"listening on"_s), qPrintable(server.text));

        // B: the program, its store pointing at the server.
        ClientHome homeB;
        QVERIFY(homeB.home.isValid());
        {
            SettingsStore store(homeB.settingsFile());
            store.writeText(u"F1"_s, u"MyName"_s, u"鈴木"_s);
            store.writeText(u"F8"_s, u"HOST"_s, u"10.67.0.1"_s);
            store.writeFlag(u"F8"_s, u"CB"_s, true);
        }
        Output clientB;
        clientB.process.setProcessEnvironment(homeB.environment());
        const QStringList runB = hostB.inside({program(u"app/mirevo"_s)});
        clientB.process.start(runB.first(), runB.mid(1));
        const QString nameB = QHostInfo::localHostName();
        const QString announcedB = u"\"%1\" 10.67.0.3"_s.arg(nameB);
        QTRY_VERIFY2_WITH_TIMEOUT(server.text.contains(u"connected "_s + announcedB),
                                  qPrintable(server.text + clientB.text), 20000);

        // A: a window of this process listening on port 6711, announcing itself at creation.
        settingsHome().clear();
        {
            SettingsStore store;
            store.writeText(u"F8"_s, u"HOST"_s, u"10.67.0.1"_s);
            store.writeFlag(u"F8"_s, u"CB"_s, true);
        }
        FormFixture a(NetworkOptions{}, [](FormFixture &f) {
            f.os.host = u"PC-A"_s;
            f.os.address = u"10.67.0.2"_s;
        });
        QVERIFY(a.form->NMMSGServ1->isListening());
        QVERIFY2(a.dialogs.shown.isEmpty(), qPrintable(a.dialogs.texts().join(u'\n')));
        QTRY_VERIFY2(server.text.contains(u"connected \"PC-A\" 10.67.0.2"_s), qPrintable(server.text));

        auto sorted = [](QStringList list) {
            list.sort();
            return list;
        };
        a.dialogs.answers = {Dialogs::Yes};
        a.ui().Button5->click();
        QTRY_COMPARE_WITH_TIMEOUT(sorted(latestList(a)),
                                  sorted({u"PC-A 10.67.0.2"_s, nameB + u" 10.67.0.3"_s}), 20000);
        QCOMPARE(a.ui().Edit3->text(), u"非通知"_s);

        // B's session ends: its close sequence announces the close, and the program ends.
        QTRY_VERIFY_WITH_TIMEOUT(catchesSigterm(clientB.process.processId()), 15000);
        ::kill(pid_t(clientB.process.processId()), SIGTERM);
        QTRY_VERIFY2_WITH_TIMEOUT(server.text.contains(u"disconnected "_s + announcedB),
                                  qPrintable(server.text + clientB.text), 20000);
        QVERIFY(clientB.process.waitForFinished(20000));
        QCOMPARE(clientB.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(clientB.process.exitCode(), 0);

        a.dialogs.answers = {Dialogs::Yes};
        a.ui().Button5->click();
        QTRY_COMPARE_WITH_TIMEOUT(latestList(a), QStringList{u"PC-A 10.67.0.2"_s}, 20000);
        QVERIFY2(server.text.contains(u"query from 10.67.0.2 answered (1 in the list)"_s),
                 qPrintable(server.text));

        // A closes as well and leaves the list.
        QSignalSpy closed(a.form.get(), &TForm1::mainWindowClosed);
        a.form->show();
        a.ui().Exit2->trigger();
        QCOMPARE(closed.size(), 1);
        QTRY_VERIFY2(server.text.contains(u"disconnected \"PC-A\" 10.67.0.2"_s), qPrintable(server.text));
    }
};

QTEST_MAIN(E2ePresenceTest)
#include "tst_e2e_presence.moc"
