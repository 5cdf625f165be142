// The message client against real loopback peers: the order of its events, its error
// texts and the bytes it puts on the wire. Runs in a network namespace of its own, where
// names other than localhost cannot be resolved.

#include "net/socketerrortext.h"
#include "net/tnmmsg.h"
#include "support/scriptedpeer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray OkReply = "OK              "_ba;

// Records the client's events and how PostIt ended, in order.
class EventLog : public QObject {
public:
    explicit EventLog(TNMMsg &client)
    {
        connect(&client, &TNMMsg::OnHostResolved, this, [this] { events << u"OnHostResolved"_s; });
        connect(&client, &TNMMsg::OnInvalidHost, this, [this](bool &handled) {
            events << u"OnInvalidHost"_s;
            if (onInvalidHost)
                handled = onInvalidHost();
        });
        connect(&client, &TNMMsg::OnConnect, this, [this] { events << u"OnConnect"_s; });
        connect(&client, &TNMMsg::OnConnectionFailed, this, [this] { events << u"OnConnectionFailed"_s; });
        connect(&client, &TNMMsg::OnDisconnect, this, [this] { events << u"OnDisconnect"_s; });
    }
    QStringList events;
    std::function<bool()> onInvalidHost;
};

// PostIt's outcome: "reply:<bytes>" or "error:<text>".
QString post(TNMMsg &client, const QString &text)
{
    try {
        return u"reply:"_s + QString::fromLatin1(client.PostIt(text));
    } catch (const ESockError &e) {
        return u"error:"_s + e.text();
    }
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();  // closed again when probe goes
}

// A listener that never accepts, its queue already full: further connection attempts
// are left unanswered, as behind a host that has gone away.
class SaturatedListener {
public:
    SaturatedListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), length);
        ::listen(m_fd, 0);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        for (QTcpSocket &filler : m_fillers)
            filler.connectToHost(QHostAddress::LocalHost, m_port);
    }
    ~SaturatedListener() { ::close(m_fd); }
    quint16 port() const { return m_port; }

private:
    int m_fd;
    quint16 m_port;
    QTcpSocket m_fillers[3];
};

} // namespace

