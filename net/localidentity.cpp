#include "net/localidentity.h"

LocalIdentity::LocalIdentity(OsQueries &os, IdentityView &view)
    : m_os(os), m_view(view)
{
}

LocalIdentity::AtCreation LocalIdentity::create(bool warnNoMac)
{
    if (!startSockets())
        return {};
    const std::optional<Shown> shown = readNameAddressAndReset(warnNoMac);
    m_os.stopSockets();
    // The fields are empty at creation, so an unreadable host name leaves both values empty.
    if (!shown)
        return {true, {}, {}};
    return {true, shown->address, shown->computerName};
}

void LocalIdentity::show()
{
    // An unreadable user name leaves the field as it is, like every other failed read.
    if (const std::optional<QString> user = m_os.userName())
        m_view.setUserName(*user);
    if (const std::optional<MacAddress> mac = m_os.adapterStatus())
        m_view.setMacAddress(formatMacAddress(*mac));
}

void LocalIdentity::refresh(bool warnNoMac)
{
    if (!startSockets())
        return;
    readNameAddressAndReset(warnNoMac);
    m_os.stopSockets();
    show();
}

QString LocalIdentity::formatMacAddress(const MacAddress &mac)
{
    return QString::asprintf("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3],
                             mac[4], mac[5]);
}

bool LocalIdentity::startSockets()
{
    const OsQueries::SocketStart start = m_os.startSockets(OsQueries::SocketVersion11);
    if (!start.started)
        return false;
    if (start.grantedVersion != OsQueries::SocketVersion11) {
        m_os.stopSockets();
        return false;
    }
    return true;
}

std::optional<LocalIdentity::Shown> LocalIdentity::readNameAddressAndReset(bool warnNoMac)
{
    const std::optional<QString> name = m_os.hostName();
    if (!name)
        return std::nullopt;
    m_view.setComputerName(*name);
    const QString address = m_os.firstIPv4Address(*name).value_or(NoAddressText);
    m_view.setAddress(address);
    if (!m_os.resetAdapter()) {
        m_view.setMacAddress(NoMacText);
        if (warnNoMac)
            m_view.showWarning(NoMacWarning, WarningCaption, WarningFlags);
    }
    return Shown{*name, address};
}
