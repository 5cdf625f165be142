#pragma once
// The message listener: accepts connections on its own thread, reads the two counted
// fields, writes the reply and hands each message to the owner's thread in arrival order.

#include <QObject>
#include <QString>
#include <QHostAddress>
#include <chrono>

class TNMMSGServ : public QObject {
    Q_OBJECT
public:
    // Bounds that keep idle or slow peers from holding the listener.
    struct Limits {
        std::chrono::milliseconds readTimeout{30000};   // accept to both fields read
        std::chrono::milliseconds lingerAfterReply{30000};
        int maxConnections = 20000;                    // the oldest unfinished one makes room
    };

    explicit TNMMSGServ(QObject *parent = nullptr);
    TNMMSGServ(Limits limits, QObject *parent = nullptr);
    ~TNMMSGServ() override; // closes the listening socket and every open connection

    quint16 Port = 6711;

    // Starts listening on the address (every local IPv4 address by default) and Port.
    // Returns false, with errorString() set, when the port cannot be taken.
    bool listen(const QHostAddress &address = QHostAddress::AnyIPv4);
    bool isListening() const;
    quint16 serverPort() const; // the port actually bound (useful with Port = 0)
    QString errorString() const;

Q_SIGNALS:
    void OnClientContact();
    // peer is the connecting machine's address; handlers may take only the first two.
    void OnMSG(const QString &sFrom, const QString &sMsg, const QHostAddress &peer);

private:
    struct Private;
    Private *d;
};
