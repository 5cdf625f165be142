#pragma once
// The machine's network identity as the main window shows it: computer name, IPv4
// address, user name and MAC address, read at the window's creation, at every show and
// on the user's request.

#include "net/osqueries.h"

#include <QString>

// The four identity fields and the warning box, as the main window provides them.
class IdentityView {
public:
    virtual ~IdentityView() = default;
    virtual void setComputerName(const QString &text) = 0; // Edit7
    virtual void setAddress(const QString &text) = 0;      // Edit6
    virtual void setUserName(const QString &text) = 0;     // Edit5
    virtual void setMacAddress(const QString &text) = 0;   // Edit4
    // A modal box with a caption and the box flags; returns when it has been closed.
    virtual void showWarning(const QString &text, const QString &caption, int flags) = 0;
};

class LocalIdentity {
public:
    static inline const QString NoAddressText = QStringLiteral("0 or DHCPサーバ割当");
    static inline const QString NoMacText = QStringLiteral("取得出来ません");
    static inline const QString NoMacWarning = QStringLiteral(
        "MACアドレスを取得出来ません、ネットワークカードが正しく認識されていない可能性があります。");
    static inline const QString WarningCaption = QStringLiteral("Mirevo For Windows");
    static constexpr int WarningFlags = 64; // information icon, OK button

    // What the window's creation found. When the socket layer could not be started the
    // rest of the window's creation is skipped and `ownIp` and `ownComputerName` must not
    // be set; otherwise they are the texts the creation left in the address and
    // computer-name fields (empty when the host name could not be read).
    struct AtCreation {
        bool socketsStarted = false;
        QString ownIp;
        QString ownComputerName;
    };

    LocalIdentity(OsQueries &os, IdentityView &view);

    // At the window's creation: computer name, address and adapter reset.
    AtCreation create(bool warnNoMac);
    // Every time the window is shown: user name and MAC address.
    void show();
    // The "取得" button: everything again; OwnIp and OwnComputerName are not touched.
    void refresh(bool warnNoMac);

    static QString formatMacAddress(const MacAddress &mac);

private:
    bool startSockets();
    struct Shown {
        QString computerName;
        QString address;
    };
    std::optional<Shown> readNameAddressAndReset(bool warnNoMac);

    OsQueries &m_os;
    IdentityView &m_view;
};
