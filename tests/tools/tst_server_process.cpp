// mirevo-server as a process on loopback, inside a private network namespace: it binds
// 127.0.0.1:6711 and answers queries on port 6711 of the asking address, where the test
// listens (127.0.0.2) like a client would.

#include "net/tnmmsg.h"
#include "net/tnmmsgserv.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString serverAddress = u"127.0.0.1"_s;
const QString askerAddress = u"127.0.0.2"_s;
const QString connected = u" Connected 接続されました"_s;
const QString disconnected = u" Disconnected 切断されました"_s;
constexpr int waitMs = 10000;

struct Received {
    QString from;
    QString text;
};
} // namespace

class TestServerProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void answersQueriesWithTheCurrentParticipants();
    void keepsReceivingWhileAnAnswerWaits();
    void reportsAnAskerThatCannotBeReached();
    void refusesAPortThatIsTaken();

private:
    void startServer(const QStringList &extraArguments = {});
    // Posts one message to the server as a client would.
    void post(const QString &from, const QString &text);
    // Waits for a line of the server's output that contains the text; returns it.
    QString waitForOutput(const QString &contains);
    Received nextAnswer();

    QProcess *m_server = nullptr;
    QString m_output;
    qsizetype m_outputSeen = 0;
    TNMMSGServ *m_asker = nullptr;
    QList<Received> m_answers;
};

void TestServerProcess::init()
{
    m_output.clear();
    m_outputSeen = 0;
    m_answers.clear();
    m_asker = new TNMMSGServ(this);
    QVERIFY2(m_asker->listen(QHostAddress(askerAddress)), qPrintable(m_asker->errorString()));
    connect(m_asker, &TNMMSGServ::OnMSG, this, [this](const QString &from, const QString &text, const QHostAddress &) {
        m_answers.append({from, text});
    });
}

void TestServerProcess::cleanup()
{
    if (m_server) {
        m_server->kill();
        m_server->waitForFinished();
        delete m_server;
        m_server = nullptr;
    }
    delete m_asker;
    m_asker = nullptr;
}

void TestServerProcess::startServer(const QStringList &extraArguments)
{
    m_server = new QProcess;
    m_server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_server, &QProcess::readyReadStandardOutput, this,
            [this] { m_output += QString::fromUtf8(m_server->readAllStandardOutput()); });
    m_server->start(QStringLiteral(MIREVO_SERVER_PATH), QStringList{u"--bind"_s, serverAddress} + extraArguments);
    QVERIFY2(m_server->waitForStarted(), qPrintable(m_server->errorString()));
    waitForOutput(u"listening on 127.0.0.1:6711"_s);
}

void TestServerProcess::post(const QString &from, const QString &text)
{
    TNMMsg client;
    client.Host = serverAddress;
    client.FromName = from;
    try {
        client.PostIt(text);
    } catch (const ESockError &e) {
        QFAIL(qPrintable(u"posting to the server failed: "_s + e.text()));
    }
}

QString TestServerProcess::waitForOutput(const QString &contains)
{
    qsizetype at = -1;
    QTRY_VERIFY2_WITH_TIMEOUT((at = m_output.indexOf(contains, m_outputSeen)) >= 0,
                              qPrintable(u"no \"%1\" in the output:\n%2"_s.arg(contains, m_output)), waitMs);
    const qsizetype lineStart = m_output.lastIndexOf(u'\n', at) + 1;
    const qsizetype lineEnd = m_output.indexOf(u'\n', at);
    m_outputSeen = lineEnd + 1;
    return m_output.mid(lineStart, lineEnd - lineStart);
}

Received TestServerProcess::nextAnswer()
{
    [&] { QTRY_VERIFY_WITH_TIMEOUT(!m_answers.isEmpty(), waitMs); }();
    return m_answers.isEmpty() ? Received{} : m_answers.takeFirst();
}

