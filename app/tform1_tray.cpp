// Residency in the notification area: the tray icon and its pictures, the icon's mouse
// notifications and menu, hiding into the tray and starting there.
//
// Desktops without a notification area (or whose panel has gone away) must not lose the
// window: it is hidden only while its icon can be in a notification area, otherwise it is
// minimised; an area that appears later gets the icon, and when the area goes away while
// the window is hidden, the window comes back.

#include "app/tform1.h"

#include "settings/dialogs/tform7.h"
#include "ui_tform1.h"

#include <QCursor>
#include <QMenu>
#include <QScopeGuard>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString TrayTip = u"Dravin For Windows"_s;
}

void TForm1::connectTray()
{
    TrayIcon &tray = m_services.tray;
    connect(&tray, &TrayIcon::notified, this,
            guard([this](TrayIcon::Notification notification) { TrayIconNotify(notification); }));
    connect(&tray, &TrayIcon::availabilityChanged, this,
            guard([this](bool available) { trayAvailabilityChanged(available); }));
    connect(ui->Button4, &QPushButton::clicked, this, guard([this] { Button4Click(); }));
    connect(ui->O1, &QAction::triggered, this, guard([this] { O1Click(); }));
    connect(Timer1, &QTimer::timeout, this, guard([this] { Timer1Timer(); }));
}

void TForm1::registerTrayIcon()
{
    m_trayRegistered = true;
    m_trayPicture = TrayIcon::Picture::Application;
    m_services.tray.add(TrayTip, m_trayPicture);
}

void TForm1::showTrayPicture(TrayIcon::Picture picture)
{
    m_trayPicture = picture;
    m_services.tray.setPicture(picture);
}

void TForm1::removeTrayIcon()
{
    m_trayRegistered = false;
    m_services.tray.remove();
}

void TForm1::TrayIconNotify(TrayIcon::Notification notification)
{
    switch (notification) {
    case TrayIcon::Notification::RightButtonPress: {
        const QPoint cursor = QCursor::pos();
        if (isVisible())
            activateWindow();
        PopupMenu1->popup(cursor);
        return;
    }
    case TrayIcon::Notification::LeftDoubleClick:
        showTrayPicture(TrayIcon::Picture::Application);
        if (GateOpen)
            return;
        {
            // Cleared on every way out, or no later double-click would bring the window back.
            const auto gateClosed = qScopeGuard([this] { GateOpen = false; });
            if (Live.PasswordOnPopup) {
                GateOpen = true;
                TForm7::showModal(this, m_services.dialogs, Live, [this] { bringToFront(); });
            }
            bringToFront();
        }
        return;
    case TrayIcon::Notification::Other:
        return;
    }
}

void TForm1::Button4Click()
{
    hideIntoTray();
}

void TForm1::O1Click()
{
    bringToFront();
}

// Started by FormActivate while StartInTray is set; TrayTickCount is never reset, so the
// window hides at the second tick of the run and never again.
void TForm1::Timer1Timer()
{
    ++TrayTickCount;
    if (TrayTickCount == 2) {
        hideIntoTray();
        Timer1->stop();
    }
    Live.StartInTray = false;
}

void TForm1::hideIntoTray()
{
    if (m_trayRegistered && m_services.tray.isAvailable())
        hide();
    else
        showMinimized();
}

void TForm1::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TForm1::trayAvailabilityChanged(bool available)
{
    if (available) {
        if (m_trayRegistered)
            m_services.tray.add(TrayTip, m_trayPicture);
    } else if (m_trayRegistered && isHidden()) {
        bringToFront();
    }
}
