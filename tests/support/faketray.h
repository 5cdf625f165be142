#pragma once
// A tray icon for tests: keeps what the desktop would show and lets the test play the
// user's mouse actions and the notification area coming and going.

#include "platform/trayicon.h"

#include <QString>

class FakeTray : public TrayIcon {
    Q_OBJECT
public:
    bool available = true;
    bool present = false; // the icon is in the notification area
    QString tip;
    Picture picture = Picture::Application;
    int additions = 0; // times the icon was put in

    bool isAvailable() const override { return available; }
    void add(const QString &tip, Picture picture) override;
    void setPicture(Picture picture) override;
    void remove() override;

    void rightButtonPress() { Q_EMIT notified(Notification::RightButtonPress); }
    void leftDoubleClick() { Q_EMIT notified(Notification::LeftDoubleClick); }
    void otherMouseAction() { Q_EMIT notified(Notification::Other); }
    // The notification area appears or goes away; an icon in it goes with it.
    void setAvailable(bool available);
};