void TestServerProcess::answersQueriesWithTheCurrentParticipants()
{
    startServer();
    post(u"127.0.0.2"_s, u" PC1 127.0.0.2"_s + connected);
    waitForOutput(u"connected \"PC1\" 127.0.0.2"_s);
    post(u"127.0.0.3"_s, u" 会議室 PC 127.0.0.3"_s + connected);
    waitForOutput(u"connected \"会議室 PC\" 127.0.0.3"_s);

    post(askerAddress, u"0"_s);
    Received answer = nextAnswer();
    QCOMPARE(answer.from, QString());
    const QRegularExpression twoParticipants(
        u"^Mirevo Server > 参加ユーザー 2 人 \\(\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d 現在\\)\r\n"
        "  PC1  127\\.0\\.0\\.2  \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d から\r\n"
        "  会議室 PC  127\\.0\\.0\\.3  \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d から$"_s);
    QVERIFY2(twoParticipants.match(answer.text).hasMatch(), qPrintable(answer.text));
    waitForOutput(u"query from 127.0.0.2 answered (2 in the list)"_s);

    post(u"127.0.0.3"_s, u" 会議室 PC 127.0.0.3"_s + disconnected);
    waitForOutput(u"disconnected \"会議室 PC\" 127.0.0.3"_s);
    post(u"127.0.0.3"_s, u" 会議室 PC 127.0.0.3"_s + disconnected);
    waitForOutput(u"(was not a participant)"_s);
    post(u"127.0.0.3"_s, u"hello > there"_s);
    waitForOutput(u"ignored a message from 127.0.0.1 (sender field \"127.0.0.3\"): \"hello > there\""_s);

    post(askerAddress, u"0"_s);
    answer = nextAnswer();
    QVERIFY2(answer.text.startsWith(u"Mirevo Server > 参加ユーザー 1 人 ("_s), qPrintable(answer.text));
    QCOMPARE(answer.text.count(u"\r\n"_s), 1);
    QVERIFY(answer.text.contains(u"\r\n  PC1  127.0.0.2  "_s));

    m_server->terminate();
    QVERIFY(m_server->waitForFinished(waitMs));
    QCOMPARE(m_server->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server->exitCode(), 0);
    waitForOutput(u"stopping on SIGTERM"_s);
    waitForOutput(u"stopped"_s);
}

void TestServerProcess::keepsReceivingWhileAnAnswerWaits()
{
    // An asker that accepts the answer's connection and then says nothing.
    QTcpServer silentAsker;
    QVERIFY(silentAsker.listen(QHostAddress(u"127.0.0.4"_s), 6711));
    startServer();

    post(u"127.0.0.4"_s, u"0"_s);
    QVERIFY(silentAsker.hasPendingConnections() || silentAsker.waitForNewConnection(waitMs));
    QTcpSocket *held = silentAsker.nextPendingConnection();

    // While that answer waits for its reply, announcements and queries still arrive.
    post(u"127.0.0.5"_s, u" PC5 127.0.0.5"_s + connected);
    waitForOutput(u"connected \"PC5\" 127.0.0.5"_s);
    post(askerAddress, u"0"_s);
    QVERIFY2(!m_output.contains(u"query from 127.0.0.4"_s), qPrintable(m_output));
    QVERIFY(m_answers.isEmpty());

    // The silent asker goes away: its answer ends and the waiting one goes out.
    held->abort();
    waitForOutput(u"query from 127.0.0.4"_s);
    QVERIFY(nextAnswer().text.contains(u"  PC5  127.0.0.5  "_s));
    waitForOutput(u"query from 127.0.0.2 answered (1 in the list)"_s);
}

void TestServerProcess::reportsAnAskerThatCannotBeReached()
{
    startServer();
    post(u"127.0.0.9"_s, u"0"_s); // nothing listens there
    waitForOutput(u"query from 127.0.0.9 failed: Connection Failed"_s);
    post(askerAddress, u"0"_s);
    QVERIFY(nextAnswer().text.startsWith(u"Mirevo Server > 参加ユーザー 0 人"_s));
}

void TestServerProcess::refusesAPortThatIsTaken()
{
    startServer();
    QProcess second;
    second.start(QStringLiteral(MIREVO_SERVER_PATH), {u"--bind"_s, serverAddress});
    QVERIFY(second.waitForFinished(waitMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    const QString error = QString::fromUtf8(second.readAllStandardError());
    QVERIFY2(error.startsWith(u"mirevo-server: cannot listen on 127.0.0.1:6711: "_s), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
