// The listener on loopback against well-behaved and bad peers: the reading rules, the
// bounds on idle and slow peers, the connection cap and delivery on the owner's thread.

#include "net/tnmmsgserv.h"

#include <QEventLoop>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>
#include <sys/socket.h>
#include <vector>

using namespace Qt::StringLiterals;
using std::chrono::milliseconds;

namespace {

const QByteArray OkReply = "OK              "_ba;

struct Received {
    QString from;
    QString text;
    bool operator==(const Received &) const = default;
};

class MessageLog : public QObject {
public:
    explicit MessageLog(TNMMSGServ &server)
    {
        connect(&server, &TNMMSGServ::OnClientContact, this, [this] { ++contacts; });
        connect(&server, &TNMMSGServ::OnMSG, this,
                [this](const QString &from, const QString &text, const QHostAddress &peer) {
                    messages.append({from, text});
                    peers.append(peer);
                    if (onMessage)
                        onMessage();
                });
    }
    int contacts = 0;
    QList<Received> messages;
    QList<QHostAddress> peers;
    std::function<void()> onMessage;
};

QByteArray message(const QByteArray &from, const QByteArray &text)
{
    return QByteArray::number(from.size()).rightJustified(4, '0') + from
            + QByteArray::number(text.size()).rightJustified(4, '0') + text;
}

// A raw peer: writes what it is given and reports what came back.
struct RawPeer {
    QTcpSocket socket;

    bool open(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.waitForBytesWritten(5000);
    }
    void closeWriting() { ::shutdown(int(socket.socketDescriptor()), SHUT_WR); }
    // Reads until 16 bytes have come or the listener has closed (bounded, for a failing run).
    QByteArray reply()
    {
        QByteArray got;
        while (got.size() < 16 && socket.state() == QAbstractSocket::ConnectedState) {
            if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(5000))
                break;
            got += socket.read(16 - got.size());
        }
        return got;
    }
    bool closedByListener()
    {
        if (socket.state() == QAbstractSocket::UnconnectedState)
            return true;
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
            socket.readAll();
        return socket.state() != QAbstractSocket::ConnectedState;
    }
};

} // namespace

namespace QTest {
template <>
char *toString(const Received &r)
{
    return qstrdup((u"{"_s + r.from + u" | "_s + r.text + u"}"_s).toUtf8());
}
} // namespace QTest

class TestTNMMSGServ : public QObject {
    Q_OBJECT

    std::unique_ptr<TNMMSGServ> server;
    std::unique_ptr<MessageLog> log;

    void start(TNMMSGServ::Limits limits = {milliseconds(5000), milliseconds(5000), 1000})
    {
        server = std::make_unique<TNMMSGServ>(limits);
        server->Port = 0;
        QVERIFY2(server->listen(QHostAddress::LocalHost), qPrintable(server->errorString()));
        log = std::make_unique<MessageLog>(*server);
    }

    // A good message after a bad one: once it is delivered, anything the bad one
    // raised would have been delivered before it.
    void sendSentinel()
    {
        RawPeer peer;
        QVERIFY(peer.open(server->serverPort()));
        peer.send(message("s", "sentinel"));
        QCOMPARE(peer.reply(), OkReply);
        QTRY_VERIFY(log->messages.contains(Received{u"s"_s, u"sentinel"_s}));
    }

private Q_SLOTS:
    void cleanup()
    {
        log.reset();
        server.reset();
    }

