#include "presenceserver.h"

#include "duration.h"
#include "participantlist.h"
#include "presencemessage.h"
#include "replyqueue.h"

#include "net/tnmmsg.h"
#include "net/tnmmsgserv.h"

#include <QTimer>
#include <algorithm>

using namespace std::chrono_literals;

namespace {
// Queries from more machines than this at once are answered only when the queue has room.
constexpr int maxWaitingReplies = 256;

// LAN timeouts: a reply that cannot be delivered should not hold up the next asker long.
const TNMMsg::Timeouts replyTimeouts{5s, 10s};

// A received text made safe for one log line: quoted, control characters escaped, shortened.
QString printable(const QString &text) {
    constexpr qsizetype maxChars = 80;
    QString out = QStringLiteral("\"");
    for (QChar c : text.left(maxChars)) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    out += u'"';
    if (text.size() > maxChars)
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    return out;
}

QString describe(const QString &computer, const QString &address) {
    return QStringLiteral("%1 %2").arg(printable(computer), address);
}
} // namespace

PresenceServer::PresenceServer(const PresenceServerOptions &options, QTextStream &log,
                               QObject *parent)
    : QObject(parent), m_options(options), m_log(log),
      m_participants([] { return QDateTime::currentDateTime(); }, options.expireAfter),
      m_listener(new TNMMSGServ(this)), m_client(new TNMMsg(replyTimeouts, this)),
      m_replies(new ReplyQueue([this](const QString &destination) { answer(destination); },
                               maxWaitingReplies, this)),
      m_expiryTimer(new QTimer(this)) {
    m_listener->Port = options.port;
    m_client->Port = options.replyPort;
    m_client->FromName = options.replyFrom;
    connect(m_listener, &TNMMSGServ::OnMSG, this, &PresenceServer::onMessage);
    connect(m_replies, &ReplyQueue::idle, this, [this] {
        if (m_stopping) {
            logEvent(QStringLiteral("stopped"));
            Q_EMIT stopped();
        }
    });

    if (options.expireAfter > 0s) {
        const auto interval =
            std::clamp<std::chrono::milliseconds>(options.expireAfter / 2, 1s, 60s);
        m_expiryTimer->setInterval(interval);
        connect(m_expiryTimer, &QTimer::timeout, this, &PresenceServer::expireSilent);
    }
}

PresenceServer::~PresenceServer() = default;

bool PresenceServer::start() {
    if (!m_listener->listen(m_options.bind))
        return false;
    const QString expiry = m_options.expireAfter > 0s
                               ? QStringLiteral("participants silent for %1 are dropped")
                                     .arg(formatDuration(m_options.expireAfter))
                               : QStringLiteral("participants never expire");
    logEvent(QStringLiteral("listening on %1:%2, answers go to port %3, %4")
                 .arg(m_options.bind.toString())
                 .arg(m_listener->serverPort())
                 .arg(m_options.replyPort)
                 .arg(expiry));
    if (m_options.expireAfter > 0s)
        m_expiryTimer->start();
    return true;
}

QString PresenceServer::errorString() const {
    return m_listener->errorString();
}

void PresenceServer::stop(const QString &reason) {
    if (m_stopping)
        return;
    m_stopping = true;
    logEvent(QStringLiteral("stopping on %1").arg(reason));
    disconnect(m_listener, &TNMMSGServ::OnMSG, this, &PresenceServer::onMessage);
    m_expiryTimer->stop();
    const QStringList dropped = m_replies->waiting();
    for (const QString &destination : dropped)
        logEvent(QStringLiteral("query from %1 not answered: stopping").arg(destination));
    m_replies->stop();
}

void PresenceServer::onMessage(const QString &sFrom, const QString &sMsg,
                               const QHostAddress &peer) {
    const PresenceMessage message = parsePresenceMessage(sMsg);
    const QString peerAddress = peerIPv4(peer);
    // A client that found no address of its own announces an empty one: the connection's
    // address stands in for it.
    const QString address = message.address.isEmpty() ? peerAddress : message.address;

    switch (message.kind) {
    case PresenceMessage::Kind::Connected:
        switch (m_participants.connect(message.computer, address)) {
        case Participants::Change::Renewed:
            logEvent(QStringLiteral("connected again %1").arg(describe(message.computer, address)));
            break;
        default:
            logEvent(QStringLiteral("connected %1").arg(describe(message.computer, address)));
            break;
        }
        break;
    case PresenceMessage::Kind::Disconnected:
        if (m_participants.disconnect(message.computer, address) == Participants::Change::Removed)
            logEvent(QStringLiteral("disconnected %1").arg(describe(message.computer, address)));
        else
            logEvent(QStringLiteral("disconnected %1 (was not a participant)")
                         .arg(describe(message.computer, address)));
        break;
    case PresenceMessage::Kind::Query: {
        const QString destination = replyDestination(sFrom, peer);
        if (destination.isEmpty()) {
            logEvent(
                QStringLiteral("query from %1 ignored: no address to answer").arg(peer.toString()));
            break;
        }
        m_participants.seen(destination);
        switch (m_replies->enqueue(destination)) {
        case ReplyQueue::Queued::Yes:
        case ReplyQueue::Queued::AlreadyWaiting:
            break;
        case ReplyQueue::Queued::Full:
            logEvent(QStringLiteral("query from %1 not answered: too many queries waiting")
                         .arg(destination));
            break;
        case ReplyQueue::Queued::Stopped:
            logEvent(QStringLiteral("query from %1 not answered: stopping").arg(destination));
            break;
        }
        break;
    }
    case PresenceMessage::Kind::Malformed:
        logEvent(QStringLiteral("ignored a message from %1 (sender field %2): %3")
                     .arg(peerAddress, printable(sFrom), printable(sMsg)));
        break;
    }
}

void PresenceServer::answer(const QString &destination) {
    expireSilent();
    const QList<Participant> participants = m_participants.list();
    const QStringList texts = formatParticipantList(participants, QDateTime::currentDateTime());
    m_client->Host = destination;
    try {
        for (const QString &text : texts)
            m_client->PostIt(text);
        logEvent(QStringLiteral("query from %1 answered (%2 in the list)")
                     .arg(destination)
                     .arg(participants.size()));
    } catch (const ESockError &e) {
        logEvent(QStringLiteral("query from %1 failed: %2").arg(destination, e.text()));
    }
}

void PresenceServer::expireSilent() {
    for (const Participant &p : m_participants.expire()) {
        logEvent(QStringLiteral("expired %1 (silent since %2)")
                     .arg(describe(p.computer, p.address), p.lastSeen.toString(Qt::ISODate)));
    }
}

void PresenceServer::logEvent(const QString &line) {
    m_log << QDateTime::currentDateTime().toString(Qt::ISODate) << u' ' << line << Qt::endl;
}
