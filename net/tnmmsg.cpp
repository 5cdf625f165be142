#include "net/tnmmsg.h"

#include "net/cp932.h"
#include "net/socketerrortext.h"
#include "net/wirecodec.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

struct TNMMsg::Private {
    Timeouts timeouts;
    bool busy = false;
};

namespace {

// Holds the client busy for the lifetime of one PostIt, however it ends.
class BusyGuard {
public:
    explicit BusyGuard(bool &busy) : m_busy(busy) { m_busy = true; }
    ~BusyGuard() { m_busy = false; }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    bool &m_busy;
};

// Follows one socket through a nested event loop: the caller's thread keeps dispatching
// its events while the exchange waits.
class SocketWait {
public:
    explicit SocketWait(QTcpSocket &socket)
    {
        QObject::connect(&socket, &QAbstractSocket::errorOccurred, &m_loop,
                         [this](QAbstractSocket::SocketError e) {
                             if (!error)
                                 error = e;
                             recheck();
                         });
        QObject::connect(&socket, &QAbstractSocket::connected, &m_loop, [this] { recheck(); });
        QObject::connect(&socket, &QAbstractSocket::disconnected, &m_loop, [this] { recheck(); });
        QObject::connect(&socket, &QIODevice::readyRead, &m_loop, [this] { recheck(); });
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_loop, [this] {
            timedOut = true;
            m_loop.quit();
        });
    }

    // Waits until `done` holds, an error is reported or `bound` has passed.
    template <class Done>
    void until(Done done, std::chrono::milliseconds bound)
    {
        m_done = done;
        if (m_done() || error)
            return;
        m_timer.start(bound);
        m_loop.exec();
        m_timer.stop();
    }

    std::optional<QAbstractSocket::SocketError> error;
    bool timedOut = false;

private:
    void recheck()
    {
        if (error || (m_done && m_done()))
            m_loop.quit();
    }

    QEventLoop m_loop;
    QTimer m_timer;
    std::function<bool()> m_done;
};

bool isConnectFailure(QAbstractSocket::SocketError e)
{
    return e == QAbstractSocket::ConnectionRefusedError || e == QAbstractSocket::NetworkError
            || e == QAbstractSocket::SocketTimeoutError || e == QAbstractSocket::HostNotFoundError;
}

QString describeCharacter(char32_t c)
{
    const QString code = u"U+%1"_s.arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (c < 0x20 || c == 0x7F)
        return code;
    return u"「%1」(%2)"_s.arg(QString::fromUcs4(&c, 1), code);
}

QString checkField(const QString &what, const QString &value)
{
    const cp932::Encoded encoded = cp932::encode(value);
    if (encoded.unencodable)
        return u"%1に送信できない文字 %2 があります。Shift-JIS (CP932) で表せない文字は送れません"_s
                .arg(what, describeCharacter(*encoded.unencodable));
    if (encoded.bytes.size() > wire::MaxFieldBytes)
        return u"%1が長すぎます (%2 バイト)。送れるのは 9999 バイトまでです"_s
                .arg(what).arg(encoded.bytes.size());
    return {};
}

} // namespace

TNMMsg::TNMMsg(QObject *parent) : TNMMsg(Timeouts{}, parent) {}

TNMMsg::TNMMsg(Timeouts timeouts, QObject *parent) : QObject(parent), d(new Private{timeouts})
{
}

TNMMsg::~TNMMsg()
{
    delete d;
}

bool TNMMsg::isBusy() const
{
    return d->busy;
}

QString TNMMsg::checkMessage(const QString &fromName, const QString &text)
{
    QString problem = checkField(u"送信者欄"_s, fromName);
    if (problem.isEmpty())
        problem = checkField(u"メッセージ"_s, text);
    return problem;
}

namespace {

// A dotted IPv4 address as it is; a name through the resolver, first IPv4 address.
// nullopt when there is no usable address.
std::optional<QHostAddress> lookUp(const QString &host, bool &wasName)
{
    QHostAddress literal;
    if (literal.setAddress(host) && literal.protocol() == QAbstractSocket::IPv4Protocol) {
        wasName = false;
        if (literal == QHostAddress::AnyIPv4)
            return std::nullopt;
        return literal;
    }
    wasName = true;
    std::optional<QHostInfo> info;
    QEventLoop loop;
    QHostInfo::lookupHost(host, &loop, [&](const QHostInfo &result) {
        info = result;
        loop.quit();
    });
    if (!info)
        loop.exec();
    if (info->error() != QHostInfo::NoError)
        return std::nullopt;
    for (const QHostAddress &address : info->addresses()) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (address == QHostAddress::AnyIPv4)
            return std::nullopt;
        return address;
    }
    return std::nullopt;
}

} // namespace

QByteArray TNMMsg::PostIt(const QString &text)
{
    if (d->busy)
        throw ESockError(u"Already connected"_s);
    if (const QString problem = checkMessage(FromName, text); !problem.isEmpty())
        throw ESockError(problem);
    const BusyGuard busy(d->busy);
    const QByteArray senderPart = wire::encodeField(cp932::encode(FromName).bytes);
    const QByteArray textPart = wire::encodeField(cp932::encode(text).bytes);

    // Resolve; the invalid-host handler gets one chance to mend the destination.
    bool wasName = false;
    std::optional<QHostAddress> address = lookUp(Host, wasName);
    if (!address) {
        bool handled = false;
        Q_EMIT OnInvalidHost(handled);
        if (handled)
            address = lookUp(Host, wasName);
        if (!address)
            throw ESockError(u"Null Remote Address"_s);
    }
    if (wasName)
        Q_EMIT OnHostResolved();

    QTcpSocket socket;
    {
        SocketWait wait(socket);
        socket.connectToHost(*address, Port);
        wait.until([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                   d->timeouts.connect);
        if (socket.state() != QAbstractSocket::ConnectedState) {
            socket.abort();
            if (wait.timedOut || (wait.error && isConnectFailure(*wait.error))) {
                Q_EMIT OnConnectionFailed();
                throw ESockError(u"Connection Failed"_s);
            }
            throw ESockError(sockerr::text(sockerr::numberFor(
                    wait.error.value_or(QAbstractSocket::UnknownSocketError))));
        }
    }
    Q_EMIT OnConnect();

    QByteArray reply;
    QString failure;
    {
        SocketWait wait(socket);
        // The sender field and the text go out in two writes, as peers have always seen them.
        socket.write(senderPart);
        socket.flush();
        socket.write(textPart);
        socket.flush();
        wait.until(
                [&] {
                    return socket.bytesAvailable() >= wire::ReplyBytes
                            || socket.state() != QAbstractSocket::ConnectedState;
                },
                d->timeouts.reply);
        if (socket.bytesAvailable() >= wire::ReplyBytes)
            reply = socket.read(wire::ReplyBytes);
        else if (wait.timedOut)
            failure = sockerr::text(sockerr::TimedOut);
        else if (wait.error && *wait.error != QAbstractSocket::RemoteHostClosedError)
            failure = sockerr::text(sockerr::numberFor(*wait.error));
        // otherwise the peer closed without a reply: an empty reply, no error
    }
    socket.abort();
    Q_EMIT OnDisconnect();
    if (!failure.isEmpty())
        throw ESockError(failure);
    return reply;
}
