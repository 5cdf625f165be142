#pragma once
// What clients send to the presence server: the start and close announcements
//   " " + computer + " " + address + " Connected 接続されました"
//   " " + computer + " " + address + " Disconnected 切断されました"
// and the participants query "0".

#include <QHostAddress>
#include <QString>
#include <optional>

struct PresenceMessage {
    enum class Kind { Connected, Disconnected, Query, Malformed };
    Kind kind = Kind::Malformed;
    QString computer; // announcements only; may hold blanks or be empty
    QString address;  // announcements only; a dotted IPv4 address or empty

    friend bool operator==(const PresenceMessage &, const PresenceMessage &) = default;
};

PresenceMessage parsePresenceMessage(const QString &text);

// The value of a strict dotted-quad IPv4 address ("10.0.0.2"), nothing for anything else.
std::optional<quint32> parseDottedIPv4(const QString &text);

// The IPv4 address of a connection's peer as dotted text (IPv4-mapped IPv6 unwrapped),
// empty when the peer has none.
QString peerIPv4(const QHostAddress &peer);

// Where the answer to a query goes: the sender field when it is an IPv4 address a
// connection can go to, otherwise the address the query came from.
QString replyDestination(const QString &senderField, const QHostAddress &peer);
