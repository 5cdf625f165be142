#include "signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};

void onSignal(int signo) {
    const int savedErrno = errno;
    const char byte = char(signo);
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[0], &byte, 1);
    errno = savedErrno;
}
} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeFds) != 0)
        return;
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(pipeFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readSignal);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

SignalWatcher::~SignalWatcher() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void SignalWatcher::readSignal() {
    char byte = 0;
    if (::read(pipeFds[1], &byte, 1) != 1)
        return;
    Q_EMIT terminationRequested(byte == SIGINT ? QStringLiteral("SIGINT")
                                               : QStringLiteral("SIGTERM"));
}
