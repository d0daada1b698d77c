#pragma once
#include "app/session/PeerTransport.h"
#include "net/Identity.h"

#include <QList>
#include <QPointer>
#include <QSslConfiguration>

#include <functional>
#include <optional>

class TClientSocket;
class TCustomWinSocket;
class TServerSocket;

// The link's TCP transport: the listener and the outgoing socket, and their events. Callers beyond
// the one peer are refused here, closed once the listener has finished announcing them.
class TSocketTransport : public QObject, public TPeerTransport {
  public:
    TSocketTransport(quint16 listenPort, quint16 callPort, QObject *parent = nullptr);
    ~TSocketTransport() override;

    TServerSocket *ServerSocket;
    TClientSocket *ClientSocket;

    void Bind(TPeerLink *link) override { link_ = link; }
    void Listen() override;
    bool Listening() const override;
    quint16 ListeningPort() const override;
    void StopCalling() override;
    void Call(const QString &host) override;
    void HangUp(TPeerRole role) override;
    void Shutdown() override;
    // How the key the encrypted link proves is had, asked once at the first connection (OpenSSL
    // costs memory a copy that never connects spares). Without one (the default), or when it
    // gives an invalid key, links stay plain.
    void SetIdentity(std::function<TIdentity()> load);
    QString OwnFingerprint() const override;
    // Made at the first upgrade: Qt's TLS backend costs memory a copy that never upgrades spares.
    const QSslConfiguration &TlsConfiguration();
    TPeerLink *BoundLink() const { return link_; }

    void ClientSocketConnect(TCustomWinSocket *socket);
    void ClientSocketDisconnect(TCustomWinSocket *socket);
    void ClientSocketRead(TCustomWinSocket *socket);
    void ClientSocketError(TCustomWinSocket *socket, int &errorCode);
    void ServerSocketClientConnect(TCustomWinSocket *socket);
    void ServerSocketAccept(TCustomWinSocket *socket);
    void ServerSocketClientDisconnect(TCustomWinSocket *socket);
    void ServerSocketClientRead(TCustomWinSocket *socket);
    void ServerSocketClientError(TCustomWinSocket *socket, int &errorCode);

  private:
    // The connection object of a socket, made on first use and gone with the socket.
    TPeerConnection *ConnectionOf(TCustomWinSocket *socket);
    void Refuse(TCustomWinSocket *socket);
    bool IsRefused(const TCustomWinSocket *socket);

    TPeerLink *link_ = nullptr;
    QList<QPointer<TCustomWinSocket>> refused_;
    std::function<TIdentity()> loadIdentity_;
    mutable std::optional<TIdentity> identity_;
    std::optional<QSslConfiguration> tls_;
};
