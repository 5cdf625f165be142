#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QtTest>

class TestAutostart : public QObject {
    Q_OBJECT

private:
    static QByteArray execLine(const QByteArray &entry)
    {
        for (const QByteArray &line : entry.split('\n'))
            if (line.startsWith("Exec="))
                return line;
        return {};
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    // Exec takes the path as one argument: quoted when it holds reserved characters,
    // with the quoting escapes and then the string escapes of a desktop entry.
    void execNamesTheExecutable_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QByteArray>("exec");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/mirevo") << QByteArray("Exec=/usr/bin/mirevo");
        QTest::newRow("space") << QStringLiteral("/opt/My Apps/mirevo") << QByteArray("Exec=\"/opt/My Apps/mirevo\"");
        QTest::newRow("quote") << QStringLiteral("/opt/a\"b/mirevo") << QByteArray(R"(Exec="/opt/a\\"b/mirevo")");
        QTest::newRow("dollar") << QStringLiteral("/opt/$HOME/mirevo") << QByteArray(R"(Exec="/opt/\\$HOME/mirevo")");
        QTest::newRow("backslash") << QStringLiteral("/opt/a\\b/mirevo") << QByteArray(R"(Exec="/opt/a\\\\b/mirevo")");
        QTest::newRow("percent") << QStringLiteral("/opt/100%/mirevo") << QByteArray("Exec=/opt/100%%/mirevo");
        QTest::newRow("japanese") << QStringLiteral("/home/山田/mirevo") << QByteArray("Exec=/home/山田/mirevo");
    }

    void execNamesTheExecutable()
    {
        QFETCH(QString, executable);
        QFETCH(QByteArray, exec);
        const QByteArray entry = XdgAutostart::entryText(executable);
        QCOMPARE(execLine(entry), exec);
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nType=Application\n"));
    }

    void enableCreatesAndReplaces()
    {
        QTemporaryDir home;
        const QString path = home.filePath(QStringLiteral("config/autostart/mirevo.desktop"));
        XdgAutostart autostart(path);
        QVERIFY(!autostart.isEnabled());

        autostart.enable(QStringLiteral("/usr/bin/mirevo"));
        QVERIFY(autostart.isEnabled());
        autostart.enable(QStringLiteral("/opt/mirevo/mirevo"));
        QCOMPARE(contents(path), XdgAutostart::entryText(QStringLiteral("/opt/mirevo/mirevo")));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("mirevo.desktop")});

        autostart.disable();
        QVERIFY(!autostart.isEnabled());
        autostart.disable();
    }

    void failedWriteNamesTheFile()
    {
        QTemporaryDir home;
        QFile blocker(home.filePath(QStringLiteral("autostart")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = home.filePath(QStringLiteral("autostart/mirevo.desktop"));
        XdgAutostart autostart(path);
        try {
            autostart.enable(QStringLiteral("/usr/bin/mirevo"));
            QFAIL("no error");
        } catch (const AutostartError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), path + QStringLiteral(" に書き込めません"));
        }
    }

    void defaultEntryFollowsXdgConfigHome()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        QCOMPARE(XdgAutostart::defaultEntryPath(), home.filePath(QStringLiteral("autostart/mirevo.desktop")));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
