#include "net/ServerSocket.h"

#include "net/SocketError.h"

TServerSocket::TServerSocket(QObject *parent)
    : QObject(parent), winSocket_(new TServerWinSocket(this)) {
    using N = TCustomWinSocket::TNotice;
    winSocket_->OnListening = [this](TServerWinSocket *socket) { Raise(OnListen, socket); };
    winSocket_->OnClientConnecting = [this](TServerClientWinSocket *connection) {
        Welcome(connection);
    };
    winSocket_->OnClientNotice = [this](TServerClientWinSocket *connection, N notice) {
        switch (notice) {
        case N::Disconnect:
            Raise(OnClientDisconnect, connection);
            break;
        case N::Read:
            Raise(OnClientRead, connection);
            break;
        case N::Write:
            Raise(OnClientWrite, connection);
            break;
        case N::Connecting:
        case N::Connect:
            break; // an accepted connection is announced by Welcome
        }
    };
    winSocket_->OnClientFailure = [this](TServerClientWinSocket *connection, TErrorEvent kind,
                                         int &code) {
        if (OnClientError)
            OnClientError(this, connection, kind, code);
    };
    winSocket_->OnListenerFailure = [this](TServerWinSocket *listener, TErrorEvent kind,
                                           int &code) {
        if (OnClientError)
            OnClientError(this, listener, kind, code);
    };
}

TServerSocket::~TServerSocket() {
    winSocket_->OnListening = nullptr;
    winSocket_->OnClientConnecting = nullptr;
    winSocket_->OnClientNotice = nullptr;
    winSocket_->OnClientFailure = nullptr;
    winSocket_->OnListenerFailure = nullptr;
    winSocket_->CloseListener();
}

void TServerSocket::Raise(const TSocketNotifyEvent &slot, TCustomWinSocket *socket) {
    if (slot)
        slot(this, socket);
}

// Client-connect, then accept, then the first writable notice; a handler may drop the connection
// (switching the listener off), after which nothing more is raised for it.
void TServerSocket::Welcome(TServerClientWinSocket *connection) {
    Raise(OnClientConnect, connection);
    if (connection->Connected())
        Raise(OnAccept, connection);
    if (connection->Connected())
        Raise(OnClientWrite, connection);
}

void TServerSocket::CheckInactive() const {
    if (Active())
        throw ESocketError(QString::fromLatin1(SocketTexts::CantChange));
}

void TServerSocket::SetPort(int value) {
    CheckInactive();
    port_ = value;
}
void TServerSocket::SetServerType(TServerType value) {
    CheckInactive();
    serverType_ = value;
}

void TServerSocket::SetActive(bool value) {
    if (value == Active())
        return;
    if (!value) {
        winSocket_->CloseListener();
        return;
    }
    winSocket_->Listen(static_cast<quint16>(port_));
}
