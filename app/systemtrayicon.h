#pragma once
// The tray icon on the desktop: QSystemTrayIcon (a StatusNotifierItem where the desktop
// has a host for them, otherwise an XEmbed icon in the X11 system tray).

#include "platform/trayicon.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <functional>

class SystemTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    using AvailabilityProbe = std::function<bool()>;
    // Desktops gain and lose their notification area (a panel that starts late or
    // restarts): availability is looked at every pollInterval and changes are reported.
    explicit SystemTrayIcon(AvailabilityProbe probe = &QSystemTrayIcon::isSystemTrayAvailable,
                            std::chrono::milliseconds pollInterval = std::chrono::seconds(3),
                            QObject *parent = nullptr);
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    void add(const QString &tip, Picture picture) override;
    void setPicture(Picture picture) override;
    void remove() override;

    static QIcon pictureIcon(Picture picture);

private:
    void poll();
    void forward(QSystemTrayIcon::ActivationReason reason);

    AvailabilityProbe m_probe;
    bool m_available;
    QSystemTrayIcon m_icon;
    QTimer m_poll;
};
