#include "net/tnmmsgserv.h"

#include "net/cp932.h"
#include "net/listenerloop.h"

#include <QPointer>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

struct TNMMSGServ::Private {
    TNMMSGServ *q;
    Limits limits;
    std::unique_ptr<ListenerLoop> loop;
    quint16 boundPort = 0;
    QString error;

    // Handed over by the listener's thread; the owner's thread is woken once per batch.
    std::mutex mutex;
    std::vector<ListenerEvent> arrived;
    // Taken over by the owner's thread, delivered one at a time (also re-entrantly, when
    // a handler runs a nested event loop) in arrival order.
    std::deque<ListenerEvent> inbox;

    void handOver(std::vector<ListenerEvent> &events);
    void deliver();
    bool fail(const QString &text);
};

void TNMMSGServ::Private::handOver(std::vector<ListenerEvent> &events)
{
    bool wake;
    {
        const std::lock_guard lock(mutex);
        wake = arrived.empty();
        if (wake)
            arrived.swap(events);  // the emptied vector goes back to the loop for reuse
        else
            std::move(events.begin(), events.end(), std::back_inserter(arrived));
    }
    if (wake)
        QMetaObject::invokeMethod(q, [this] { deliver(); }, Qt::QueuedConnection);
}

void TNMMSGServ::Private::deliver()
{
    {
        const std::lock_guard lock(mutex);
        for (ListenerEvent &event : arrived)
            inbox.push_back(std::move(event));
        arrived.clear();
    }
    const QPointer<TNMMSGServ> alive(q);
    while (alive && !inbox.empty()) {
        const ListenerEvent event = std::move(inbox.front());
        inbox.pop_front();
        try {
            if (event.kind == ListenerEvent::Kind::Contact)
                Q_EMIT q->OnClientContact();
            else
                Q_EMIT q->OnMSG(cp932::decode(event.sender), cp932::decode(event.text),
                                QHostAddress(event.peer));
        } catch (...) {
            // A failing handler ends the handling of its own message only.
        }
    }
}

bool TNMMSGServ::Private::fail(const QString &text)
{
    error = text;
    return false;
}

TNMMSGServ::TNMMSGServ(QObject *parent) : TNMMSGServ(Limits{}, parent) {}

TNMMSGServ::TNMMSGServ(Limits limits, QObject *parent) : QObject(parent), d(new Private{this, limits, {}, 0, {}, {}, {}, {}})
{
}

TNMMSGServ::~TNMMSGServ()
{
    d->loop.reset();  // joins the listener's thread before anything it uses goes away
    delete d;
}

bool TNMMSGServ::listen(const QHostAddress &address)
{
    if (d->loop)
        return d->fail(u"already listening"_s);
    sockaddr_in bindAddress{};
    bindAddress.sin_family = AF_INET;
    bindAddress.sin_port = htons(Port);
    if (address == QHostAddress::Any || address == QHostAddress::AnyIPv4) {
        bindAddress.sin_addr.s_addr = htonl(INADDR_ANY);
    } else {
        bool ipv4 = false;
        const quint32 ip = address.toIPv4Address(&ipv4);
        if (!ipv4)
            return d->fail(u"not an IPv4 address: %1"_s.arg(address.toString()));
        bindAddress.sin_addr.s_addr = htonl(ip);
    }

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return d->fail(QString::fromLocal8Bit(std::strerror(errno)));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&bindAddress), sizeof bindAddress) < 0
        || ::listen(fd, SOMAXCONN) < 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) < 0) {
        const int error = errno;
        ::close(fd);
        return d->fail(QString::fromLocal8Bit(std::strerror(error)));
    }
    const ListenerLoop::Limits limits{d->limits.readTimeout, d->limits.lingerAfterReply,
                                      std::max(1, d->limits.maxConnections)};
    try {
        d->loop = std::make_unique<ListenerLoop>(
                fd, limits, [d = d](std::vector<ListenerEvent> &events) { d->handOver(events); });
    } catch (const std::system_error &e) {
        return d->fail(QString::fromLocal8Bit(e.what()));
    }
    d->boundPort = ntohs(bound.sin_port);
    d->error.clear();
    return true;
}

bool TNMMSGServ::isListening() const
{
    return d->loop != nullptr;
}

quint16 TNMMSGServ::serverPort() const
{
    return d->boundPort;
}

QString TNMMSGServ::errorString() const
{
    return d->error;
}
