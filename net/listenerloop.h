#pragma once
// The listener's network side: one thread with an epoll loop over non-blocking sockets,
// serving every connection (read the two fields, write the reply, wait for the peer's
// close) with a small record per connection and two deadline queues.

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

struct ListenerEvent {
    enum class Kind { Contact, Message } kind;
    QByteArray sender;
    QByteArray text;
    quint32 peer = 0;  // IPv4 address, host byte order
};

class ListenerLoop {
public:
    struct Limits {
        std::chrono::milliseconds readTimeout;
        std::chrono::milliseconds lingerAfterReply;
        int maxConnections;
    };
    // Called on the loop's thread once per round of socket events with what that round
    // produced, in order; it takes the events out of the vector.
    using Sink = std::function<void(std::vector<ListenerEvent> &)>;

    // Takes over listenFd, a listening non-blocking socket. Throws std::system_error
    // when the loop cannot be set up.
    ListenerLoop(int listenFd, Limits limits, Sink sink);
    ~ListenerLoop();  // stops the thread and closes every socket

    ListenerLoop(const ListenerLoop &) = delete;
    ListenerLoop &operator=(const ListenerLoop &) = delete;

private:
    struct Connection;
    struct Queue;
    struct State;

    void run();

    State *m_state;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
