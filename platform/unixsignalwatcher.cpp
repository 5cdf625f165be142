#include "platform/unixsignalwatcher.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t writeEnd = -1;

// Async-signal-safe: one byte, the signal's number, wakes the event loop.
void onSignal(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (writeEnd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    }
    errno = saved;
}

} // namespace

UnixSignalWatcher::UnixSignalWatcher(std::initializer_list<int> watched, QObject *parent)
    : QObject(parent), m_signals(watched)
{
    Q_ASSERT(writeEnd < 0);
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_signals.clear();
        return;
    }
    writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalWatcher::drain);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : m_signals)
        ::sigaction(signal, &action, nullptr);
}

UnixSignalWatcher::~UnixSignalWatcher()
{
    for (int signal : m_signals)
        ::signal(signal, SIG_DFL);
    if (writeEnd == m_pipe[1])
        writeEnd = -1;
    for (int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

void UnixSignalWatcher::drain()
{
    unsigned char bytes[64];
    ssize_t count;
    while ((count = ::read(m_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT received(bytes[i]);
    }
}
