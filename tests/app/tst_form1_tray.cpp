// Residency in the notification area, with a fake tray: the icon's pictures, the mouse
// notifications and the tray menu, hiding and starting in the tray, the password gate,
// closing, and desktops that have no notification area or lose it.

#include "formfixture.h"
#include "settings/dialogs/tform7.h"

#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

using Picture = TrayIcon::Picture;
using Notification = TrayIcon::Notification;

namespace {

const QString WrongPassword = u"パスワードが違います、大文字や小文字も確認して下さい。"_s;

// One tick of the start-in-tray timer, without waiting for it.
void tick(TForm1 &form)
{
    QVERIFY(QMetaObject::invokeMethod(form.Timer1, "timeout"));
}

void activate(TForm1 &form)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&form, &activation);
}

// What the user does, by name, for the tables below.
void perform(FormFixture &f, const QString &step)
{
    if (step == u"hide")
        f.ui().Button4->click();
    else if (step == u"receipt")
        f.form->NMMSGServ1MSG(u"192.168.0.20"_s, u"taro > hello"_s);
    else if (step == u"double-click")
        f.tray.leftDoubleClick();
    else if (step == u"right-press")
        f.tray.rightButtonPress();
    else if (step == u"other")
        f.tray.otherMouseAction();
    else if (step == u"menu show")
        f.ui().O1->trigger();
    else
        QFAIL(qPrintable(u"unknown step "_s + step));
}

} // namespace

class TrayTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void iconRegisteredAtCreation()
    {
        FormFixture f;
        QVERIFY(f.tray.present);
        QCOMPARE(f.tray.tip, u"Dravin For Windows"_s);
        QCOMPARE(f.tray.picture, Picture::Application);
        QCOMPARE(f.tray.additions, 1);
    }

    void pictureAndWindow_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<Picture>("picture");
        QTest::addColumn<bool>("visible");
        const auto steps = [](const char *list) { return QString::fromUtf8(list).split(u", "_s); };
        QTest::newRow("receipt while hidden") << steps("hide, receipt") << Picture::NewMessage << false;
        QTest::newRow("receipt while shown") << steps("receipt") << Picture::NewMessage << true;
        QTest::newRow("double-click restores both")
            << steps("hide, receipt, double-click") << Picture::Application << true;
        QTest::newRow("double-click on a shown window")
            << steps("receipt, double-click") << Picture::Application << true;
        QTest::newRow("new message again after a double-click")
            << steps("receipt, double-click, receipt") << Picture::NewMessage << true;
        QTest::newRow("menu shows, icon stays")
            << steps("hide, receipt, menu show") << Picture::NewMessage << true;
        QTest::newRow("other mouse actions ignored")
            << steps("hide, receipt, other, other") << Picture::NewMessage << false;
        QTest::newRow("right press only opens the menu")
            << steps("hide, receipt, right-press") << Picture::NewMessage << false;
    }

    void pictureAndWindow()
    {
        QFETCH(QStringList, steps);
        QFETCH(Picture, picture);
        QFETCH(bool, visible);
        FormFixture f;
        f.form->show();
        for (const QString &step : steps)
            perform(f, step);
        QCOMPARE(f.tray.picture, picture);
        QCOMPARE(f.form->isVisible(), visible);
        QVERIFY(!f.form->isMinimized());
        QCOMPARE(f.tray.additions, 1);
    }

    void noticeShowsWindowKeepsNewMessagePicture_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("hidden in the tray") << true;
        QTest::newRow("minimised, no tray") << false;
    }

    void noticeShowsWindowKeepsNewMessagePicture()
    {
        QFETCH(bool, trayAvailable);
        FormFixture f(noListener(), [&](FormFixture &f) { f.tray.available = trayAvailable; });
        f.form->Live.NotifyOnReceipt = true;
        f.form->Live.ShowAfterNotice = true;
        f.form->show();
        perform(f, u"hide"_s);
        perform(f, u"receipt"_s);
        QVERIFY(f.form->isVisible());
        QVERIFY(!f.form->isMinimized());
        if (trayAvailable)
            QCOMPARE(f.tray.picture, Picture::NewMessage);
    }

    void menuOnRightPressOnly_data()
    {
        QTest::addColumn<Notification>("notification");
        QTest::addColumn<bool>("menu");
        QTest::newRow("right press") << Notification::RightButtonPress << true;
        QTest::newRow("double-click") << Notification::LeftDoubleClick << false;
        QTest::newRow("release, move or single click") << Notification::Other << false;
    }

    void menuOnRightPressOnly()
    {
        QFETCH(Notification, notification);
        QFETCH(bool, menu);
        FormFixture f;
        f.form->show();
        const QPoint cursor(300, 200);
        QCursor::setPos(cursor);
        Q_EMIT f.tray.notified(notification);
        QCOMPARE(f.form->PopupMenu1->isVisible(), menu);
        if (menu)
            QCOMPARE(f.form->PopupMenu1->pos(), cursor);
        f.form->PopupMenu1->close();
    }

    void menuItemsCarryTheirCommands()
    {
        FormFixture f;
        const QList<QAction *> items = f.form->PopupMenu1->actions();
        QCOMPARE(items, (QList<QAction *>{f.ui().O1, f.ui().Exit2}));
        QCOMPARE(f.ui().O1->text(), u"デスクトップに表示(&O)"_s);
        QCOMPARE(f.ui().Exit2->text(), u"終了(&C)"_s);
    }

    // The real gate over a stored password: the window comes back only after the right
    // one, and a double-click while the gate is up opens no second gate.
    void passwordGate()
    {
        settingsHome().prepare(u"F3"_s, {u"\"ED1\"=\"Secret1\""_s});
        FormFixture f;
        f.form->Live.PasswordOnPopup = true;
        f.form->Live.NotifyOnReceipt = false;
        f.form->show();
        perform(f, u"hide"_s);

        struct Seen {
            bool gateUp = false, windowHiddenMeanwhile = false, gateOpenSet = false;
            Picture pictureAfterSecondClick = Picture::NewMessage;
            int secondGates = 0;
            bool gateStaysAfterWrongPassword = false;
        } seen;
        QTimer::singleShot(0, f.form.get(), [&] {
            QPointer<TForm7> gate = Form7;
            seen.gateUp = gate && gate->isVisible();
            seen.windowHiddenMeanwhile = !f.form->isVisible();
            seen.gateOpenSet = f.form->GateOpen;
            // A message and a second double-click while the gate is on screen. A second
            // gate, were one to open, is counted and closed.
            perform(f, u"receipt"_s);
            QTimer::singleShot(0, f.form.get(), [&f, &seen, gate] {
                for (TForm7 *other : f.form->findChildren<TForm7 *>())
                    if (other != gate && other->isVisible()) {
                        ++seen.secondGates;
                        other->done(QDialog::Rejected);
                    }
            });
            f.tray.leftDoubleClick();
            seen.pictureAfterSecondClick = f.tray.picture;
            if (!gate)
                return;
            auto *field = gate->findChild<QLineEdit *>(u"Edit1"_s);
            auto *ok = gate->findChild<QPushButton *>(u"Button1"_s);
            field->setText(u"secret1"_s);
            ok->click();
            seen.gateStaysAfterWrongPassword = gate->isVisible() && !f.form->isVisible();
            field->setText(u"Secret1"_s);
            ok->click();
            if (gate && gate->isVisible())
                gate->done(QDialog::Rejected); // never leave the test waiting
        });
        f.tray.leftDoubleClick(); // returns when the gate has closed

        QVERIFY(seen.gateUp);
        QVERIFY(seen.windowHiddenMeanwhile);
        QVERIFY(seen.gateOpenSet);
        QCOMPARE(seen.pictureAfterSecondClick, Picture::Application);
        QCOMPARE(seen.secondGates, 0);
        QVERIFY(seen.gateStaysAfterWrongPassword);
        QCOMPARE(f.dialogs.shown,
                 (QList<ShownBox>{{ShownBox::Box, WrongPassword,
                                   u"Mirevo For Windows クライアント"_s, 16}}));
        QVERIFY(f.form->isVisible());
        QVERIFY(!f.form->GateOpen);

        // The menu item shows the window without the gate.
        perform(f, u"hide"_s);
        perform(f, u"menu show"_s);
        QVERIFY(f.form->isVisible());
        QVERIFY(!Form7);
    }

    void startInTray_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("into the tray") << true;
        QTest::newRow("no notification area: minimised") << false;
    }

    void startInTray()
    {
        QFETCH(bool, trayAvailable);
        FormFixture f;
        f.form->Live.StartInTray = true;
        f.form->show();
        if (!trayAvailable)
            f.tray.setAvailable(false);
        activate(*f.form);
        QVERIFY(f.form->Timer1->isActive());
        QCOMPARE(f.form->Timer1->interval(), 1000);

        tick(*f.form);
        QVERIFY(f.form->isVisible());
        QVERIFY(!f.form->Live.StartInTray);
        QVERIFY(f.form->Timer1->isActive());

        activate(*f.form); // a running timer is not restarted, nor a second one armed
        tick(*f.form);
        QCOMPARE(f.form->TrayTickCount, 2);
        QVERIFY(!f.form->Timer1->isActive());
        QCOMPARE(f.form->isVisible(), !trayAvailable);
        QCOMPARE(f.form->isMinimized(), !trayAvailable);

        // Shown again, the window stays: the flag is gone and the count is past 2.
        perform(f, u"menu show"_s);
        activate(*f.form);
        QVERIFY(!f.form->Timer1->isActive());
        tick(*f.form);
        QVERIFY(f.form->isVisible());
        QVERIFY(!f.form->isMinimized());
    }

    void trayExitClosesAndRemovesIcon()
    {
        FormFixture f;
        f.form->show();
        perform(f, u"hide"_s);
        QSignalSpy closed(f.form.get(), &TForm1::mainWindowClosed);
        perform(f, u"right-press"_s);
        f.ui().Exit2->trigger();
        QCOMPARE(closed.size(), 1);
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!f.tray.present);
        QVERIFY(f.terminations.isEmpty());
    }

    void fastShutdownLeavesIcon()
    {
        FormFixture f;
        f.form->show();
        f.dialogs.answers = {Dialogs::Yes};
        f.ui().K1->trigger();
        QCOMPARE(f.terminations, QList<int>{255});
        QVERIFY(f.tray.present);
    }

    // Without a notification area the window is minimised rather than hidden; an area
    // that appears gets the icon with the picture of the moment.
    void windowStaysReachableWithoutTray()
    {
        FormFixture f(noListener(), [](FormFixture &f) { f.tray.available = false; });
        f.form->show();
        QVERIFY(!f.tray.present);
        perform(f, u"receipt"_s);
        perform(f, u"hide"_s);
        QVERIFY(f.form->isVisible());
        QVERIFY(f.form->isMinimized());
        perform(f, u"menu show"_s);
        QVERIFY(!f.form->isMinimized());

        f.tray.setAvailable(true);
        QVERIFY(f.tray.present);
        QCOMPARE(f.tray.tip, u"Dravin For Windows"_s);
        QCOMPARE(f.tray.picture, Picture::NewMessage);
        perform(f, u"hide"_s);
        QVERIFY(!f.form->isVisible());
    }

    void windowComesBackWhenTrayGoes()
    {
        FormFixture f;
        f.form->show();
        perform(f, u"hide"_s);
        QVERIFY(!f.form->isVisible());
        f.tray.setAvailable(false);
        QVERIFY(f.form->isVisible());
    }

    void closedWindowStaysClosedWhenTrayChanges()
    {
        FormFixture f;
        f.form->show();
        f.ui().Exit2->trigger();
        f.tray.setAvailable(false);
        f.tray.setAvailable(true);
        QVERIFY(!f.form->isVisible());
        QVERIFY(!f.tray.present);
    }
};

QTEST_MAIN(TrayTest)
#include "tst_form1_tray.moc"
