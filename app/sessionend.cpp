#include "app/sessionend.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t writeEnd = -1;

// Async-signal-safe: one byte into the pipe wakes the event loop.
void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    if (writeEnd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    }
    errno = saved;
}

constexpr int WatchedSignals[] = {SIGTERM, SIGHUP};

} // namespace

SessionEndWatcher::SessionEndWatcher(QObject *parent) : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        writeEnd = m_pipe[1];
        m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndWatcher::drain);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : WatchedSignals)
            ::sigaction(signal, &action, nullptr);
    }
#if QT_CONFIG(sessionmanager)
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &SessionEndWatcher::endRequested);
#endif
}

SessionEndWatcher::~SessionEndWatcher()
{
    for (int signal : WatchedSignals)
        ::signal(signal, SIG_DFL);
    writeEnd = -1;
    for (int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

void SessionEndWatcher::drain()
{
    char bytes[64];
    bool any = false;
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0)
        any = true;
    if (any)
        Q_EMIT endRequested();
}
