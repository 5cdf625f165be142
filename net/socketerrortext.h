#pragma once
// The texts of socket failures as the message client reports them: a Winsock-style
// error number, a colon and a short English description.

#include <QAbstractSocket>
#include <QString>

namespace sockerr {

inline constexpr int ConnectionReset = 10054;
inline constexpr int TimedOut = 10060;
inline constexpr int ConnectionRefused = 10061;

// "10061:Connection refused"; "Unknown Error No. <n>" for a number without a description.
QString text(int number);

// The error number that stands for one of Qt's socket errors.
int numberFor(QAbstractSocket::SocketError error);

} // namespace sockerr
