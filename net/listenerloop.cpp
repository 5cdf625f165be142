#include "net/listenerloop.h"

#include "net/wirecodec.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

struct ListenerLoop::Connection {
    int fd = -1;  // -1 once closed; the record lives on until the current batch of events is done
    quint32 peer = 0;
    bool replied = false;
    Clock::time_point deadline;
    wire::MessageDecoder decoder;
    Connection *prev = nullptr;
    Connection *next = nullptr;
};

// Connections in the order of their deadlines (all share one bound, so oldest first).
struct ListenerLoop::Queue {
    Connection *head = nullptr;
    Connection *tail = nullptr;
    int size = 0;

    void pushBack(Connection *c)
    {
        c->prev = tail;
        c->next = nullptr;
        (tail ? tail->next : head) = c;
        tail = c;
        ++size;
    }
    void remove(Connection *c)
    {
        (c->prev ? c->prev->next : head) = c->next;
        (c->next ? c->next->prev : tail) = c->prev;
        c->prev = c->next = nullptr;
        --size;
    }
};

namespace {
// epoll tags for the two descriptors that are not connections
char listenTag;
char wakeTag;
constexpr auto AcceptPause = std::chrono::milliseconds(100);
} // namespace

struct ListenerLoop::State {
    int listenFd;
    int epollFd = -1;
    int wakeFd = -1;
    Limits limits;
    Sink sink;
    std::vector<ListenerEvent> produced;  // handed to the sink at the end of each round
    Queue unfinished;  // still reading the message
    Queue lingering;   // replied, waiting for the peer's close
    std::vector<Connection *> closed;  // freed after the current batch of events
    bool acceptPaused = false;
    Clock::time_point acceptResumes;
    char buffer[65536];

    void acceptAll();
    void onReadable(Connection *c);
    void replyAndDeliver(Connection *c);
    void close(Connection *c);
    bool makeRoom();
    void sweep(Clock::time_point now);
    int msUntilNextDeadline(Clock::time_point now) const;
    void watchListener(bool on);
};

void ListenerLoop::State::watchListener(bool on)
{
    if (on) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.ptr = &listenTag;
        epoll_ctl(epollFd, EPOLL_CTL_ADD, listenFd, &ev);
    } else {
        epoll_ctl(epollFd, EPOLL_CTL_DEL, listenFd, nullptr);
    }
}

void ListenerLoop::State::close(Connection *c)
{
    (c->replied ? lingering : unfinished).remove(c);
    ::close(c->fd);
    c->fd = -1;
    closed.push_back(c);
}

// Drops the oldest connection that has been answered, or else the oldest unfinished one.
bool ListenerLoop::State::makeRoom()
{
    Connection *victim = lingering.head ? lingering.head : unfinished.head;
    if (!victim)
        return false;
    close(victim);
    return true;
}

void ListenerLoop::State::acceptAll()
{
    for (;;) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const int fd = accept4(listenFd, reinterpret_cast<sockaddr *>(&address), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                if (makeRoom())
                    continue;
                // Nothing of ours to close: stop accepting for a moment instead of spinning.
                watchListener(false);
                acceptPaused = true;
                acceptResumes = Clock::now() + AcceptPause;
            }
            return;
        }
        if (unfinished.size + lingering.size >= limits.maxConnections)
            makeRoom();
        auto *c = new Connection;
        c->fd = fd;
        c->peer = ntohl(address.sin_addr.s_addr);
        c->deadline = Clock::now() + limits.readTimeout;
        unfinished.pushBack(c);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.ptr = c;
        if (epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev) < 0) {
            close(c);
            continue;
        }
        produced.push_back(ListenerEvent{ListenerEvent::Kind::Contact, {}, {}, c->peer});
        // A sender writes at once, so its message is often here already.
        onReadable(c);
    }
}

void ListenerLoop::State::onReadable(Connection *c)
{
    for (;;) {
        const ssize_t n = ::read(c->fd, buffer, sizeof buffer);
        if (n > 0) {
            if (c->replied)  // bytes after the text are ignored
                continue;
            const wire::MessageDecoder::Result result = c->decoder.feed(QByteArrayView(buffer, n));
            if (result.status == wire::MessageDecoder::Status::Complete) {
                replyAndDeliver(c);
                return;
            }
            if (result.status == wire::MessageDecoder::Status::NotANumber) {
                close(c);
                return;
            }
            if (size_t(n) < sizeof buffer)
                return;
        } else if (n == 0) {  // the peer has closed
            if (!c->replied && c->decoder.finish() == wire::MessageDecoder::Status::Complete)
                replyAndDeliver(c);
            if (c->fd >= 0)
                close(c);
            return;
        } else {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                close(c);
            return;
        }
    }
}

