#include "net/ServerWinSocket.h"

#include "net/SocketError.h"

#include <QSslSocket>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netinet/in.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int AcceptRetryMs = 250;
constexpr int Backlog = 5;

// A failure that concerns only the caller being accepted; the next one may succeed.
bool CallerGone(int code) {
    switch (code) {
    case ECONNABORTED:
    case EPROTO:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case EINTR:
        return true;
    default:
        return false;
    }
}

// Binds the wildcard address of the family on the port; returns the handle, or -1 with errno set
// and failedCall naming the call that failed.
int BindWildcard(int family, quint16 port, const char *&failedCall) {
    failedCall = "socket";
    const int handle = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (handle < 0)
        return -1;
    const int on = 1;
    const int off = 0;
    ::setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int bound;
    if (family == AF_INET6) {
        ::setsockopt(handle, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_any;
        address.sin6_port = htons(port);
        bound = ::bind(handle, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    } else {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(port);
        bound = ::bind(handle, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    }
    failedCall = "bind";
    if (bound == 0) {
        failedCall = "listen";
        if (::listen(handle, Backlog) == 0)
            return handle;
    }
    const int code = errno;
    ::close(handle);
    errno = code;
    return -1;
}

quint16 BoundPort(int handle) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(handle, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 0;
    const auto *any = reinterpret_cast<const sockaddr *>(&address);
    if (any->sa_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 *>(&address)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in *>(&address)->sin_port);
}
} // namespace

TServerClientWinSocket::TServerClientWinSocket(TServerWinSocket *server)
    : TCustomWinSocket(server), server_(server) {}

TServerWinSocket::TServerWinSocket(QObject *parent)
    : TCustomWinSocket(parent), acceptRetry_(new QTimer(this)) {
    acceptRetry_->setSingleShot(true);
    connect(acceptRetry_, &QTimer::timeout, this, [this] {
        if (notifier_)
            notifier_->setEnabled(true); // level-triggered: a caller still queued fires it at once
    });
}

TServerWinSocket::~TServerWinSocket() {
    CloseListener();
}

void TServerWinSocket::Listen(quint16 port) {
    if (Listening())
        throw ESocketError(QString::fromLatin1(SocketTexts::ListenOnOpen));
    const char *failedCall = nullptr;
    int handle = BindWildcard(AF_INET6, port, failedCall);
    // Without IPv6 in the system the dual-stack socket cannot exist; a taken port stays an error.
    if (handle < 0 && (errno == EAFNOSUPPORT || errno == EADDRNOTAVAIL))
        handle = BindWildcard(AF_INET, port, failedCall);
    if (handle < 0) {
        const int code = errno;
        if (std::string_view(failedCall) == "socket")
            throw ESocketError(QString::fromLatin1(SocketTexts::CantCreate));
        throw WinSocketError(code, failedCall);
    }
    listenHandle_ = handle;
    port_ = BoundPort(handle);
    acceptFailing_ = false;
    notifier_ = new QSocketNotifier(static_cast<qintptr>(handle), QSocketNotifier::Read, this);
    // Touched once while descriptors are to be had: an accept fails when they run out, and the
    // undefined-behaviour checker needs one of its own to check the first call on a type.
    notifier_->setEnabled(true);
    connect(notifier_, &QSocketNotifier::activated, this,
            [this] { RunSocketStep([this] { AcceptPending(); }); });
    if (OnListening)
        OnListening(this);
}

void TServerWinSocket::CloseListener() {
    std::vector<TServerClientWinSocket *> dropped;
    dropped.swap(connections_);
    for (TServerClientWinSocket *connection : dropped) {
        connection->Drop();
        connection->deleteLater();
    }
    acceptRetry_->stop();
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (listenHandle_ >= 0) {
        ::close(listenHandle_);
        listenHandle_ = -1;
    }
}

TServerClientWinSocket *TServerWinSocket::Connection(int index) const {
    if (index < 0 || index >= ConnectionCount())
        throw ListIndexError(index);
    return connections_[static_cast<size_t>(index)];
}

void TServerWinSocket::AcceptPending() {
    const int listener = listenHandle_;
    // A handler may switch the listener off (or on anew) while callers are still waiting.
    while (listenHandle_ == listener && listener >= 0) {
        const int handle = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (handle < 0) {
            const int code = errno;
            if (code == EAGAIN || code == EWOULDBLOCK)
                return;
            if (CallerGone(code))
                continue;
            AcceptFailed(code);
            return;
        }
        auto socket = std::make_unique<QSslSocket>();
        if (!socket->setSocketDescriptor(handle)) {
            ::close(handle);
            continue;
        }
        acceptFailing_ = false;
        Accept(socket.release()); // the connection takes it as a child
    }
}

void TServerWinSocket::AcceptFailed(int code) {
    notifier_->setEnabled(false);
    acceptRetry_->start(AcceptRetryMs);
    if (acceptFailing_)
        return;
    acceptFailing_ = true;
    if (OnListenerFailure)
        OnListenerFailure(this, eeAccept, code);
    if (code != 0)
        throw AsyncSocketError(code);
}

void TServerWinSocket::Accept(QTcpSocket *socket) {
    auto *connection = new TServerClientWinSocket(this);
    connection->Adopt(socket);
    connection->OnNotice = [this](TCustomWinSocket *s, TNotice notice) {
        auto *client = static_cast<TServerClientWinSocket *>(s);
        // The connection still counts during its disconnect notice and leaves the list afterwards,
        // even when the handler fails.
        struct RemoveAfter {
            TServerWinSocket *Self;
            TServerClientWinSocket *Client;
            bool Armed;
            ~RemoveAfter() {
                if (Armed)
                    Self->Remove(Client);
            }
        } removeAfter{this, client, notice == TNotice::Disconnect};
        if (OnClientNotice)
            OnClientNotice(client, notice);
    };
    connection->OnFailure = [this](TCustomWinSocket *s, TErrorEvent kind, int &code) {
        if (OnClientFailure)
            OnClientFailure(static_cast<TServerClientWinSocket *>(s), kind, code);
    };
    connections_.push_back(connection);
    if (OnClientConnecting)
        OnClientConnecting(connection);
}

void TServerWinSocket::Remove(TServerClientWinSocket *connection) {
    const auto found = std::find(connections_.begin(), connections_.end(), connection);
    if (found == connections_.end())
        return;
    connections_.erase(found);
    connection->Drop();
    connection->deleteLater();
}
