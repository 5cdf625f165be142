#include "scriptedpeer.h"

#include "net/wirecodec.h"

#include <QTcpSocket>
#include <memory>

ScriptedPeer::ScriptedPeer(Answer answer, QObject *parent) : QObject(parent), m_answer(answer)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

bool ScriptedPeer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void ScriptedPeer::serve(QTcpSocket *socket)
{
    ++m_connections;
    socket->setParent(this);
    auto decoder = std::make_shared<wire::MessageDecoder>();
    auto bytes = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, decoder, bytes] {
        const QByteArray chunk = socket->readAll();
        if (decoder->status() != wire::MessageDecoder::Status::NeedMore)
            return;
        const auto result = decoder->feed(chunk);
        *bytes += chunk.first(result.consumed);
        if (result.status != wire::MessageDecoder::Status::Complete)
            return;
        m_messages.append(*bytes);
        Q_EMIT messageReceived(*bytes);
        switch (m_answer) {
        case Answer::Reply:
            socket->write(wire::reply());
            break;
        case Answer::CloseWithoutReply:
            socket->close();
            break;
        case Answer::Silent:
            break;
        }
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}
