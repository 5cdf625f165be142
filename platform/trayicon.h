#pragma once
// The program's icon in the desktop's notification area (the task tray), behind a small
// interface so that the main window is tested without a desktop.

#include <QObject>
#include <QString>

class TrayIcon : public QObject {
    Q_OBJECT
public:
    enum class Picture { Application, NewMessage };
    Q_ENUM(Picture)
    // What the user did to the icon. The window acts on the first two only.
    enum class Notification { RightButtonPress, LeftDoubleClick, Other };
    Q_ENUM(Notification)

    using QObject::QObject;

    // Whether the desktop has a notification area at the moment.
    virtual bool isAvailable() const = 0;
    // Puts the icon into the notification area (again, when it is there already).
    virtual void add(const QString &tip, Picture picture) = 0;
    // Changes the picture of the icon; an icon that is not there stays absent.
    virtual void setPicture(Picture picture) = 0;
    // Takes the icon out; nothing happens when it is not there.
    virtual void remove() = 0;

Q_SIGNALS:
    void notified(TrayIcon::Notification notification);
    // The notification area has appeared or gone away since the last report.
    void availabilityChanged(bool available);
};