void ListenerLoop::State::replyAndDeliver(Connection *c)
{
    static const QByteArray reply = wire::reply();
    const ssize_t sent = ::send(c->fd, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL);
    if (sent != reply.size()) {  // the peer has gone: the message is lost with it
        close(c);
        return;
    }
    unfinished.remove(c);
    c->replied = true;
    c->deadline = Clock::now() + limits.lingerAfterReply;
    lingering.pushBack(c);
    produced.push_back(ListenerEvent{ListenerEvent::Kind::Message, c->decoder.sender(), c->decoder.text(), c->peer});
}

void ListenerLoop::State::sweep(Clock::time_point now)
{
    while (unfinished.head && unfinished.head->deadline <= now)
        close(unfinished.head);
    while (lingering.head && lingering.head->deadline <= now)
        close(lingering.head);
    if (acceptPaused && acceptResumes <= now) {
        acceptPaused = false;
        watchListener(true);
    }
}

int ListenerLoop::State::msUntilNextDeadline(Clock::time_point now) const
{
    Clock::time_point next = Clock::time_point::max();
    if (unfinished.head)
        next = std::min(next, unfinished.head->deadline);
    if (lingering.head)
        next = std::min(next, lingering.head->deadline);
    if (acceptPaused)
        next = std::min(next, acceptResumes);
    if (next == Clock::time_point::max())
        return -1;
    if (next <= now)
        return 0;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return int(std::min<decltype(wait)>(wait, 60'000));
}

ListenerLoop::ListenerLoop(int listenFd, Limits limits, Sink sink)
    : m_state(new State{listenFd, -1, -1, limits, std::move(sink), {}, {}, {}, {}, false, {}, {}})
{
    m_state->epollFd = epoll_create1(EPOLL_CLOEXEC);
    m_state->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_state->epollFd < 0 || m_state->wakeFd < 0) {
        const int error = errno;
        if (m_state->epollFd >= 0)
            ::close(m_state->epollFd);
        if (m_state->wakeFd >= 0)
            ::close(m_state->wakeFd);
        ::close(listenFd);
        delete m_state;
        throw std::system_error(error, std::generic_category());
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.ptr = &wakeTag;
    epoll_ctl(m_state->epollFd, EPOLL_CTL_ADD, m_state->wakeFd, &ev);
    m_state->watchListener(true);
    m_thread = std::thread([this] { run(); });
}

ListenerLoop::~ListenerLoop()
{
    m_stop = true;
    const quint64 one = 1;
    (void)!::write(m_state->wakeFd, &one, sizeof one);
    m_thread.join();
    State &s = *m_state;
    while (s.unfinished.head)
        s.close(s.unfinished.head);
    while (s.lingering.head)
        s.close(s.lingering.head);
    for (Connection *c : s.closed)
        delete c;
    ::close(s.listenFd);
    ::close(s.wakeFd);
    ::close(s.epollFd);
    delete m_state;
}

void ListenerLoop::run()
{
    State &s = *m_state;
    epoll_event events[256];
    while (!m_stop.load(std::memory_order_relaxed)) {
        const int n = epoll_wait(s.epollFd, events, 256, s.msUntilNextDeadline(Clock::now()));
        for (int i = 0; i < n; ++i) {
            void *tag = events[i].data.ptr;
            if (tag == &listenTag) {
                s.acceptAll();
            } else if (tag == &wakeTag) {
                quint64 count;
                (void)!::read(s.wakeFd, &count, sizeof count);
            } else if (auto *c = static_cast<Connection *>(tag); c->fd >= 0) {
                s.onReadable(c);
            }
        }
        // One hand-over per round rather than per event: the owner's thread is woken once
        // for everything that arrived together.
        if (!s.produced.empty()) {
            s.sink(s.produced);
            s.produced.clear();
        }
        s.sweep(Clock::now());
        for (Connection *c : s.closed)
            delete c;
        s.closed.clear();
    }
}
