#pragma once
// What the main window takes from outside. The entry routine passes the desktop's real
// services; tests pass fakes and their own addresses, ports and time bounds.

#include "net/tnmmsg.h"
#include "net/tnmmsgserv.h"

#include <QHostAddress>
#include <functional>

class Dialogs;
class Hold;
class OsQueries;
class TrayIcon;

// Ends the process at once with the status: no handler, destructor or buffer flush runs.
[[noreturn]] void terminateAtOnce(int status);

struct FormServices {
    Dialogs &dialogs;
    Hold &hold; // the pause after a closed connection
    TrayIcon &tray; // the icon in the notification area
    OsQueries &os;  // host name, addresses, user name and adapter of this machine
    std::function<void(int status)> terminate = terminateAtOnce; // fast shutdown
};

struct NetworkOptions {
    bool listen = true; // start the listener with the window
    QHostAddress listenAddress = QHostAddress::AnyIPv4;
    quint16 listenPort = 6711;
    quint16 sendPort = 6711;
    TNMMsg::Timeouts timeouts{};
    TNMMSGServ::Limits limits{};
};
