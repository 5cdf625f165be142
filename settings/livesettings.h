#pragma once
// In-memory settings shared by the main window and its dialogs. Plain values, used on
// the user-interface thread only; every flag false and every string empty until loaded.

#include <QString>

struct LiveSettings {
    bool NotifyOnReceipt = false;
    bool SendOwnIp = false;
    bool ShowAfterNotice = false;
    bool StartInTray = false;
    bool PasswordOnPopup = false;
    bool WarnNoMac = false;
    bool ServerLinkEnabled = false;
    bool SendFailed = false;
    QString ServerHost;
    QString OwnIp;
    QString OwnComputerName;
    QString StoredPassword;
    QString EnteredPassword;
};
