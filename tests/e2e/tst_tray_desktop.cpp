// The tray icon on a real X server with a real notification area (trayer): the area is
// noticed when it appears and when it goes, the icon embeds into it, and its picture
// changes there. Runs on its own Xvfb; skipped when Xvfb or trayer is not installed.

#include "app/systemtrayicon.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Picture = TrayIcon::Picture;

namespace {
constexpr int Skipped = 77;

// What the top right corner of the screen, where trayer stands, shows: the application
// picture is told by its blue telephone, the new-message picture by its person in green.
// The embedded icon does not learn its place on the screen, so the corner is searched.
QString cornerShows()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QImage corner = QGuiApplication::primaryScreen()
                              ->grabWindow(0, screen.right() - 63, 0, 64, 32)
                              .toImage();
    int blue = 0, green = 0;
    for (int y = 0; y < corner.height(); ++y)
        for (int x = 0; x < corner.width(); ++x) {
            const QColor c = corner.pixelColor(x, y);
            blue += c.blue() > c.red() + 60 && c.blue() > c.green() + 40;
            green += c.green() > c.red() + 40 && c.green() > c.blue() + 40;
        }
    if (blue > 8 && green < 3)
        return u"application"_s;
    if (green > 8 && blue < 3)
        return u"new message"_s;
    return u"neither"_s;
}
} // namespace

class TrayDesktopTest : public QObject {
    Q_OBJECT
public:
    explicit TrayDesktopTest(QString trayer) : m_trayerPath(std::move(trayer)) {}

private:
    void startTrayer()
    {
        m_trayer.start(m_trayerPath, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s,
                                      u"--widthtype"_s, u"request"_s, u"--height"_s, u"32"_s,
                                      u"--transparent"_s, u"false"_s});
        QVERIFY2(m_trayer.waitForStarted(), qPrintable(m_trayer.errorString()));
    }

    void stopTrayer()
    {
        m_trayer.terminate();
        QVERIFY(m_trayer.waitForFinished());
    }

    QString m_trayerPath;
    QProcess m_trayer;

private Q_SLOTS:
    void cleanup()
    {
        if (m_trayer.state() != QProcess::NotRunning) {
            m_trayer.kill();
            m_trayer.waitForFinished();
        }
    }

    void iconEmbedsAndChangesPicture()
    {
        SystemTrayIcon tray(50ms);
        QVERIFY(!tray.isAvailable());
        tray.add(u"Dravin For Windows"_s, Picture::Application);
        QVERIFY(tray.geometry().isEmpty());

        QSignalSpy changes(&tray, &TrayIcon::availabilityChanged);
        startTrayer();
        QVERIFY(changes.wait(10'000));
        QCOMPARE(changes.takeFirst(), QVariantList{true});
        QVERIFY(tray.isAvailable());

        // What the window does when an area appears: the icon is put in again.
        tray.add(u"Dravin For Windows"_s, Picture::Application);
        QTRY_VERIFY_WITH_TIMEOUT(!tray.geometry().isEmpty(), 10'000);
        QTRY_COMPARE(cornerShows(), u"application"_s);
        tray.setPicture(Picture::NewMessage);
        QTRY_COMPARE(cornerShows(), u"new message"_s);
        tray.setPicture(Picture::Application);
        QTRY_COMPARE(cornerShows(), u"application"_s);

        tray.remove();
        QTRY_VERIFY(tray.geometry().isEmpty());
        QTRY_COMPARE(cornerShows(), u"neither"_s);
    }

    void areaGoingAwayIsReported()
    {
        startTrayer();
        SystemTrayIcon tray(50ms);
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10'000);
        QSignalSpy changes(&tray, &TrayIcon::availabilityChanged);
        if (!tray.isAvailable()) // the area came up between the two looks
            QVERIFY(changes.wait(10'000));
        changes.clear();
        stopTrayer();
        QVERIFY(changes.wait(10'000));
        QCOMPARE(changes.takeFirst(), QVariantList{false});
        QVERIFY(!tray.isAvailable());
    }
};

int main(int argc, char **argv)
{
    const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
    const QString trayer = QStandardPaths::findExecutable(u"trayer"_s);
    if (xvfb.isEmpty() || trayer.isEmpty()) {
        std::fputs("SKIP: needs Xvfb and trayer (Debian packages xvfb, trayer)\n", stderr);
        return Skipped;
    }
    // Xvfb picks a free display and writes its number once it accepts connections.
    QProcess server;
    server.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-screen"_s, u"0"_s,
                        u"640x480x24"_s});
    if (!server.waitForReadyRead(20'000)) {
        std::fprintf(stderr, "SKIP: Xvfb did not start: %s\n",
                     server.readAllStandardError().constData());
        return Skipped;
    }
    const QByteArray display = ':' + server.readLine().trimmed();
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Without a session bus the icon goes to the X11 system tray that trayer provides.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");

    int status = 0;
    {
        QApplication app(argc, argv);
        TrayDesktopTest test(trayer);
        status = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished();
    return status;
}

#include "tst_tray_desktop.moc"
