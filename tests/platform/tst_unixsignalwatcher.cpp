#include "platform/unixsignalwatcher.h"

#include <QSignalSpy>
#include <QtTest/QtTest>

#include <csignal>

namespace {

bool handledByDefault(int signal)
{
    struct sigaction current = {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

} // namespace

class TestUnixSignalWatcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The handler only wakes the event loop; each signal arrives there with its number.
    void signalsArriveOnTheEventLoop()
    {
        {
            UnixSignalWatcher watcher({SIGHUP, SIGTERM});
            QVERIFY(watcher.isValid());
            QSignalSpy received(&watcher, &UnixSignalWatcher::received);
            ::raise(SIGHUP);
            QCOMPARE(received.size(), 0);
            QVERIFY(received.wait());
            QCOMPARE(received.takeFirst().at(0).toInt(), SIGHUP);

            ::raise(SIGTERM);
            ::raise(SIGHUP);
            QTRY_COMPARE(received.size(), 2);
            QCOMPARE(received.at(0).at(0).toInt(), SIGTERM);
            QCOMPARE(received.at(1).at(0).toInt(), SIGHUP);
        }
        QVERIFY(handledByDefault(SIGHUP));
        QVERIFY(handledByDefault(SIGTERM));
    }
};

QTEST_GUILESS_MAIN(TestUnixSignalWatcher)
#include "tst_unixsignalwatcher.moc"
