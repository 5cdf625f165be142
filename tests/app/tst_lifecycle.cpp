// The main window's life: the ways it ends, its place, activation and the version box.

#include "app/aboutbox.h"
#include "app/sessionend.h"
#include "app/windowplacement.h"
#include "formfixture.h"
#include "ui_aboutbox.h"

#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {
const QString ExitQuestion = u"アプリケーションを終了してもよろしいですか？"_s;
const QString FastShutdownQuestion =
    u"高速シャットダウンは、正常に終了出来ない時しか使用しないで下さい。アプリケーションを終了しますか？"_s;
} // namespace

class LifecycleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { isolateUserFiles(); }

    void exitWithConfirmation_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("button, yes") << u"Button7"_s << int(Dialogs::Yes) << true;
        QTest::newRow("button, no") << u"Button7"_s << int(Dialogs::No) << false;
        QTest::newRow("menu, yes") << u"Exit1"_s << int(Dialogs::Yes) << true;
        QTest::newRow("menu, no") << u"Exit1"_s << int(Dialogs::No) << false;
    }

    void exitWithConfirmation()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        FormFixture f;
        f.form->show();
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        f.dialogs.answers = {answer};

        if (command == u"Button7")
            f.ui().Button7->click();
        else
            f.ui().Exit1->trigger();

        const ShownBox question{ShownBox::Box, ExitQuestion, u"Mirevo For Windows"_s, 36};
        QCOMPARE(f.dialogs.shown, QList<ShownBox>{question});
        QCOMPARE(closed.size(), closes ? 1 : 0);
        QCOMPARE(f.form->isVisible(), !closes);
        QVERIFY(f.terminations.isEmpty());
    }

    void trayExitAsksNothing_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden in the tray") << false;
    }

    void trayExitAsksNothing()
    {
        QFETCH(bool, visible);
        FormFixture f;
        f.form->setVisible(visible);
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        f.ui().Exit2->trigger();
        QVERIFY(f.dialogs.shown.isEmpty());
        QCOMPARE(closed.size(), 1);
        QVERIFY(!f.form->isVisible());
    }

    void fastShutdown_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("terminations");
        QTest::newRow("yes") << int(Dialogs::Yes) << QList<int>{255};
        QTest::newRow("no") << int(Dialogs::No) << QList<int>{};
    }

    void fastShutdown()
    {
        QFETCH(int, answer);
        FormFixture f;
        f.form->show();
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        f.dialogs.answers = {answer};
        f.ui().K1->trigger();
        const ShownBox question{ShownBox::Box, FastShutdownQuestion, u"Mirevo For Windows クライアント"_s, 292};
        QCOMPARE(f.dialogs.shown, QList<ShownBox>{question});
        QTEST(f.terminations, "terminations");
        QCOMPARE(closed.size(), 0); // the close sequence does not run
    }

    void windowManagerCloseIsIgnored()
    {
        FormFixture f;
        f.form->show();
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        QVERIFY(!f.form->close());
        QVERIFY(f.form->isVisible());
        QCOMPARE(closed.size(), 0);
    }

    void queuedCloseRunsFromTheEventLoop()
    {
        FormFixture f;
        f.form->show();
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        f.form->queueClose();
        QCOMPARE(closed.size(), 0);
        QVERIFY(closed.wait());
        QVERIFY(!f.form->isVisible());
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void sessionEndSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void sessionEndSignals()
    {
        QFETCH(int, signal);
        FormFixture f;
        SessionEndWatcher watcher;
        connect(&watcher, &SessionEndWatcher::endRequested, f.form.get(), &TForm1::queueClose);
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        ::raise(signal);
        QVERIFY(closed.wait());
        QCOMPARE(closed.size(), 1);
    }

    void centredPosition_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("even") << QSize(1280, 1024) << QSize(690, 540) << QPoint(295, 242);
        QTest::newRow("odd differences truncate") << QSize(1024, 768) << QSize(695, 541) << QPoint(164, 113);
        QTest::newRow("screen smaller than window") << QSize(640, 480) << QSize(645, 485) << QPoint(-2, -2);
    }

    void centredPosition()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, window);
        QTEST(::centredPosition(screen, window), "position");
    }

    void opensCentredOnThePrimaryScreen()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(f.form->frameGeometry().topLeft(),
                 ::centredPosition(screen, f.form->frameGeometry().size()));
    }

    void activation_data()
    {
        QTest::addColumn<bool>("startInTray");
        QTest::newRow("start in tray") << true;
        QTest::newRow("normal start") << false;
    }

    void activation()
    {
        QFETCH(bool, startInTray);
        FormFixture f;
        f.form->Live.StartInTray = startInTray;
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(f.form.get(), &activate);
        QCOMPARE(f.form->Timer1->isActive(), startInTray);
        QCOMPARE(f.form->Timer1->interval(), 1000);
    }

    void versionBox()
    {
        FormFixture f;
        f.form->show();
        QPointer<TAboutBox> seen;
        bool modal = false;
        QString name, version;
        QTimer::singleShot(0, this, [&] {
            seen = qobject_cast<TAboutBox *>(QApplication::activeModalWidget());
            QVERIFY(seen);
            QCOMPARE(AboutBox, seen.data());
            QCOMPARE(seen->parentWidget(), f.form.get());
            modal = seen->isModal();
            name = seen->ui->ProductName->text();
            version = seen->ui->Version->text();
            seen->accept();
        });
        f.ui().About1->trigger();
        QVERIFY(modal);
        QCOMPARE(name, u"Mirevo for Linux"_s);
        QVERIFY2(version.contains(QRegularExpression(u"\\d+\\.\\d+"_s)), qPrintable(version));
        QTRY_VERIFY(seen.isNull()); // released when closed
        QCOMPARE(AboutBox, nullptr);
    }
};

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
