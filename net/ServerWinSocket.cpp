#include "net/ServerWinSocket.h"

#include "net/SocketError.h"

#include <algorithm>
#include <cerrno>

TServerClientWinSocket::TServerClientWinSocket(TServerWinSocket *server)
    : TCustomWinSocket(server), Server_(server) {}

TServerWinSocket::TServerWinSocket(QObject *parent) : TCustomWinSocket(parent) {}

TServerWinSocket::~TServerWinSocket() { CloseListener(); }

void TServerWinSocket::Listen(quint16 port) {
    if (Listening())
        throw ESocketError(QString::fromLatin1(SocketTexts::ListenOnOpen));
    auto *server = new QTcpServer(this);
    server->setListenBacklogSize(5);
    if (!server->listen(QHostAddress::AnyIPv4, port)) {
        const QAbstractSocket::SocketError error = server->serverError();
        server->deleteLater();
        if (error == QAbstractSocket::SocketResourceError)
            throw ESocketError(QString::fromLatin1(SocketTexts::CantCreate));
        const bool bindFailed = error == QAbstractSocket::AddressInUseError ||
                                error == QAbstractSocket::SocketAccessError ||
                                error == QAbstractSocket::SocketAddressNotAvailableError;
        throw WinSocketError(ErrnoForSocketError(error), bindFailed ? "bind" : "listen");
    }
    Server_ = server;
    connect(server, &QTcpServer::newConnection, this, [this] { RunSocketStep([this] { AcceptPending(); }); });
    if (OnListening)
        OnListening(this);
}

void TServerWinSocket::CloseListener() {
    std::vector<TServerClientWinSocket *> dropped;
    dropped.swap(Connections_);
    for (TServerClientWinSocket *connection : dropped) {
        connection->Drop();
        connection->deleteLater();
    }
    if (Server_) {
        Server_->disconnect(this);
        Server_->close();
        Server_->deleteLater();
        Server_ = nullptr;
    }
}

TServerClientWinSocket *TServerWinSocket::Connection(int index) const {
    if (index < 0 || index >= ConnectionCount())
        throw ListIndexError(index);
    return Connections_[static_cast<size_t>(index)];
}

void TServerWinSocket::AcceptPending() {
    // The listener may be switched off by a handler while callers are still waiting.
    while (Server_ && Server_->hasPendingConnections()) {
        QTcpSocket *socket = Server_->nextPendingConnection();
        if (socket)
            Accept(socket);
    }
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
            ~RemoveAfter() { if (Armed) Self->Remove(Client); }
        } removeAfter{this, client, notice == TNotice::Disconnect};
        if (OnClientNotice)
            OnClientNotice(client, notice);
    };
    connection->OnFailure = [this](TCustomWinSocket *s, TErrorEvent kind, int &code) {
        if (OnClientFailure)
            OnClientFailure(static_cast<TServerClientWinSocket *>(s), kind, code);
    };
    Connections_.push_back(connection);
    if (OnClientConnecting)
        OnClientConnecting(connection);
}

void TServerWinSocket::Remove(TServerClientWinSocket *connection) {
    const auto found = std::find(Connections_.begin(), Connections_.end(), connection);
    if (found == Connections_.end())
        return;
    Connections_.erase(found);
    connection->Drop();
    connection->deleteLater();
}
