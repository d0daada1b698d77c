#include "app/session/SocketTransport.h"

#include "app/session/PeerLink.h"
#include "net/ScktComp.h"

#include <QTimer>

namespace {

class TSocketConnection final : public TPeerConnection {
  public:
    explicit TSocketConnection(TCustomWinSocket *socket)
        : TPeerConnection(socket), socket_(socket) {}
    void Write(const QByteArray &bytes) override { socket_->SendString(bytes); }
    QByteArray Take() override { return socket_->ReceiveAvailable(); }
    void Close() override { socket_->Close(); }
    bool Open() const override { return socket_->Connected(); }
    QString PeerAddress() const override { return socket_->PeerAddress(); }

  private:
    TCustomWinSocket *socket_; // the parent
};

} // namespace

TSocketTransport::TSocketTransport(quint16 listenPort, quint16 callPort, QObject *parent)
    : QObject(parent), ServerSocket(new TServerSocket(this)),
      ClientSocket(new TClientSocket(this)) {
    ClientSocket->SetPort(callPort);
    ClientSocket->SetClientType(ctNonBlocking);
    ServerSocket->SetPort(listenPort);
    ServerSocket->SetServerType(stNonBlocking);
    ClientSocket->OnConnect = [this](QObject *, TCustomWinSocket *s) { ClientSocketConnect(s); };
    ClientSocket->OnDisconnect = [this](QObject *, TCustomWinSocket *s) {
        ClientSocketDisconnect(s);
    };
    ClientSocket->OnRead = [this](QObject *, TCustomWinSocket *s) { ClientSocketRead(s); };
    ClientSocket->OnError = [this](QObject *, TCustomWinSocket *s, TErrorEvent, int &code) {
        ClientSocketError(s, code);
    };
    ServerSocket->OnClientConnect = [this](QObject *, TCustomWinSocket *s) {
        ServerSocketClientConnect(s);
    };
    ServerSocket->OnAccept = [this](QObject *, TCustomWinSocket *s) { ServerSocketAccept(s); };
    ServerSocket->OnClientDisconnect = [this](QObject *, TCustomWinSocket *s) {
        ServerSocketClientDisconnect(s);
    };
    ServerSocket->OnClientRead = [this](QObject *, TCustomWinSocket *s) {
        ServerSocketClientRead(s);
    };
    ServerSocket->OnClientError = [this](QObject *, TCustomWinSocket *s, TErrorEvent, int &code) {
        ServerSocketClientError(s, code);
    };
}

// The sockets are children and outlive this body: their events must reach nothing.
TSocketTransport::~TSocketTransport() {
    link_ = nullptr;
    ClientSocket->OnConnect = ClientSocket->OnDisconnect = ClientSocket->OnRead = nullptr;
    ClientSocket->OnError = nullptr;
    ServerSocket->OnClientConnect = ServerSocket->OnAccept = ServerSocket->OnClientDisconnect =
        nullptr;
    ServerSocket->OnClientRead = nullptr;
    ServerSocket->OnClientError = nullptr;
}

void TSocketTransport::Listen() {
    if (!ServerSocket->Active())
        ServerSocket->SetActive(true);
}

bool TSocketTransport::Listening() const {
    return ServerSocket->Active();
}

quint16 TSocketTransport::ListeningPort() const {
    return ServerSocket->LocalPort();
}

void TSocketTransport::StopCalling() {
    ServerSocket->SetActive(false);
    ClientSocket->SetActive(false);
}

void TSocketTransport::Call(const QString &host) {
    ClientSocket->SetHost(host);
    ClientSocket->SetActive(true);
}

void TSocketTransport::HangUp(TPeerRole role) {
    if (role == TPeerRole::Accepted)
        ServerSocket->SetActive(false);
    else
        ClientSocket->SetActive(false);
}

void TSocketTransport::Shutdown() {
    ServerSocket->SetActive(false);
    ClientSocket->SetActive(false);
}

TPeerConnection *TSocketTransport::ConnectionOf(TCustomWinSocket *socket) {
    // No meta-object of its own, so no findChild: the socket has a handful of children.
    for (QObject *child : socket->children())
        if (auto *made = dynamic_cast<TPeerConnection *>(child))
            return made;
    return new TSocketConnection(socket);
}

void TSocketTransport::ClientSocketConnect(TCustomWinSocket *socket) {
    if (link_)
        link_->Opened(ConnectionOf(socket), TPeerRole::Called);
}

void TSocketTransport::ClientSocketDisconnect(TCustomWinSocket *socket) {
    if (link_)
        link_->Ended(ConnectionOf(socket));
}

void TSocketTransport::ClientSocketRead(TCustomWinSocket *socket) {
    if (link_)
        link_->Readable(ConnectionOf(socket));
}

void TSocketTransport::ClientSocketError(TCustomWinSocket *, int &errorCode) {
    errorCode = 0;
    if (link_)
        link_->Failed();
}

void TSocketTransport::ServerSocketClientConnect(TCustomWinSocket *socket) {
    if (link_ && !link_->SeatFree())
        Refuse(socket);
}

void TSocketTransport::ServerSocketAccept(TCustomWinSocket *socket) {
    if (link_ && !IsRefused(socket))
        link_->Opened(ConnectionOf(socket), TPeerRole::Accepted);
}

void TSocketTransport::ServerSocketClientDisconnect(TCustomWinSocket *socket) {
    if (link_ && !IsRefused(socket))
        link_->Ended(ConnectionOf(socket));
}

void TSocketTransport::ServerSocketClientRead(TCustomWinSocket *socket) {
    if (!link_)
        return;
    if (IsRefused(socket))
        socket->ReceiveAvailable(); // read and forgotten
    else
        link_->Readable(ConnectionOf(socket));
}

void TSocketTransport::ServerSocketClientError(TCustomWinSocket *socket, int &errorCode) {
    errorCode = 0;
    if (link_ && !IsRefused(socket))
        link_->Failed();
}

void TSocketTransport::Refuse(TCustomWinSocket *socket) {
    refused_.append(socket);
    QTimer::singleShot(0, socket, [socket] { socket->Close(); });
}

bool TSocketTransport::IsRefused(const TCustomWinSocket *socket) {
    refused_.removeAll(QPointer<TCustomWinSocket>());
    for (const auto &refused : refused_)
        if (refused == socket)
            return true;
    return false;
}
