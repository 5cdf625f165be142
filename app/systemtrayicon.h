#pragma once
// The tray icon on the desktop: QSystemTrayIcon (a StatusNotifierItem where the desktop
// has a host for them, otherwise an XEmbed icon in the X11 system tray).

#include "platform/trayicon.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>

class SystemTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    // Desktops gain and lose their notification area (a panel that starts late or
    // restarts): availability is looked at every pollInterval and changes are reported.
    explicit SystemTrayIcon(std::chrono::milliseconds pollInterval = std::chrono::seconds(3),
                            QObject *parent = nullptr);
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    void add(const QString &tip, Picture picture) override;
    void setPicture(Picture picture) override;
    void remove() override;

    // Where the icon is on the screen; empty while it is in no notification area.
    QRect geometry() const { return m_icon.geometry(); }

    static QIcon pictureIcon(Picture picture);

private:
    void poll();
    void forward(QSystemTrayIcon::ActivationReason reason);

    bool m_available;
    QSystemTrayIcon m_icon;
    QTimer m_poll;
};
