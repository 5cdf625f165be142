#include "app/systemtrayicon.h"

#include <QIcon>

using namespace Qt::StringLiterals;

// The pictures are built into the program; a static library's resources are attached
// by name.
static void attachPictures()
{
    Q_INIT_RESOURCE(resources);
}

SystemTrayIcon::SystemTrayIcon(std::chrono::milliseconds pollInterval, QObject *parent)
    : TrayIcon(parent), m_available(QSystemTrayIcon::isSystemTrayAvailable())
{
    attachPictures();
    connect(&m_icon, &QSystemTrayIcon::activated, this, &SystemTrayIcon::forward);
    m_poll.setInterval(pollInterval);
    connect(&m_poll, &QTimer::timeout, this, &SystemTrayIcon::poll);
    m_poll.start();
}

SystemTrayIcon::~SystemTrayIcon() = default;

QIcon SystemTrayIcon::pictureIcon(Picture picture)
{
    attachPictures();
    return QIcon(picture == Picture::NewMessage ? u":/icons/icon4.svg"_s
                                                : u":/icons/mainicon.svg"_s);
}

bool SystemTrayIcon::isAvailable() const
{
    return m_available;
}

void SystemTrayIcon::add(const QString &tip, Picture picture)
{
    // Hiding first makes the icon register afresh with a notification area that has
    // just appeared.
    m_icon.hide();
    m_icon.setToolTip(tip);
    m_icon.setIcon(pictureIcon(picture));
    m_icon.show();
}

void SystemTrayIcon::setPicture(Picture picture)
{
    m_icon.setIcon(pictureIcon(picture));
}

void SystemTrayIcon::remove()
{
    m_icon.hide();
}

void SystemTrayIcon::poll()
{
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == m_available)
        return;
    m_available = available;
    Q_EMIT availabilityChanged(available);
}

void SystemTrayIcon::forward(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        Q_EMIT notified(Notification::RightButtonPress);
        return;
    case QSystemTrayIcon::DoubleClick:
        Q_EMIT notified(Notification::LeftDoubleClick);
        return;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    Q_EMIT notified(Notification::Other);
}
