// A headless message listener for load measurements: the product's TNMMSGServ with its
// real limits, each message delivered to this (the owner's) thread and counted there as
// the window's handler would receive it, with nothing printed per message.
// On SIGTERM or SIGINT it prints its counts and its peak resident memory, and exits 0.
//
// usage: listener [--bind ADDR] [--port N]     (default 127.0.0.1, port 16712)

#include "net/tnmmsgserv.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray peakResidentKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().chopped(3).trimmed();  // "1234 kB" -> "1234"
    }
    return "?";
}

} // namespace

int main(int argc, char *argv[])
{
    // Blocked before any thread starts, so that every thread inherits the mask and the
    // signals arrive only through the descriptor read on this thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (stopFd < 0) {
        std::perror("listener: signalfd");
        return 2;
    }

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({u"bind"_s, u"IPv4 address to listen on."_s, u"ADDR"_s, u"127.0.0.1"_s});
    parser.addOption({u"port"_s, u"Port to listen on."_s, u"N"_s, u"16712"_s});
    parser.process(app);
    bool portOk = false;
    const uint port = parser.value(u"port"_s).toUInt(&portOk);
    const QHostAddress address(parser.value(u"bind"_s));
    if (!portOk || port > 65535 || address.protocol() != QAbstractSocket::IPv4Protocol) {
        std::fprintf(stderr, "listener: bad --port or --bind\n");
        return 2;
    }

    TNMMSGServ server(TNMMSGServ::Limits{});
    server.Port = quint16(port);

    quint64 contacts = 0, messages = 0, textBytes = 0;
    QObject owner;
    QObject::connect(&server, &TNMMSGServ::OnClientContact, &owner, [&contacts] { ++contacts; });
    QObject::connect(&server, &TNMMSGServ::OnMSG, &owner,
                     [&messages, &textBytes](const QString &sFrom, const QString &sMsg) {
                         ++messages;
                         textBytes += quint64(sFrom.size() + sMsg.size());
                     });

    QSocketNotifier stopNotifier(stopFd, QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [stopFd] {
        signalfd_siginfo info;
        (void)!::read(stopFd, &info, sizeof info);
        QCoreApplication::quit();
    });

    if (!server.listen(address)) {
        std::fprintf(stderr, "listener: cannot listen on %s:%u: %s\n", qPrintable(address.toString()), port,
                     qPrintable(server.errorString()));
        return 1;
    }
    std::fprintf(stderr, "listener: pid %d listening %s:%u\n", int(::getpid()), qPrintable(address.toString()),
                 unsigned(server.serverPort()));
    QCoreApplication::exec();

    std::printf("listener: messages %llu contacts %llu text_chars %llu peak_rss_kb %s\n",
                static_cast<unsigned long long>(messages), static_cast<unsigned long long>(contacts),
                static_cast<unsigned long long>(textBytes), peakResidentKb().constData());
    std::fflush(stdout);
    return 0;
}
