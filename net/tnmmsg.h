#pragma once
// The message client: posts one message per TCP connection (two counted CP932 fields,
// then reads the 16-byte reply) and reports its progress through events.

#include <QObject>
#include <QString>
#include <QByteArray>
#include <chrono>
#include <stdexcept>

// A failure of the message exchange; what() is the UTF-8 text shown to the user
// ("Already connected", "Null Remote Address", "Connection Failed", "10061:Connection refused"...).
class ESockError : public std::runtime_error {
public:
    explicit ESockError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

class TNMMsg : public QObject {
    Q_OBJECT
public:
    // Bounds on the waits that the wire format leaves open, so that a silent or
    // unreachable peer cannot hang a send forever.
    struct Timeouts {
        std::chrono::milliseconds connect{15000};
        std::chrono::milliseconds reply{30000};
    };

    explicit TNMMsg(QObject *parent = nullptr);
    TNMMsg(Timeouts timeouts, QObject *parent = nullptr);
    ~TNMMsg() override;

    QString Host;        // destination: host name or dotted IPv4 address
    quint16 Port = 6711; // destination port
    QString FromName;    // sender field of the next message
    int TimeOut = 0;     // kept for the window's setting; the bounds above always apply

    // Posts one message and returns the reply as received (empty when the peer closed
    // without replying). Waits in a nested event loop, so the caller's thread keeps
    // dispatching events. Throws ESockError on failure.
    QByteArray PostIt(const QString &text);

    // True from the start of PostIt until it has returned.
    bool isBusy() const;

    // Empty when FromName and text can be sent; otherwise the message that tells the
    // user why not (a field over 9,999 bytes, a character CP932 cannot carry).
    static QString checkMessage(const QString &fromName, const QString &text);

Q_SIGNALS:
    void OnHostResolved();
    // Connect with a direct connection: the handler may set Handled (and change Host).
    void OnInvalidHost(bool &Handled);
    void OnConnect();
    void OnConnectionFailed();
    void OnDisconnect();

private:
    struct Private;
    Private *d;
};
