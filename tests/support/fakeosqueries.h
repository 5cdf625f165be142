#pragma once
// Operating-system queries for tests: every answer is a plain member to set, and every
// call is logged in order, so a test can see what was asked and whether the socket layer
// was stopped again.

#include "net/osqueries.h"

#include <QStringList>

class FakeOsQueries : public OsQueries {
public:
    SocketStart socketStart{true, SocketVersion11};
    std::optional<QString> host = QStringLiteral("pc01");
    std::optional<QString> address = QStringLiteral("192.168.1.10");
    std::optional<QString> user = QStringLiteral("taro");
    bool resetSucceeds = true;
    std::optional<MacAddress> mac = MacAddress{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

    // "startSockets(257)", "stopSockets", "hostName", "firstIPv4Address(pc01)", "userName",
    // "resetAdapter", "adapterStatus"
    QStringList calls;
    int socketsRunning = 0; // starts that succeeded minus stops

    SocketStart startSockets(quint16 requestedVersion) override;
    void stopSockets() override;
    std::optional<QString> hostName() override;
    std::optional<QString> firstIPv4Address(const QString &host) override;
    std::optional<QString> userName() override;
    bool resetAdapter() override;
    std::optional<MacAddress> adapterStatus() override;
};
