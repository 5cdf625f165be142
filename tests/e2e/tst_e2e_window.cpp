// The desktop client as a program, in a private network namespace: one copy at a time,
// the end of the desktop session, a killed copy's marker, fast shutdown.
// The cases that must answer a box run on an Xvfb of their own and press keys with xdotool.

#include "net/tnmmsg.h"
#include "settings/settingsstore.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

bool listenerAnswers()
{
    TNMMsg client;
    client.Host = u"127.0.0.1"_s;
    try {
        client.PostIt(u"probe > are you there"_s);
        return true;
    } catch (const ESockError &) {
        return false;
    }
}

int exitStatusOf(QProcess &process)
{
    if (!process.waitForFinished(20'000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

} // namespace

class WindowProcessTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_xvfb;
    QByteArray m_display;

    // The settings file, which the close sequence writes the window's place into.
    QString settingsFile() const { return m_home.filePath(u"config/Pemrod/Zantel/Quenlo.reg"_s); }
    bool closeSequenceWroteSettings() const
    {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("\"X\"=");
    }

    QProcessEnvironment environment(bool onDisplay) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, m_home.path());
        env.insert(u"XDG_RUNTIME_DIR"_s, m_home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        if (onDisplay) {
            env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
            env.insert(u"DISPLAY"_s, QString::fromLatin1(m_display));
        } else {
            env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        }
        return env;
    }

    void start(QProcess &client, bool onDisplay = false) const
    {
        client.setProcessEnvironment(environment(onDisplay));
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.start(QStringLiteral(MIREVO_PATH), {});
    }

    // Starts the client and waits until its listener answers on port 6711.
    bool startListening(QProcess &client, bool onDisplay = false) const
    {
        start(client, onDisplay);
        return client.waitForStarted() && QTest::qWaitFor(listenerAnswers, 20'000);
    }

    // The display is started on first use; false when Xvfb or xdotool is missing.
    bool haveDisplay()
    {
        if (!m_display.isEmpty())
            return true;
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (xvfb.isEmpty() || QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
            return false;
        m_xvfb.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-screen"_s,
                            u"0"_s, u"1024x768x24"_s});
        if (!m_xvfb.waitForReadyRead(20'000))
            return false;
        m_display = ':' + m_xvfb.readLine().trimmed();
        return true;
    }

    QString xdotool(const QStringList &arguments) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, QString::fromLatin1(m_display));
        tool.setProcessEnvironment(env);
        tool.start(u"xdotool"_s, arguments);
        tool.waitForFinished(10'000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    // Waits for a visible window with exactly this title, other than those given.
    QString findWindow(const QString &title, const QStringList &others = {}, int timeout = 20'000) const
    {
        const QString pattern = u"^"_s + QRegularExpression::escape(title) + u"$"_s;
        QString found;
        const bool appeared = QTest::qWaitFor([&] {
            const QStringList windows =
                xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern}).split(u'\n', Qt::SkipEmptyParts);
            for (const QString &window : windows)
                if (!others.contains(window))
                    found = window;
            return !found.isEmpty();
        }, timeout);
        return appeared ? found : QString();
    }

    // Gives the window the keyboard (there is no window manager to do it) and types.
    void typeInto(const QString &window, const QStringList &keys) const
    {
        xdotool({u"windowfocus"_s, u"--sync"_s, window});
        for (const QString &key : keys)
            xdotool({u"key"_s, u"--clearmodifiers"_s, key});
    }

private Q_SLOTS:
    void cleanupTestCase()
    {
        if (m_xvfb.state() != QProcess::NotRunning) {
            m_xvfb.terminate();
            m_xvfb.waitForFinished();
        }
    }

    void secondCopyEndsWith255()
    {
        if (!haveDisplay())
            QSKIP("needs Xvfb and xdotool (Debian packages xvfb, xdotool)");
        QProcess first;
        QVERIFY(startListening(first));

        QProcess second;
        start(second, true);
        // The notice is captioned with the program's name; Enter closes it.
        const QString notice = findWindow(u"mirevo"_s);
        QVERIFY(!notice.isEmpty());
        typeInto(notice, {u"Return"_s});
        QFile::remove(settingsFile());
        QCOMPARE(exitStatusOf(second), 255);

        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(listenerAnswers());
        first.kill();
        first.waitForFinished();
    }

    void sessionEndRunsTheCloseSequence_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void sessionEndRunsTheCloseSequence()
    {
        QFETCH(int, signal);
        QProcess client;
        QVERIFY(startListening(client));
        QFile::remove(settingsFile());
        ::kill(pid_t(client.processId()), signal);
        QCOMPARE(exitStatusOf(client), 0);
        QVERIFY(closeSequenceWroteSettings());
        QVERIFY(!listenerAnswers());
    }

    // Runs the client from start to a SIGTERM close and returns what the close stored in
    // section F1 (an empty list when the run failed).
    QStringList runOnce()
    {
        QProcess client;
        if (!startListening(client))
            return {};
        ::kill(pid_t(client.processId()), SIGTERM);
        if (exitStatusOf(client) != 0)
            return {};
        SettingsStore store(settingsFile());
        QStringList stored;
        for (const QString &name : {u"FC"_s, u"BK"_s, u"CB"_s, u"F"_s, u"CB3"_s, u"X"_s, u"Y"_s})
            stored.append(name + u"="_s + store.readText(u"F1"_s, name, u"(missing)"_s));
        return stored;
    }

    // A restart with nothing moved: the first close stores the defaults and the window's
    // place, the next run opens there and stores the same. A place stored elsewhere (as
    // by a window that was moved) is kept the same way.
    void restartKeepsTheStoredValues()
    {
        QFile::remove(settingsFile());
        const QStringList first = runOnce();
        QCOMPARE(first.mid(0, 5), (QStringList{u"FC=clWindowText"_s, u"BK=clWindow"_s, u"CB=0"_s,
                                               u"F=9"_s, u"CB3=-1"_s}));
        QVERIFY2(first.size() == 7 && first.filter(u"(missing)"_s).isEmpty(), qPrintable(first.join(u' ')));
        QCOMPARE(runOnce(), first);

        {
            SettingsStore store(settingsFile());
            store.writeInteger(u"F1"_s, u"X"_s, 40);
            store.writeInteger(u"F1"_s, u"Y"_s, 30);
        }
        QCOMPARE(runOnce(), first.mid(0, 5) + QStringList({u"X=40"_s, u"Y=30"_s}));
    }

    void killedCopysMarkerIsTakenOver()
    {
        QProcess killed;
        QVERIFY(startListening(killed));
        killed.kill();
        killed.waitForFinished();
        QVERIFY(QFile::exists(m_home.filePath(u"quenlo.lock"_s)));

        QProcess next;
        QVERIFY(startListening(next));
        QCOMPARE(next.state(), QProcess::Running);
        next.terminate();
        QCOMPARE(exitStatusOf(next), 0);
    }

    void fastShutdownEndsWith255()
    {
        if (!haveDisplay())
            QSKIP("needs Xvfb and xdotool (Debian packages xvfb, xdotool)");
        QProcess client;
        QVERIFY(startListening(client, true));
        // The probe that found the listener brought the new-message notice: close it.
        const QString notice = findWindow(u"Mirevo For Windows"_s);
        QVERIFY(!notice.isEmpty());
        typeInto(notice, {u"Return"_s});
        QFile::remove(settingsFile());
        // Menu "メインメニュー(&M)", item "高速シャットダウン(&K)", then "はい(&Y)" in the
        // question, which has the window's caption and "No" as its default button.
        const QString caption = u"Mirevo For Windows クライアント"_s;
        const QString window = findWindow(caption);
        QVERIFY(!window.isEmpty());
        // Keys sent before the new window takes input are lost: try again until it asks.
        QString question;
        QVERIFY(QTest::qWaitFor([&] {
            typeInto(window, {u"Escape"_s, u"alt+m"_s, u"k"_s});
            question = findWindow(caption, {window}, 1000);
            return !question.isEmpty();
        }, 20'000));
        typeInto(question, {u"alt+y"_s});
        QVERIFY(client.waitForFinished(20'000));
        QCOMPARE(client.exitStatus(), QProcess::NormalExit);
        QCOMPARE(client.exitCode(), 255);
        QVERIFY(!QFile::exists(settingsFile())); // nothing was saved
    }
};

QTEST_GUILESS_MAIN(WindowProcessTest)
#include "tst_e2e_window.moc"
