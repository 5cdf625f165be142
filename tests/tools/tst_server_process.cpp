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
    void dropsParticipantsThatFellSilent();
    void refusesAPortThatIsTaken();

private:
    [[nodiscard]] bool startServer(const QStringList &extraArguments = {});
    void collectOutput();
    // Posts one message to the server as a client would.
    [[nodiscard]] bool post(const QString &from, const QString &text);
    // Waits for the server to print a line that contains the text, after the lines already
    // matched.
    [[nodiscard]] bool waitForOutput(const QString &contains);
    [[nodiscard]] bool nextAnswer(Received &answer);

    QProcess *m_server = nullptr;
    QByteArray m_outputBytes;
    QString m_output;
    qsizetype m_outputSeen = 0;
    TNMMSGServ *m_asker = nullptr;
    QList<Received> m_answers;
};

void TestServerProcess::init() {
    m_outputBytes.clear();
    m_output.clear();
    m_outputSeen = 0;
    m_answers.clear();
    m_asker = new TNMMSGServ(this);
    QVERIFY2(m_asker->listen(QHostAddress(askerAddress)), qPrintable(m_asker->errorString()));
    connect(m_asker, &TNMMSGServ::OnMSG, this,
            [this](const QString &from, const QString &text, const QHostAddress &) {
                m_answers.append({from, text});
            });
}

void TestServerProcess::cleanup() {
    if (m_server) {
        m_server->kill();
        m_server->waitForFinished();
        delete m_server;
        m_server = nullptr;
    }
    delete m_asker;
    m_asker = nullptr;
}

bool TestServerProcess::startServer(const QStringList &extraArguments) {
    m_server = new QProcess;
    m_server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_server, &QProcess::readyReadStandardOutput, this, &TestServerProcess::collectOutput);
    m_server->start(QStringLiteral(MIREVO_SERVER_PATH),
                    QStringList{u"--bind"_s, serverAddress} + extraArguments);
    if (!m_server->waitForStarted()) {
        qWarning() << "mirevo-server did not start:" << m_server->errorString();
        return false;
    }
    return waitForOutput(u"listening on 127.0.0.1:6711"_s);
}

void TestServerProcess::collectOutput() {
    // Decoded as a whole, so that a character split between two reads stays whole.
    m_outputBytes += m_server->readAllStandardOutput();
    m_output = QString::fromUtf8(m_outputBytes);
}

bool TestServerProcess::post(const QString &from, const QString &text) {
    TNMMsg client;
    client.Host = serverAddress;
    client.FromName = from;
    try {
        client.PostIt(text);
        return true;
    } catch (const ESockError &e) {
        qWarning() << "posting to the server failed:" << e.text();
        return false;
    }
}

bool TestServerProcess::waitForOutput(const QString &contains) {
    qsizetype at = -1;
    if (!QTest::qWaitFor(
            [&] {
                collectOutput();
                return (at = m_output.indexOf(contains, m_outputSeen)) >= 0;
            },
            waitMs)) {
        qWarning().noquote() << "no" << contains << "in the server's output:\n" << m_output;
        return false;
    }
    m_outputSeen = m_output.indexOf(u'\n', at) + 1;
    return true;
}

bool TestServerProcess::nextAnswer(Received &answer) {
    if (!QTest::qWaitFor([&] { return !m_answers.isEmpty(); }, waitMs)) {
        qWarning().noquote() << "no answer arrived; the server's output:\n" << m_output;
        return false;
    }
    answer = m_answers.takeFirst();
    return true;
}

