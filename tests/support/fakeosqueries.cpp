#include "support/fakeosqueries.h"

OsQueries::SocketStart FakeOsQueries::startSockets(quint16 requestedVersion)
{
    calls << QStringLiteral("startSockets(%1)").arg(requestedVersion);
    if (socketStart.started)
        ++socketsRunning;
    return socketStart;
}

void FakeOsQueries::stopSockets()
{
    calls << QStringLiteral("stopSockets");
    --socketsRunning;
}

std::optional<QString> FakeOsQueries::hostName()
{
    calls << QStringLiteral("hostName");
    return host;
}

std::optional<QString> FakeOsQueries::firstIPv4Address(const QString &name)
{
    calls << QStringLiteral("firstIPv4Address(%1)").arg(name);
    return address;
}

std::optional<QString> FakeOsQueries::userName()
{
    calls << QStringLiteral("userName");
    return user;
}

bool FakeOsQueries::resetAdapter()
{
    calls << QStringLiteral("resetAdapter");
    return resetSucceeds;
}

std::optional<MacAddress> FakeOsQueries::adapterStatus()
{
    calls << QStringLiteral("adapterStatus");
    return mac;
}
