#include "platform/linuxosqueries.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace {

std::optional<QHostAddress> firstNonLoopbackInterfaceAddress()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QList<QNetworkAddressEntry> entries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback())
                return entry.ip();
        }
    }
    return std::nullopt;
}

// "02:11:22:33:44:55" as six bytes; nothing for other lengths and for all zeros.
std::optional<MacAddress> parseHardwareAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 6)
        return std::nullopt;
    MacAddress mac{};
    bool nonZero = false;
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        const uint byte = parts[i].toUInt(&ok, 16);
        if (!ok || parts[i].size() != 2)
            return std::nullopt;
        mac[i] = static_cast<quint8>(byte);
        nonZero = nonZero || byte != 0;
    }
    if (!nonZero)
        return std::nullopt;
    return mac;
}

std::optional<MacAddress> firstAdapterAddress()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (const std::optional<MacAddress> mac = parseHardwareAddress(iface.hardwareAddress()))
            return mac;
    }
    return std::nullopt;
}

} // namespace

OsQueries::SocketStart LinuxOsQueries::startSockets(quint16)
{
    return {true, SocketVersion11};
}

void LinuxOsQueries::stopSockets() {}

std::optional<QString> LinuxOsQueries::hostName()
{
    QString name = QHostInfo::localHostName();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> LinuxOsQueries::firstIPv4Address(const QString &host)
{
    const QHostInfo info = QHostInfo::fromName(host);
    if (info.error() != QHostInfo::NoError)
        return std::nullopt;
    std::optional<QHostAddress> first;
    bool onlyLoopback = true;
    const QList<QHostAddress> addresses = info.addresses();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (!first)
            first = address;
        onlyLoopback = onlyLoopback && address.isLoopback();
    }
    if (!first)
        return std::nullopt;
    if (onlyLoopback) {
        if (const std::optional<QHostAddress> machine = firstNonLoopbackInterfaceAddress())
            return machine->toString();
    }
    return first->toString();
}

std::optional<QString> LinuxOsQueries::userName()
{
    const long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 1024);
    passwd entry{};
    passwd *found = nullptr;
    int error = 0;
    while ((error = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE
           && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error != 0 || !found || !found->pw_name || !*found->pw_name)
        return std::nullopt;
    return QString::fromLocal8Bit(found->pw_name);
}

bool LinuxOsQueries::resetAdapter()
{
    return firstAdapterAddress().has_value();
}

std::optional<MacAddress> LinuxOsQueries::adapterStatus()
{
    return firstAdapterAddress();
}
