// mirevo-msg as a user runs it: two copies talking on port 6711, and each copy against a
// raw peer, byte-exact in CP932. Runs in a network namespace of its own.

#include "net/tnmmsgserv.h"
#include "support/scriptedpeer.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QString Japanese = u"テスト～①ﾒｯｾｰｼﾞ"_s;
const QByteArray JapaneseCp932 = "\x83\x65\x83\x58\x83\x67\x81\x60\x87\x40\xd2\xaf\xbe\xb0\xbc\xde"_ba;
const QByteArray OkReply = "OK              "_ba;

QString tool()
{
    return QStringLiteral(MIREVO_MSG_PATH);
}

// Runs `mirevo-msg send ...` to the end; returns its exit status, stderr in `errors`.
int send(const QStringList &arguments, QByteArray *errors = nullptr, const QByteArray &input = {})
{
    QProcess process;
    process.start(tool(), QStringList{u"send"_s} + arguments);
    if (!process.waitForStarted())
        return -1;
    process.write(input);
    process.closeWriteChannel();
    // The listener of a test may live on this thread: keep its events flowing.
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000))
        return -1;
    if (errors)
        *errors = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

class Listener {
public:
    explicit Listener(const QStringList &arguments = {})
    {
        m_process.start(tool(), QStringList{u"listen"_s} + arguments);
    }
    ~Listener()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    bool ready()
    {
        return QTest::qWaitFor([&] {
            m_errors += m_process.readAllStandardError();
            return m_errors.contains("listening on") || m_process.state() == QProcess::NotRunning;
        }, 10000) && m_process.state() == QProcess::Running;
    }
    QByteArray lines()
    {
        m_output += m_process.readAllStandardOutput();
        return m_output;
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
    QByteArray m_errors;
};

} // namespace

class TestMsgTool : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoCopiesTalk_data()
    {
        QTest::addColumn<QStringList>("sendArguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("text argument, sender field")
                << QStringList{u"--from"_s, u"10.0.0.7"_s, u"127.0.0.1"_s, u"山田 > "_s + Japanese}
                << QByteArray() << (u"10.0.0.7\t山田 > "_s + Japanese + u"\n"_s).toUtf8();
        QTest::newRow("text from standard input, its last line end removed")
                << QStringList{u"localhost"_s} << ("a\tb\\c\r\nd\n"_ba)
                << "\ta\\tb\\\\c\\r\\nd\n"_ba;
        QTest::newRow("empty text") << QStringList{u"127.0.0.1"_s, QString()} << QByteArray() << "\t\n"_ba;
    }
    void twoCopiesTalk()
    {
        QFETCH(QStringList, sendArguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, line);
        Listener listener;  // port 6711, every address
        QVERIFY(listener.ready());
        QByteArray errors;
        QCOMPARE(send(sendArguments, &errors, input), 0);
        QCOMPARE(errors, QByteArray());
        QTRY_COMPARE(listener.lines(), line);
    }

    void sendWritesCp932()
    {
        ScriptedPeer peer;
        QVERIFY(peer.listen(QHostAddress::AnyIPv4, 6711));
        QCOMPARE(send({u"--from"_s, u"192.168.1.2"_s, u"127.0.0.1"_s, Japanese}), 0);
        QCOMPARE(peer.messages(), QList<QByteArray>{"0011192.168.1.20016"_ba + JapaneseCp932});
    }

    void listenReadsCp932()
    {
        Listener listener({u"--bind"_s, u"127.0.0.1"_s, u"--port"_s, u"16711"_s});
        QVERIFY(listener.ready());
        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, 16711);
        QVERIFY(peer.waitForConnected());
        peer.write("0000"_ba + "0016"_ba + JapaneseCp932);
        QTRY_COMPARE(peer.bytesAvailable(), 16);
        QCOMPARE(peer.readAll(), OkReply);
        QTRY_COMPARE(listener.lines(), (u"\t"_s + Japanese + u"\n"_s).toUtf8());
    }

    void sendEndsWithTheExchange_data()
    {
        QTest::addColumn<int>("answer");  // -1: nobody listens
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("errors");
        QTest::newRow("peer closes without a reply") << int(ScriptedPeer::Answer::CloseWithoutReply) << 0 << QByteArray();
        QTest::newRow("nobody listens") << -1 << 1 << "Connection Failed\n"_ba;
    }
    void sendEndsWithTheExchange()
    {
        QFETCH(int, answer);
        QFETCH(int, status);
        QFETCH(QByteArray, errors);
        ScriptedPeer peer{ScriptedPeer::Answer(std::max(answer, 0))};
        if (answer >= 0)
            QVERIFY(peer.listen(QHostAddress::LocalHost, 6711));
        QByteArray got;
        QCOMPARE(send({u"127.0.0.1"_s, u"x"_s}, &got), status);
        QCOMPARE(got, errors);
    }

    void refusedText()
    {
        ScriptedPeer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 6711));
        QByteArray errors;
        QVERIFY(send({u"127.0.0.1"_s, u"€"_s}, &errors) != 0);
        QVERIFY2(errors.contains("U+20AC"), errors.constData());
        QCOMPARE(peer.connections(), 0);
    }

    void listenFailsWhenThePortIsTaken()
    {
        TNMMSGServ holder;
        QVERIFY(holder.listen());
        Listener listener;
        QVERIFY(listener.process().waitForFinished());
        QVERIFY(listener.process().exitCode() != 0);
        const QByteArray errors = listener.process().readAllStandardError();
        QVERIFY2(errors.contains("Address already in use"), errors.constData());
    }

    void listenStopsCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void listenStopsCleanly()
    {
        QFETCH(int, signal);
        Listener listener;
        QVERIFY(listener.ready());
        QCOMPARE(send({u"127.0.0.1"_s, u"last words"_s}), 0);
        ::kill(pid_t(listener.process().processId()), signal);
        QVERIFY(listener.process().waitForFinished());
        QCOMPARE(listener.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(listener.process().exitCode(), 0);
        QCOMPARE(listener.lines(), "\tlast words\n"_ba);
    }
};

QTEST_GUILESS_MAIN(TestMsgTool)
#include "tst_msg_tool.moc"
