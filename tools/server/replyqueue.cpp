#include "replyqueue.h"

#include <QTimer>

ReplyQueue::ReplyQueue(Send send, int capacity, QObject *parent)
    : QObject(parent), m_send(std::move(send)), m_capacity(capacity) {}

ReplyQueue::Queued ReplyQueue::enqueue(const QString &destination) {
    if (m_stopped)
        return Queued::Stopped;
    if (m_waiting.contains(destination))
        return Queued::AlreadyWaiting;
    if (m_waiting.size() >= m_capacity)
        return Queued::Full;
    m_waiting.append(destination);
    if (!m_sending && !m_drainScheduled) {
        m_drainScheduled = true;
        QTimer::singleShot(0, this, &ReplyQueue::drain);
    }
    return Queued::Yes;
}

void ReplyQueue::stop() {
    m_stopped = true;
    m_waiting.clear();
    if (!m_sending)
        QTimer::singleShot(0, this, &ReplyQueue::idle);
}

void ReplyQueue::drain() {
    m_drainScheduled = false;
    if (m_sending)
        return;
    m_sending = true;
    while (!m_waiting.isEmpty() && !m_stopped)
        m_send(m_waiting.takeFirst());
    m_sending = false;
    Q_EMIT idle();
}