class TestTNMMsg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exchange_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("fromName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QStringList>("events");
        const QStringList dotted{u"OnConnect"_s, u"OnDisconnect"_s};
        const QStringList named{u"OnHostResolved"_s, u"OnConnect"_s, u"OnDisconnect"_s};
        QTest::newRow("dotted address: no lookup event")
                << u"127.0.0.1"_s << u"10.1.2.3"_s << u"hello"_s << "000810.1.2.30005hello"_ba << dotted;
        QTest::newRow("host name resolved first")
                << u"localhost"_s << QString() << u"12345678"_s << "000000081234567 8"_ba.replace(" ", "")
                << named;
        QTest::newRow("both fields empty") << u"127.0.0.1"_s << QString() << QString() << "00000000"_ba << dotted;
        QTest::newRow("Japanese text counted in CP932 bytes")
                << u"127.0.0.1"_s << QString() << u"あいう"_s << "00000006\x82\xa0\x82\xa2\x82\xa4"_ba << dotted;
        QTest::newRow("9999 bytes arrive whole")
                << u"127.0.0.1"_s << QString() << QString(9999, u'x') << "00009999"_ba + QByteArray(9999, 'x')
                << dotted;
    }
    void exchange()
    {
        QFETCH(QString, host);
        QFETCH(QString, fromName);
        QFETCH(QString, text);
        QFETCH(QByteArray, wire);
        QFETCH(QStringList, events);
        ScriptedPeer peer;
        QVERIFY(peer.listen());
        TNMMsg client;
        EventLog log(client);
        client.Host = host;
        client.Port = peer.port();
        client.FromName = fromName;
        QCOMPARE(post(client, text), u"reply:"_s + QString::fromLatin1(OkReply));
        QCOMPARE(log.events, events);
        QCOMPARE(peer.messages(), QList<QByteArray>{wire});
        QVERIFY(!client.isBusy());
    }

    void failures_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("destination");  // "peer", "closed port", "saturated"
        QTest::addColumn<int>("handledAnswer");  // -1: no handler; 0/1: Handled; 2: mend Host
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("outcome");
        const QString ok = u"reply:"_s + QString::fromLatin1(OkReply);
        QTest::newRow("unresolvable, Handled left false")
                << u"no-such-host.invalid"_s << u"peer"_s << -1 << QStringList{u"OnInvalidHost"_s}
                << u"error:Null Remote Address"_s;
        QTest::newRow("unresolvable, Handled set: raised once, resolved again")
                << u"no-such-host.invalid"_s << u"peer"_s << 1 << QStringList{u"OnInvalidHost"_s}
                << u"error:Null Remote Address"_s;
        QTest::newRow("handler mends the host")
                << u"no-such-host.invalid"_s << u"peer"_s << 2
                << QStringList{u"OnInvalidHost"_s, u"OnConnect"_s, u"OnDisconnect"_s} << ok;
        QTest::newRow("0.0.0.0 is no address")
                << u"0.0.0.0"_s << u"peer"_s << -1 << QStringList{u"OnInvalidHost"_s} << u"error:Null Remote Address"_s;
        QTest::newRow("no listener") << u"127.0.0.1"_s << u"closed port"_s << -1
                                     << QStringList{u"OnConnectionFailed"_s} << u"error:Connection Failed"_s;
        QTest::newRow("connection not answered in time")
                << u"127.0.0.1"_s << u"saturated"_s << -1 << QStringList{u"OnConnectionFailed"_s}
                << u"error:Connection Failed"_s;
        QTest::newRow("unreachable network") << u"10.255.255.1"_s << u"peer"_s << -1
                                             << QStringList{u"OnConnectionFailed"_s} << u"error:Connection Failed"_s;
    }
    void failures()
    {
        QFETCH(QString, host);
        QFETCH(QString, destination);
        QFETCH(int, handledAnswer);
        QFETCH(QStringList, events);
        QFETCH(QString, outcome);
        ScriptedPeer peer;
        QVERIFY(peer.listen());
        SaturatedListener saturated;
        TNMMsg client({std::chrono::milliseconds(300), std::chrono::milliseconds(3000)});
        EventLog log(client);
        client.Host = host;
        client.Port = destination == u"peer" ? peer.port()
                : destination == u"saturated" ? saturated.port()
                                              : closedPort();
        if (handledAnswer >= 0)
            log.onInvalidHost = [&] {
                if (handledAnswer == 2)
                    client.Host = u"127.0.0.1"_s;
                return handledAnswer != 0;
            };
        QCOMPARE(post(client, u"x"_s), outcome);
        QCOMPARE(log.events, events);
        QVERIFY(!client.isBusy());
    }

    void peerEndsTheExchange_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("closes without replying: empty reply, no error")
                << int(ScriptedPeer::Answer::CloseWithoutReply) << u"reply:"_s;
        QTest::newRow("never replies: bounded wait")
                << int(ScriptedPeer::Answer::Silent) << u"error:10060:Connection timed out"_s;
    }
    void peerEndsTheExchange()
    {
        QFETCH(int, answer);
        QFETCH(QString, outcome);
        ScriptedPeer peer{ScriptedPeer::Answer(answer)};
        QVERIFY(peer.listen());
        TNMMsg client({std::chrono::milliseconds(3000), std::chrono::milliseconds(300)});
        EventLog log(client);
        client.Host = u"127.0.0.1"_s;
        client.Port = peer.port();
        QCOMPARE(post(client, u"hi"_s), outcome);
        QCOMPARE(log.events, (QStringList{u"OnConnect"_s, u"OnDisconnect"_s}));
        QCOMPARE(peer.messages().size(), 1);
        // The next call starts afresh.
        peer.setAnswer(ScriptedPeer::Answer::Reply);
        QCOMPARE(post(client, u"again"_s), u"reply:"_s + QString::fromLatin1(OkReply));
    }

    // A second PostIt while one is under way fails without disturbing the first.
    void alreadyConnected_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("host resolved") << u"OnHostResolved"_s;
        QTest::newRow("connected") << u"OnConnect"_s;
        QTest::newRow("waiting for the lookup or connection") << u"timer"_s;
        QTest::newRow("waiting for the reply") << u"peer has the message"_s;
    }
    void alreadyConnected()
    {
        QFETCH(QString, when);
        ScriptedPeer peer;
        QVERIFY(peer.listen());
        TNMMsg client;
        client.Host = u"localhost"_s;
        client.Port = peer.port();
        QString second;
        auto secondPost = [&] {
            if (second.isEmpty())
                second = post(client, u"second"_s);
        };
        if (when == u"OnHostResolved")
            connect(&client, &TNMMsg::OnHostResolved, this, secondPost);
        else if (when == u"OnConnect")
            connect(&client, &TNMMsg::OnConnect, this, secondPost);
        else if (when == u"timer")
            QTimer::singleShot(0, this, secondPost);
        else
            connect(&peer, &ScriptedPeer::messageReceived, this, secondPost);
        QCOMPARE(post(client, u"first"_s), u"reply:"_s + QString::fromLatin1(OkReply));
        QCOMPARE(second, u"error:Already connected"_s);
        QCOMPARE(peer.messages(), QList<QByteArray>{"000000005first"_ba.remove(4, 1)});
    }

    // Refused before any event or connection, with a message that names the problem.
    void refusedBeforeConnecting_data()
    {
        QTest::addColumn<QString>("fromName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("text over 9,999 bytes") << QString() << QString(10000, u'x') << u"10000 バイト"_s;
        QTest::newRow("double-byte text over 9,999 bytes") << QString() << QString(5000, u'あ') << u"10000 バイト"_s;
        QTest::newRow("sender field over 9,999 bytes") << QString(10000, u'1') << u"x"_s << u"送信者欄"_s;
        QTest::newRow("character CP932 cannot carry") << QString() << u"smile 😀"_s << u"😀"_s;
        QTest::newRow("euro sign") << QString() << u"10€"_s << u"U+20AC"_s;
    }
    void refusedBeforeConnecting()
    {
        QFETCH(QString, fromName);
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        ScriptedPeer peer;
        QVERIFY(peer.listen());
        TNMMsg client;
        EventLog log(client);
        client.Host = u"localhost"_s;
        client.Port = peer.port();
        client.FromName = fromName;
        const QString problem = TNMMsg::checkMessage(fromName, text);
        QVERIFY2(problem.contains(mentions), qPrintable(problem));
        QCOMPARE(post(client, text), u"error:"_s + problem);
        QCOMPARE(log.events, QStringList());
        QCOMPARE(peer.connections(), 0);
        QVERIFY(!client.isBusy());
    }

    void socketErrorTexts_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << 10061 << u"10061:Connection refused"_s;
        QTest::newRow("reset") << 10054 << u"10054:Connection reset by peer"_s;
        QTest::newRow("timed out") << 10060 << u"10060:Connection timed out"_s;
        QTest::newRow("no description") << 4242 << u"Unknown Error No. 4242"_s;
    }
    void socketErrorTexts()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(sockerr::text(number), text);
    }
};

QTEST_GUILESS_MAIN(TestTNMMsg)
#include "tst_tnmmsg.moc"