    void readingRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("peerCloses");  // half-close after writing
        QTest::addColumn<bool>("replied");
        QTest::addColumn<QList<Received>>("delivered");
        QTest::newRow("sender and text")
                << message("192.168.0.5", "taro > hello") << false << true
                << QList<Received>{{u"192.168.0.5"_s, u"taro > hello"_s}};
        QTest::newRow("both fields empty") << "00000000"_ba << false << true << QList<Received>{{}};
        QTest::newRow("CP932 text") << message("", "\x82\xa0\x81\x60\x87\x40\xd2\xaf\xbe\xb0\xbc\xde") << false << true
                                    << QList<Received>{{QString(), u"あ～①ﾒｯｾｰｼﾞ"_s}};
        QTest::newRow("invalid CP932 and zero bytes shown as replacements")
                << message("a\x00"_ba, "\xff" "b"_ba) << false << true
                << QList<Received>{{u"a\uFFFD"_s, u"\uFFFDb"_s}};
        QTest::newRow("blank-padded and signed counts") << "  +1a -01"_ba << false << true
                                                      << QList<Received>{{u"a"_s, QString()}};
        QTest::newRow("bytes after the text are ignored")
                << message("a", "b") + "0003xyzjunk" << false << true << QList<Received>{{u"a"_s, u"b"_s}};
        QTest::newRow("four letters: dropped, no reply") << "abcd0001x"_ba << false << false << QList<Received>{};
        QTest::newRow("text count not a number") << "0001aXY1Z"_ba << false << false << QList<Received>{};
        QTest::newRow("close mid count") << "00"_ba << true << false << QList<Received>{};
        QTest::newRow("close mid sender field") << "0009abc"_ba << true << false << QList<Received>{};
        QTest::newRow("close mid text: empty text, replied")
                << "0001a0009abc"_ba << true << true << QList<Received>{{u"a"_s, QString()}};
    }
    void readingRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, peerCloses);
        QFETCH(bool, replied);
        QFETCH(QList<Received>, delivered);
        start();
        RawPeer peer;
        QVERIFY(peer.open(server->serverPort()));
        peer.send(bytes);
        if (peerCloses)
            peer.closeWriting();
        QCOMPARE(peer.reply(), replied ? OkReply : QByteArray());
        if (!replied)
            QVERIFY(peer.closedByListener());
        QTRY_COMPARE(log->contacts, 1);
        sendSentinel();
        delivered.append({u"s"_s, u"sentinel"_s});
        QCOMPARE(log->messages, delivered);
        QCOMPARE(log->peers.first(), QHostAddress(QHostAddress::LocalHost));
    }

    void slowSenderHoldsUpNobody()
    {
        start();
        RawPeer slow;
        QVERIFY(slow.open(server->serverPort()));
        const QByteArray slowMessage = message("slow", "one byte at a time");
        slow.send(slowMessage.first(7));
        sendSentinel();  // served while the slow one is half-way
        qsizetype sent = 7;
        QTimer drip;
        connect(&drip, &QTimer::timeout, this, [&] {
            if (sent < slowMessage.size())
                slow.socket.write(slowMessage.mid(sent++, 1));
        });
        drip.start(2);
        QTRY_COMPARE(log->messages.size(), 2);
        QCOMPARE(log->messages.last(), (Received{u"slow"_s, u"one byte at a time"_s}));
        QCOMPARE(slow.reply(), OkReply);
    }

    void boundsOnIdlePeers_data()
    {
        QTest::addColumn<bool>("sendsMessage");
        QTest::newRow("silent peer dropped without a reply") << false;
        QTest::newRow("answered peer released after the linger") << true;
    }
    void boundsOnIdlePeers()
    {
        QFETCH(bool, sendsMessage);
        start({milliseconds(200), milliseconds(200), 1000});
        RawPeer peer;
        QVERIFY(peer.open(server->serverPort()));
        if (sendsMessage) {
            peer.send(message("", "hi"));
            QCOMPARE(peer.reply(), OkReply);
        }
        QVERIFY(peer.closedByListener());
        QCOMPARE(peer.socket.readAll(), QByteArray());
    }

    void capMakesRoomForARealSender()
    {
        const int cap = 5;
        start({milliseconds(30000), milliseconds(30000), cap});
        std::vector<std::unique_ptr<RawPeer>> idle;
        for (int i = 0; i < cap; ++i) {
            idle.push_back(std::make_unique<RawPeer>());
            QVERIFY(idle.back()->open(server->serverPort()));
            idle.back()->send("00"_ba);  // unfinished
            QTRY_COMPARE(log->contacts, i + 1);  // accepted in this order
        }
        sendSentinel();
        QVERIFY(idle.front()->closedByListener());  // the oldest unfinished one made room
        QCOMPARE(idle[1]->socket.state(), QAbstractSocket::ConnectedState);
    }

    void simultaneousSendersAllAnswered()
    {
        start();
        const int senders = 50;
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        QSet<QString> expected;
        for (int i = 0; i < senders; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            const QByteArray text = "message " + QByteArray::number(i);
            expected.insert(QString::fromLatin1(text));
            connect(socket.get(), &QTcpSocket::connected, socket.get(), [s = socket.get(), text] {
                s->write(message("", text));
            });
            socket->connectToHost(QHostAddress::LocalHost, server->serverPort());
            sockets.push_back(std::move(socket));
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(sockets.begin(), sockets.end(),
                                             [](const auto &s) { return s->bytesAvailable() >= 16; }),
                                 10000);
        for (const auto &s : sockets)
            QCOMPARE(s->read(16), OkReply);
        QTRY_COMPARE(log->messages.size(), senders);
        QSet<QString> texts;
        for (const Received &r : std::as_const(log->messages))
            texts.insert(r.text);
        QCOMPARE(texts, expected);  // each once: 50 messages, 50 distinct texts
        QCOMPARE(log->contacts, senders);
    }

    // One sender after another: delivered in the order they were answered, also when a
    // handler waits in a nested event loop (as a modal notice does).
    void deliveryKeepsArrivalOrder()
    {
        start();
        QList<Received> sent;
        bool nested = false;
        log->onMessage = [&] {
            if (nested)
                return;
            nested = true;
            QEventLoop modal;
            QTimer poll;
            connect(&poll, &QTimer::timeout, &modal, [&] {
                if (log->messages.size() >= 10)
                    modal.quit();
            });
            poll.start(1);
            for (int i = 1; i < 10; ++i) {
                RawPeer peer;
                QVERIFY(peer.open(server->serverPort()));
                peer.send(message("", QByteArray::number(i)));
                QCOMPARE(peer.reply(), OkReply);
            }
            modal.exec();
        };
        RawPeer first;
        QVERIFY(first.open(server->serverPort()));
        first.send(message("", "0"));
        QCOMPARE(first.reply(), OkReply);
        QTRY_COMPARE(log->messages.size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(log->messages.at(i).text, QString::number(i));
    }

    void portTaken()
    {
        start();
        TNMMSGServ second;
        second.Port = server->serverPort();
        QVERIFY(!second.listen(QHostAddress::LocalHost));
        QCOMPARE(second.errorString(), u"Address already in use"_s);
        QVERIFY(!second.isListening());
    }

    void destroyedWhileBusy()
    {
        start();
        RawPeer idle, answered;
        QVERIFY(idle.open(server->serverPort()));
        QVERIFY(answered.open(server->serverPort()));
        answered.send(message("", "pending delivery"));
        QCOMPARE(answered.reply(), OkReply);
        server.reset();  // with a message not yet delivered and two connections open
        QVERIFY(idle.closedByListener());
        QVERIFY(answered.closedByListener());
    }
};

QTEST_GUILESS_MAIN(TestTNMMSGServ)
#include "tst_tnmmsgserv.moc"
