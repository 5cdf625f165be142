// mirevo-msg: the message transport on the command line.
//   mirevo-msg send [--from FIELD] [--port N] HOST [TEXT]   posts one message
//   mirevo-msg listen [--bind ADDR] [--port N]             prints every message received

#include "net/tnmmsg.h"
#include "net/tnmmsgserv.h"
#include "platform/openfilelimit.h"
#include "platform/unixsignalwatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &text)
{
    QTextStream(stderr) << "mirevo-msg: " << text << '\n';
    return 2;
}

std::optional<quint16> parsePort(const QCommandLineParser &parser, const QCommandLineOption &option,
                                 quint16 fallback)
{
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const uint port = parser.value(option).toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return quint16(port);
}

// Backslash, newline, carriage return and tab as \\ \n \r \t: one message, one line.
QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += u"\\\\"_s; break;
        case '\n': out += u"\\n"_s; break;
        case '\r': out += u"\\r"_s; break;
        case '\t': out += u"\\t"_s; break;
        default: out += c; break;
        }
    }
    return out;
}

int send(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Posts one message and waits for the reply."_s);
    parser.addHelpOption();
    const QCommandLineOption from(u"from"_s, u"The sender field (empty by default)."_s, u"FIELD"_s);
    const QCommandLineOption port(u"port"_s, u"The destination port (6711)."_s, u"N"_s);
    parser.addOptions({from, port});
    parser.addPositionalArgument(u"send"_s, u"The command."_s);
    parser.addPositionalArgument(u"HOST"_s, u"Host name or dotted IPv4 address."_s);
    parser.addPositionalArgument(u"TEXT"_s, u"The text; read from standard input when absent."_s, u"[TEXT]"_s);
    parser.process(arguments);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || positional.size() > 3)
        return fail(u"usage: mirevo-msg send [--from FIELD] [--port N] HOST [TEXT]"_s);
    const std::optional<quint16> destinationPort = parsePort(parser, port, 6711);
    if (!destinationPort)
        return fail(u"not a port number: %1"_s.arg(parser.value(port)));

    QString text;
    if (positional.size() == 3) {
        text = positional.at(2);
    } else {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return fail(u"cannot read standard input"_s);
        text = QString::fromUtf8(in.readAll());
        if (text.endsWith(u'\n'))
            text.chop(text.endsWith(u"\r\n"_s) ? 2 : 1);
    }

    TNMMsg client;
    client.Host = positional.at(1);
    client.Port = *destinationPort;
    client.FromName = parser.value(from);
    try {
        client.PostIt(text);
    } catch (const ESockError &e) {
        QTextStream(stderr) << e.text() << '\n';
        return 1;
    }
    return 0;
}

int listen(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
            u"Prints every message received, one line each: the sender field, a tab, the text."_s);
    parser.addHelpOption();
    const QCommandLineOption bind(u"bind"_s, u"The local IPv4 address (all by default)."_s, u"ADDR"_s);
    const QCommandLineOption port(u"port"_s, u"The listening port (6711)."_s, u"N"_s);
    parser.addOptions({bind, port});
    parser.addPositionalArgument(u"listen"_s, u"The command."_s);
    parser.process(arguments);
    if (parser.positionalArguments().size() != 1)
        return fail(u"usage: mirevo-msg listen [--bind ADDR] [--port N]"_s);
    const std::optional<quint16> listenPort = parsePort(parser, port, 6711);
    if (!listenPort)
        return fail(u"not a port number: %1"_s.arg(parser.value(port)));
    QHostAddress address = QHostAddress::AnyIPv4;
    if (parser.isSet(bind) && !address.setAddress(parser.value(bind)))
        return fail(u"not an address: %1"_s.arg(parser.value(bind)));

    UnixSignalWatcher stopSignals({SIGINT, SIGTERM});
    if (!stopSignals.isValid())
        return fail(u"cannot set up signal handling"_s);
    QObject::connect(&stopSignals, &UnixSignalWatcher::received, qApp, &QCoreApplication::quit);

    raiseOpenFileLimit();

    TNMMSGServ server;
    server.Port = *listenPort;
    // Lines are written in batches: one flush after each run of messages delivered together.
    QTimer flush;
    flush.setSingleShot(true);
    flush.setInterval(0);
    QObject::connect(&flush, &QTimer::timeout, &server, [] { std::fflush(stdout); });
    QObject::connect(&server, &TNMMSGServ::OnMSG, &server,
                     [&flush](const QString &sFrom, const QString &sMsg, const QHostAddress &) {
                         const QByteArray line = (escaped(sFrom) + u'\t' + escaped(sMsg) + u'\n').toUtf8();
                         std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
                         if (!flush.isActive())
                             flush.start();
                     });
    if (!server.listen(address))
        return fail(u"cannot listen on %1 port %2: %3"_s.arg(address.toString()).arg(*listenPort).arg(server.errorString()));
    QTextStream(stderr) << "mirevo-msg: listening on " << address.toString() << " port "
                        << server.serverPort() << Qt::endl;
    QCoreApplication::exec();
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"mirevo-msg"_s);
    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.size() > 1 ? arguments.at(1) : QString();
    if (command == u"send")
        return send(arguments);
    if (command == u"listen")
        return listen(arguments);
    return fail(u"usage: mirevo-msg send [--from FIELD] [--port N] HOST [TEXT]\n"
                "       mirevo-msg listen [--bind ADDR] [--port N]"_s);
}
