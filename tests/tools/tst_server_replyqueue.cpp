// Answers to queries go out one at a time even though each send waits in a nested event
// loop during which more queries arrive.

#include "tools/server/replyqueue.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// Stands in for the transport's send: waits in a nested event loop, as a real send waits
// for the peer, and runs the test's script from inside that loop, where further queries
// arrive in the real server.
struct FakeSender {
    QStringList sent;
    int depth = 0;
    int deepest = 0;
    std::function<void(const QString &destination)> whileSending;

    void operator()(const QString &destination) {
        ++depth;
        deepest = std::max(deepest, depth);
        sent.append(destination);
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            if (whileSending)
                whileSending(destination);
            // Give the queue every chance to start another send in here, which it must not.
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
            loop.quit();
        });
        loop.exec();
        --depth;
    }
};

class TestServerReplyQueue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sendsOneAtATimeInArrivalOrder();
    void answersEachWaitingDestinationOnce();
    void refusesBeyondCapacity();
    void stopDropsWaitingAndReportsIdleAfterCurrentSend();
    void stopWhenIdleReportsIdle();
};

void TestServerReplyQueue::sendsOneAtATimeInArrivalOrder() {
    FakeSender sender;
    ReplyQueue queue([&](const QString &d) { sender(d); }, 16);
    QSignalSpy idle(&queue, &ReplyQueue::idle);
    sender.whileSending = [&](const QString &destination) {
        if (destination == u"10.0.0.2"_s) {
            QCOMPARE(queue.enqueue(u"10.0.0.3"_s), ReplyQueue::Queued::Yes);
            QCOMPARE(queue.enqueue(u"10.0.0.4"_s), ReplyQueue::Queued::Yes);
        }
    };

    QCOMPARE(queue.enqueue(u"10.0.0.2"_s), ReplyQueue::Queued::Yes);
    QVERIFY(sender.sent.isEmpty()); // never from inside enqueue, that is inside a receipt
    QVERIFY(idle.wait());
    QCOMPARE(idle.size(), 1);
    QCOMPARE(sender.sent, (QStringList{u"10.0.0.2"_s, u"10.0.0.3"_s, u"10.0.0.4"_s}));
    QCOMPARE(sender.deepest, 1);
    QVERIFY(!queue.isSending());

    // Idle again: the next query starts a new round.
    queue.enqueue(u"10.0.0.5"_s);
    QVERIFY(idle.wait());
    QCOMPARE(sender.sent.constLast(), u"10.0.0.5"_s);
}

void TestServerReplyQueue::answersEachWaitingDestinationOnce() {
    FakeSender sender;
    ReplyQueue queue([&](const QString &d) { sender(d); }, 16);
    QSignalSpy idle(&queue, &ReplyQueue::idle);
    sender.whileSending = [&](const QString &) {
        if (sender.sent.size() > 1)
            return;
        QCOMPARE(queue.enqueue(u"10.0.0.3"_s), ReplyQueue::Queued::Yes);
        QCOMPARE(queue.enqueue(u"10.0.0.3"_s), ReplyQueue::Queued::AlreadyWaiting);
        // The one being answered asks again: it gets a fresh answer afterwards.
        QCOMPARE(queue.enqueue(u"10.0.0.2"_s), ReplyQueue::Queued::Yes);
        QCOMPARE(queue.waiting(), (QStringList{u"10.0.0.3"_s, u"10.0.0.2"_s}));
    };
    queue.enqueue(u"10.0.0.2"_s);
    QVERIFY(idle.wait());
    QCOMPARE(sender.sent, (QStringList{u"10.0.0.2"_s, u"10.0.0.3"_s, u"10.0.0.2"_s}));
}

void TestServerReplyQueue::refusesBeyondCapacity() {
    FakeSender sender;
    ReplyQueue queue([&](const QString &d) { sender(d); }, 2);
    QSignalSpy idle(&queue, &ReplyQueue::idle);
    sender.whileSending = [&](const QString &) {
        if (sender.sent.size() > 1)
            return;
        QCOMPARE(queue.enqueue(u"10.0.0.2"_s), ReplyQueue::Queued::Yes);
        QCOMPARE(queue.enqueue(u"10.0.0.3"_s), ReplyQueue::Queued::Yes);
        QCOMPARE(queue.enqueue(u"10.0.0.4"_s), ReplyQueue::Queued::Full);
    };
    queue.enqueue(u"10.0.0.1"_s);
    QVERIFY(idle.wait());
    QCOMPARE(sender.sent, (QStringList{u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}));
}

void TestServerReplyQueue::stopDropsWaitingAndReportsIdleAfterCurrentSend() {
    FakeSender sender;
    ReplyQueue queue([&](const QString &d) { sender(d); }, 16);
    QSignalSpy idle(&queue, &ReplyQueue::idle);
    sender.whileSending = [&](const QString &) {
        queue.enqueue(u"10.0.0.3"_s);
        queue.stop();
        QCOMPARE(queue.enqueue(u"10.0.0.4"_s), ReplyQueue::Queued::Stopped);
        QCoreApplication::processEvents();
        QVERIFY(idle.isEmpty()); // the answer under way is still running
    };
    queue.enqueue(u"10.0.0.2"_s);
    QVERIFY(idle.wait());
    QCOMPARE(sender.sent, QStringList{u"10.0.0.2"_s});
    QTest::qWait(0);
    QCOMPARE(idle.size(), 1);
}

void TestServerReplyQueue::stopWhenIdleReportsIdle() {
    FakeSender sender;
    ReplyQueue queue([&](const QString &d) { sender(d); }, 16);
    QSignalSpy idle(&queue, &ReplyQueue::idle);
    queue.stop();
    QVERIFY(idle.wait());
    QVERIFY(sender.sent.isEmpty());
}

QTEST_GUILESS_MAIN(TestServerReplyQueue)
#include "tst_server_replyqueue.moc"
