#include "presencemessage.h"

#include <QStringList>

namespace {
const QString connectedTail = QStringLiteral(" Connected 接続されました");
const QString disconnectedTail = QStringLiteral(" Disconnected 切断されました");

// "computer address": the address is the last blank-separated word (empty when the
// client had none), so a computer name may itself contain blanks.
PresenceMessage parseAnnouncement(PresenceMessage::Kind kind, const QString &middle) {
    const qsizetype lastBlank = middle.lastIndexOf(u' ');
    if (lastBlank < 0)
        return {};
    const QString word = middle.mid(lastBlank + 1);
    QString address;
    if (!word.isEmpty()) {
        const std::optional<quint32> value = parseDottedIPv4(word);
        if (!value)
            return {};
        address = QHostAddress(*value).toString(); // "010.0.0.2" and "10.0.0.2" are one machine
    }
    return {kind, middle.left(lastBlank), address};
}
} // namespace

PresenceMessage parsePresenceMessage(const QString &text) {
    if (text == u"0")
        return {PresenceMessage::Kind::Query, {}, {}};
    if (!text.startsWith(u' '))
        return {};
    if (text.endsWith(connectedTail))
        return parseAnnouncement(PresenceMessage::Kind::Connected,
                                 text.mid(1, text.size() - 1 - connectedTail.size()));
    if (text.endsWith(disconnectedTail))
        return parseAnnouncement(PresenceMessage::Kind::Disconnected,
                                 text.mid(1, text.size() - 1 - disconnectedTail.size()));
    return {};
}

std::optional<quint32> parseDottedIPv4(const QString &text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        for (QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        const uint octet = part.toUInt();
        if (octet > 255)
            return std::nullopt;
        value = value << 8 | octet;
    }
    return value;
}

QString peerIPv4(const QHostAddress &peer) {
    bool ok = false;
    const quint32 v4 = peer.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : QString();
}

QString replyDestination(const QString &senderField, const QHostAddress &peer) {
    const std::optional<quint32> field = parseDottedIPv4(senderField);
    // 0.0.0.0 and the broadcast address name no machine to connect to.
    if (field && *field != 0 && *field != 0xFFFFFFFFu)
        return QHostAddress(*field).toString();
    return peerIPv4(peer);
}
