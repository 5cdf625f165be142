#pragma once
// The operating-system queries behind the machine's network identity, behind one small
// interface so that tests can make each of them fail.

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

using MacAddress = std::array<quint8, 6>;

class OsQueries {
public:
    // The socket layer's version as major in the low byte and minor in the high byte:
    // 1.1 is 257.
    static constexpr quint16 SocketVersion11 = 0x0101;

    struct SocketStart {
        bool started = false;
        quint16 grantedVersion = 0; // meaningful only when started
    };

    virtual ~OsQueries() = default;

    // Starts the socket layer, asking for `requestedVersion`; stopSockets() undoes a start.
    virtual SocketStart startSockets(quint16 requestedVersion) = 0;
    virtual void stopSockets() = 0;

    // The machine's host name; nothing when it cannot be read.
    virtual std::optional<QString> hostName() = 0;
    // The first IPv4 address that `host` resolves to, in dotted form; nothing when the
    // lookup fails or yields no IPv4 address.
    virtual std::optional<QString> firstIPv4Address(const QString &host) = 0;
    // The logged-on user's name; nothing when it cannot be read.
    virtual std::optional<QString> userName() = 0;

    // Reset of the network adapter the MAC address is read from; false when it fails.
    virtual bool resetAdapter() = 0;
    // That adapter's hardware address; nothing when the status cannot be read.
    virtual std::optional<MacAddress> adapterStatus() = 0;
};
