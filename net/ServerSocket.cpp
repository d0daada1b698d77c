#include "net/ServerSocket.h"

#include "net/ClientSocket.h"
#include "net/SocketError.h"

TServerSocket::TServerSocket(QObject *parent) : QObject(parent), WinSocket_(new TServerWinSocket(this)) {
    using N = TCustomWinSocket::TNotice;
    WinSocket_->OnListening = [this](TServerWinSocket *socket) { Raise(OnListen, socket); };
    WinSocket_->OnClientConnecting = [this](TServerClientWinSocket *connection) { Welcome(connection); };
    WinSocket_->OnClientNotice = [this](TServerClientWinSocket *connection, N notice) {
        switch (notice) {
        case N::Disconnect: Raise(OnClientDisconnect, connection); break;
        case N::Read: Raise(OnClientRead, connection); break;
        case N::Write: Raise(OnClientWrite, connection); break;
        case N::Connecting:
        case N::Connect: break; // an accepted connection is announced by Welcome
        }
    };
    WinSocket_->OnClientFailure = [this](TServerClientWinSocket *connection, TErrorEvent kind, int &code) {
        if (OnClientError)
            OnClientError(this, connection, kind, code);
    };
    WinSocket_->OnListenerFailure = [this](TServerWinSocket *listener, TErrorEvent kind, int &code) {
        if (OnClientError)
            OnClientError(this, listener, kind, code);
    };
}

TServerSocket::~TServerSocket() {
    WinSocket_->OnListening = nullptr;
    WinSocket_->OnClientConnecting = nullptr;
    WinSocket_->OnClientNotice = nullptr;
    WinSocket_->OnClientFailure = nullptr;
    WinSocket_->OnListenerFailure = nullptr;
    WinSocket_->CloseListener();
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

void TServerSocket::SetPort(int value) { CheckInactive(); Port_ = value; }
void TServerSocket::SetService(const QString &value) { CheckInactive(); Service_ = value; }
void TServerSocket::SetServerType(TServerType value) { CheckInactive(); ServerType_ = value; }

void TServerSocket::SetActive(bool value) {
    if (value == Active())
        return;
    if (!value) {
        WinSocket_->CloseListener();
        return;
    }
    const quint16 port = Service_.isEmpty() ? static_cast<quint16>(Port_) : ServicePort(Service_, "bind");
    WinSocket_->Listen(port);
}
