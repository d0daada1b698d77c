#include "app/session/SocketTransport.h"

#include "app/session/PeerLink.h"
#include "net/ScktComp.h"

#include <QSslKey>
#include <QTimer>

namespace {

// What a self-signed certificate shown by any peer gives rise to. The identity is the pinned key,
// not an authority's word; anything else (no certificate, a bad signature) fails the handshake.
bool OnlyWithoutAuthority(const QList<QSslError> &errors) {
    for (const QSslError &error : errors) {
        switch (error.error()) {
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::CertificateUntrusted:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::HostNameMismatch:
        case QSslError::CertificateNotYetValid:
        case QSslError::CertificateExpired:
            continue;
        default:
            return false;
        }
    }
    return true;
}

class TSocketConnection final : public TPeerConnection {
  public:
    TSocketConnection(TCustomWinSocket *socket, TSocketTransport *transport)
        : TPeerConnection(socket), socket_(socket), transport_(transport) {}
    void StartTls(bool server) override;
    void Write(const QByteArray &bytes) override { socket_->SendString(bytes); }
    QByteArray Take() override { return socket_->ReceiveAvailable(); }
    void Close() override { socket_->Close(); }
    bool Open() const override { return socket_->Connected(); }
    QString PeerAddress() const override { return socket_->PeerAddress(); }

  private:
    void Fail(const QString &reason) {
        if (TPeerLink *link = transport_ ? transport_->BoundLink() : nullptr)
            link->SecureFailed(this, reason);
    }
    TCustomWinSocket *socket_; // the parent
    QPointer<TSocketTransport> transport_;
};

void TSocketConnection::StartTls(bool server) {
    QSslSocket *tls = socket_->Secure();
    if (!tls || !transport_ || transport_->OwnFingerprint().isEmpty())
        return Fail(QStringLiteral("this copy has no key"));
    // A byte read past the boundary would be lost to the handshake, or taken for a private one.
    if (!socket_->ReceiveAvailable().isEmpty())
        return Fail(QStringLiteral("the peer sent more in the clear after the upgrade line"));
    tls->setSslConfiguration(transport_->TlsConfiguration());
    connect(tls, &QSslSocket::sslErrors, this, [tls](const QList<QSslError> &errors) {
        if (OnlyWithoutAuthority(errors))
            tls->ignoreSslErrors();
    });
    connect(tls, &QSslSocket::encrypted, this, [this, tls] {
        PeerFingerprint = CertificateFingerprint(tls->peerCertificate().toDer());
        if (TPeerLink *link = transport_ ? transport_->BoundLink() : nullptr)
            link->Secured(this);
    });
    // Reported before the socket's own error closes the connection.
    connect(tls, &QAbstractSocket::errorOccurred, this, [this, tls](QAbstractSocket::SocketError) {
        if (!tls->isEncrypted())
            Fail(tls->errorString());
    });
    if (server)
        tls->startServerEncryption();
    else
        tls->startClientEncryption();
}

} // namespace

void TSocketTransport::SetIdentity(std::function<TIdentity()> load) {
    loadIdentity_ = std::move(load);
    identity_.reset();
    tls_.reset();
}

QString TSocketTransport::OwnFingerprint() const {
    if (!identity_)
        identity_ = loadIdentity_ ? loadIdentity_() : TIdentity{};
    return identity_->Fingerprint;
}

const QSslConfiguration &TSocketTransport::TlsConfiguration() {
    if (tls_)
        return *tls_;
    QSslConfiguration &tls = tls_.emplace(QSslConfiguration::defaultConfiguration());
    tls.setProtocol(QSsl::TlsV1_3);
    OwnFingerprint();
    tls.setLocalCertificate(QSslCertificate(identity_->CertificatePem));
    tls.setPrivateKey(QSslKey(identity_->KeyPem, QSsl::Ec));
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer); // the called side asks for the caller's too
    tls.setCaCertificates({});
    return tls;
}

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
    return new TSocketConnection(socket, this);
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
