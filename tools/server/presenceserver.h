#pragma once
// The presence server's daemon side: listens for announcements and queries, keeps the
// registry, answers each query by posting the list to the asking machine, and prints one
// line per event.

#include "participants.h"

#include <QHostAddress>
#include <QObject>
#include <QTextStream>
#include <chrono>

class ReplyQueue;
class TNMMSGServ;
class TNMMsg;
class QTimer;

struct PresenceServerOptions {
    QHostAddress bind = QHostAddress::AnyIPv4;
    quint16 port = 6711;
    quint16 replyPort = 6711;
    QString replyFrom;                                         // sender field of the answers
    std::chrono::seconds expireAfter = std::chrono::hours(24); // zero: never
};

class PresenceServer : public QObject {
    Q_OBJECT
public:
    PresenceServer(const PresenceServerOptions &options, QTextStream &log,
                   QObject *parent = nullptr);
    ~PresenceServer() override;

    // Starts listening; false, with the reason in errorString(), when the port cannot be taken.
    bool start();
    QString errorString() const;

    // Sends nothing more; stopped() follows once an answer under way is over.
    void stop(const QString &reason);

Q_SIGNALS:
    void stopped();

private:
    void onMessage(const QString &sFrom, const QString &sMsg, const QHostAddress &peer);
    void answer(const QString &destination);
    void expireSilent();
    void logEvent(const QString &line);

    PresenceServerOptions m_options;
    QTextStream &m_log;
    Participants m_participants;
    TNMMSGServ *m_listener;
    TNMMsg *m_client;
    ReplyQueue *m_replies;
    QTimer *m_expiryTimer;
    bool m_stopping = false;
};
