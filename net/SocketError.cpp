#include "net/SocketError.h"

#include <cerrno>
#include <system_error>

ESocketError::ESocketError(const QString &message) : std::runtime_error(message.toStdString()) {}

int ErrnoForSocketError(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError:
        return ECONNRESET;
    case QAbstractSocket::HostNotFoundError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SocketResourceError:
        return EMFILE;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::DatagramTooLargeError:
        return EMSGSIZE;
    case QAbstractSocket::NetworkError:
        return ENETUNREACH;
    case QAbstractSocket::AddressInUseError:
        return EADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return EOPNOTSUPP;
    case QAbstractSocket::TemporaryError:
        return EAGAIN;
    default:
        return EIO;
    }
}

QString SystemErrorText(int code) {
    return QString::fromStdString(std::generic_category().message(code));
}

ESocketError WinSocketError(int code, const char *api) {
    return ESocketError(QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
                            .arg(SystemErrorText(code))
                            .arg(code)
                            .arg(QString::fromLatin1(api)));
}

ESocketError AsyncSocketError(int code) {
    return ESocketError(QStringLiteral("Asynchronous socket error %1").arg(code));
}

std::out_of_range ListIndexError(int index) {
    return std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

namespace {
TSocketExceptionHandler &InstalledHandler() {
    static TSocketExceptionHandler handler;
    return handler;
}
} // namespace

void SetSocketExceptionHandler(TSocketExceptionHandler handler) {
    InstalledHandler() = std::move(handler);
}

void DeliverSocketException(std::exception_ptr error) {
    if (InstalledHandler())
        InstalledHandler()(error);
    else
        std::rethrow_exception(error);
}