void TestServerProcess::answersQueriesWithTheCurrentParticipants() {
    QVERIFY(startServer());
    QVERIFY(post(u"127.0.0.2"_s, u" PC1 127.0.0.2"_s + connected));
    QVERIFY(waitForOutput(u"connected \"PC1\" 127.0.0.2"_s));
    QVERIFY(post(u"127.0.0.3"_s, u" 会議室 PC 127.0.0.3"_s + connected));
    QVERIFY(waitForOutput(u"connected \"会議室 PC\" 127.0.0.3"_s));

    QVERIFY(post(askerAddress, u"0"_s));
    Received answer;
    QVERIFY(nextAnswer(answer));
    QCOMPARE(answer.from, QString());
    const QRegularExpression twoParticipants(
        u"^Mirevo Server > 参加ユーザー 2 人 \\(\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d 現在\\)\r\n"
        "  PC1  127\\.0\\.0\\.2  \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d から\r\n"
        "  会議室 PC  127\\.0\\.0\\.3  \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d から$"_s);
    QVERIFY2(twoParticipants.match(answer.text).hasMatch(), qPrintable(answer.text));
    QVERIFY(waitForOutput(u"query from 127.0.0.2 answered (2 in the list)"_s));

    QVERIFY(post(u"127.0.0.3"_s, u" 会議室 PC 127.0.0.3"_s + disconnected));
    QVERIFY(waitForOutput(u"disconnected \"会議室 PC\" 127.0.0.3"_s));
    QVERIFY(post(u"127.0.0.3"_s, u" 会議室 PC 127.0.0.3"_s + disconnected));
    QVERIFY(waitForOutput(u"(was not a participant)"_s));
    QVERIFY(post(u"127.0.0.3"_s, u"hello > there"_s));
    QVERIFY(waitForOutput(
        u"ignored a message from 127.0.0.1 (sender field \"127.0.0.3\"): \"hello > there\""_s));

    QVERIFY(post(askerAddress, u"0"_s));
    QVERIFY(nextAnswer(answer));
    QVERIFY2(answer.text.startsWith(u"Mirevo Server > 参加ユーザー 1 人 ("_s),
             qPrintable(answer.text));
    QCOMPARE(answer.text.count(u"\r\n"_s), 1);
    QVERIFY(answer.text.contains(u"\r\n  PC1  127.0.0.2  "_s));

    m_server->terminate();
    QVERIFY(m_server->waitForFinished(waitMs));
    QCOMPARE(m_server->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server->exitCode(), 0);
    QVERIFY(waitForOutput(u"stopping on SIGTERM"_s));
    QVERIFY(waitForOutput(u"stopped"_s));
}

void TestServerProcess::keepsReceivingWhileAnAnswerWaits() {
    // An asker that accepts the answer's connection and then says nothing.
    QTcpServer silentAsker;
    QVERIFY(silentAsker.listen(QHostAddress(u"127.0.0.4"_s), 6711));
    QVERIFY(startServer());

    QVERIFY(post(u"127.0.0.4"_s, u"0"_s));
    QVERIFY(silentAsker.hasPendingConnections() || silentAsker.waitForNewConnection(waitMs));
    QTcpSocket *held = silentAsker.nextPendingConnection();

    // While that answer waits for its reply, announcements and queries still arrive.
    QVERIFY(post(u"127.0.0.5"_s, u" PC5 127.0.0.5"_s + connected));
    QVERIFY(waitForOutput(u"connected \"PC5\" 127.0.0.5"_s));
    QVERIFY(post(askerAddress, u"0"_s));
    QVERIFY2(!m_output.contains(u"query from 127.0.0.4"_s), qPrintable(m_output));
    QVERIFY(m_answers.isEmpty());

    // The silent asker goes away: its answer ends and the waiting one goes out.
    held->abort();
    QVERIFY(waitForOutput(u"query from 127.0.0.4"_s));
    Received answer;
    QVERIFY(nextAnswer(answer));
    QVERIFY2(answer.text.contains(u"  PC5  127.0.0.5  "_s), qPrintable(answer.text));
    QVERIFY(waitForOutput(u"query from 127.0.0.2 answered (1 in the list)"_s));
}

void TestServerProcess::reportsAnAskerThatCannotBeReached() {
    QVERIFY(startServer());
    QVERIFY(post(u"127.0.0.9"_s, u"0"_s)); // nothing listens there
    QVERIFY(waitForOutput(u"query from 127.0.0.9 failed: Connection Failed"_s));
    QVERIFY(post(askerAddress, u"0"_s));
    Received answer;
    QVERIFY(nextAnswer(answer));
    QVERIFY2(answer.text.startsWith(u"Mirevo Server > 参加ユーザー 0 人"_s),
             qPrintable(answer.text));
}

void TestServerProcess::dropsParticipantsThatFellSilent() {
    QVERIFY(startServer({u"--expire"_s, u"1s"_s}));
    QVERIFY(post(u"127.0.0.3"_s, u" PC3 127.0.0.3"_s + connected));
    QVERIFY(waitForOutput(u"expired \"PC3\" 127.0.0.3 (silent since "_s));
    QVERIFY(post(askerAddress, u"0"_s));
    Received answer;
    QVERIFY(nextAnswer(answer));
    QVERIFY2(answer.text.startsWith(u"Mirevo Server > 参加ユーザー 0 人"_s),
             qPrintable(answer.text));
}

void TestServerProcess::refusesAPortThatIsTaken() {
    QVERIFY(startServer());
    QProcess second;
    second.start(QStringLiteral(MIREVO_SERVER_PATH), {u"--bind"_s, serverAddress});
    QVERIFY(second.waitForFinished(waitMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    const QString error = QString::fromUtf8(second.readAllStandardError());
    QVERIFY2(error.startsWith(u"mirevo-server: cannot listen on 127.0.0.1:6711: "_s),
             qPrintable(error));
}

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
