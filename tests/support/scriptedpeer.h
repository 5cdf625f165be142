#pragma once
// A listener for client tests on loopback: reads one message per connection with the
// wire decoder, keeps the raw bytes and then replies, closes or stays silent.

#include <QByteArray>
#include <QList>
#include <QTcpServer>

class QTcpSocket;

class ScriptedPeer : public QObject {
    Q_OBJECT
public:
    enum class Answer { Reply, CloseWithoutReply, Silent };

    explicit ScriptedPeer(Answer answer = Answer::Reply, QObject *parent = nullptr);

    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_server.serverPort(); }
    void setAnswer(Answer answer) { m_answer = answer; }

    int connections() const { return m_connections; }
    // The bytes each connection sent, up to the end of its message.
    QList<QByteArray> messages() const { return m_messages; }

Q_SIGNALS:
    // A whole message has arrived; the answer follows when the handlers have returned.
    void messageReceived(const QByteArray &bytes);

private:
    void serve(QTcpSocket *socket);

    QTcpServer m_server;
    Answer m_answer;
    int m_connections = 0;
    QList<QByteArray> m_messages;
};
