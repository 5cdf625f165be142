#pragma once
// The identity queries answered by Linux: the host name and its resolver entry, the
// network interfaces and the password database.

#include "net/osqueries.h"

class LinuxOsQueries : public OsQueries {
public:
    // Nothing needs starting here: every start succeeds with the version 1.1.
    SocketStart startSockets(quint16 requestedVersion) override;
    void stopSockets() override;

    std::optional<QString> hostName() override;
    // Hosts that map the host name to a loopback address only (Debian writes 127.0.1.1
    // into /etc/hosts) get the first IPv4 address of an interface that is up, running
    // and not loopback instead; without such an interface the loopback address stands.
    std::optional<QString> firstIPv4Address(const QString &host) override;
    // The user of the effective user id, from the password database.
    std::optional<QString> userName() override;

    // The adapter is the first interface that is up, not loopback and has a non-zero
    // six-byte hardware address; the reset fails when there is none.
    bool resetAdapter() override;
    std::optional<MacAddress> adapterStatus() override;
};
