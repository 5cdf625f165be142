#include "net/socketerrortext.h"

namespace sockerr {

QString text(int number)
{
    const char *description = nullptr;
    switch (number) {
    case 10013: description = "Permission denied"; break;
    case 10024: description = "Too many open files"; break;
    case 10045: description = "Operation not supported"; break;
    case 10048: description = "Address already in use"; break;
    case 10049: description = "Cannot assign requested address"; break;
    case 10050: description = "Network is down"; break;
    case 10051: description = "Network is unreachable"; break;
    case 10053: description = "Software caused connection abort"; break;
    case ConnectionReset: description = "Connection reset by peer"; break;
    case 10055: description = "No buffer space available"; break;
    case TimedOut: description = "Connection timed out"; break;
    case ConnectionRefused: description = "Connection refused"; break;
    case 10065: description = "No route to host"; break;
    case 11001: description = "Host not found"; break;
    default: break;
    }
    if (!description)
        return QStringLiteral("Unknown Error No. %1").arg(number);
    return QStringLiteral("%1:%2").arg(number).arg(QLatin1StringView(description));
}

int numberFor(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return ConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError: return ConnectionReset;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return TimedOut;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    default:
        // Errors without a Winsock counterpart keep Qt's own number, outside Winsock's range.
        return int(error) < 0 ? 0 : int(error);
    }
}

} // namespace sockerr
