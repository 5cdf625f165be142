#pragma once
// Sends the answers to queries one at a time. A send waits in a nested event loop, during
// which further messages keep arriving and may queue more answers here; they are sent in
// turn once the current one is over, never inside it. A destination already waiting is not
// queued twice: it gets the list as it stands when its turn comes.

#include <QObject>
#include <QStringList>
#include <functional>

class ReplyQueue : public QObject {
    Q_OBJECT
public:
    using Send = std::function<void(const QString &destination)>;

    ReplyQueue(Send send, int capacity, QObject *parent = nullptr);

    enum class Queued { Yes, AlreadyWaiting, Full, Stopped };
    // Never sends from inside the call: sending starts from the event loop.
    Queued enqueue(const QString &destination);

    bool isSending() const { return m_sending; }
    QStringList waiting() const { return m_waiting; }

    // Drops what is waiting and sends nothing more; idle() follows once a send under way
    // (if any) is over.
    void stop();

Q_SIGNALS:
    void idle();

private:
    void drain();

    Send m_send;
    int m_capacity;
    QStringList m_waiting;
    bool m_sending = false;
    bool m_drainScheduled = false;
    bool m_stopped = false;
};
