// mirevo-server: the presence server that clients announce themselves to and ask for
// the participants.

#include "duration.h"
#include "presenceserver.h"
#include "platform/openfilelimit.h"
#include "platform/unixsignalwatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>

namespace {
std::optional<quint16> parsePort(const QString &text) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    raiseOpenFileLimit();
    QCoreApplication::setApplicationName(QStringLiteral("mirevo-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Presence server for Mirevo clients: records the start and close announcements and\n"
        "answers the participants query by sending the list back to the asking machine."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (default 6711)."),
                                        QStringLiteral("N"), QStringLiteral("6711"));
    const QCommandLineOption bindOption(
        QStringLiteral("bind"),
        QStringLiteral("IPv4 address to listen on (default: every local address)."),
        QStringLiteral("ADDR"), QStringLiteral("0.0.0.0"));
    const QCommandLineOption replyPortOption(
        QStringLiteral("reply-port"),
        QStringLiteral("Port of the clients that answers go to (default 6711)."),
        QStringLiteral("N"), QStringLiteral("6711"));
    const QCommandLineOption fromOption(
        QStringLiteral("from"), QStringLiteral("Sender field of the answers (default empty)."),
        QStringLiteral("TEXT"));
    const QCommandLineOption expireOption(
        QStringLiteral("expire"),
        QStringLiteral(
            "Drop a participant silent for this long: a number with s, m, h or d; a bare number "
            "counts hours; 0 never drops (default 24h)."),
        QStringLiteral("DURATION"), QStringLiteral("24h"));
    parser.addOptions({portOption, bindOption, replyPortOption, fromOption, expireOption});
    parser.process(app);

    QTextStream err(stderr);
    const auto fail = [&](const QString &message) {
        err << "mirevo-server: " << message << Qt::endl;
        return 2;
    };
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument %1")
                        .arg(parser.positionalArguments().constFirst()));

    PresenceServerOptions options;
    const auto port = parsePort(parser.value(portOption));
    if (!port)
        return fail(
            QStringLiteral("--port wants a port number, not %1").arg(parser.value(portOption)));
    options.port = *port;
    const auto replyPort = parsePort(parser.value(replyPortOption));
    if (!replyPort)
        return fail(QStringLiteral("--reply-port wants a port number, not %1")
                        .arg(parser.value(replyPortOption)));
    options.replyPort = *replyPort;
    if (!options.bind.setAddress(parser.value(bindOption)) ||
        options.bind.protocol() != QAbstractSocket::IPv4Protocol)
        return fail(
            QStringLiteral("--bind wants an IPv4 address, not %1").arg(parser.value(bindOption)));
    const auto expire = parseDuration(parser.value(expireOption));
    if (!expire)
        return fail(QStringLiteral("--expire wants a duration such as 24h or 90m, not %1")
                        .arg(parser.value(expireOption)));
    options.expireAfter = *expire;
    options.replyFrom = parser.value(fromOption);

    QTextStream out(stdout);
    UnixSignalWatcher watcher({SIGTERM, SIGINT});
    if (!watcher.isValid())
        return fail(QStringLiteral("cannot watch for SIGTERM"));
    PresenceServer server(options, out);
    if (!server.start()) {
        err << "mirevo-server: cannot listen on " << options.bind.toString() << ':' << options.port
            << ": " << server.errorString() << Qt::endl;
        return 1;
    }

    QObject::connect(&watcher, &UnixSignalWatcher::received, &server, [&server](int signal) {
        server.stop(signal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"));
    });
    QObject::connect(&server, &PresenceServer::stopped, &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
