#pragma once
// The listener component: properties, events, and the accepted connections through WinSocket.
#include "net/ServerWinSocket.h"
#include "net/SocketTypes.h"

#include <QObject>
#include <QString>

class TServerSocket : public QObject {
    Q_OBJECT
  public:
    explicit TServerSocket(QObject *parent = nullptr);
    ~TServerSocket() override;

    // True while listening. Setting True binds all local interfaces, IPv4 and IPv6, on Port,
    // raises OnListen and listens; setting False frees every accepted connection without
    // OnClientDisconnect, then closes the listener.
    bool Active() const { return winSocket_->Listening(); }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // Settable only while not active ("Can't change value while socket is active").
    int Port() const { return port_; }
    void SetPort(int value);
    TServerType ServerType() const { return serverType_; }
    void SetServerType(TServerType value);
    // The port actually bound (differs from Port when Port is 0); 0 while not active.
    quint16 LocalPort() const { return winSocket_->LocalPort(); }

    TServerWinSocket *Socket() const { return winSocket_; }
    TServerWinSocket *WinSocket() const { return winSocket_; }

    TSocketNotifyEvent OnListen;
    TSocketNotifyEvent OnAccept;
    TSocketNotifyEvent OnClientConnect;
    TSocketNotifyEvent OnClientDisconnect;
    TSocketNotifyEvent OnClientRead;
    TSocketNotifyEvent OnClientWrite;
    // An accepted connection's failure, or the listener's own (kind accept, Socket = WinSocket).
    TSocketErrorEvent OnClientError;

  private:
    void CheckInactive() const;
    void Raise(const TSocketNotifyEvent &slot, TCustomWinSocket *socket);
    void Welcome(TServerClientWinSocket *connection);

    TServerWinSocket *winSocket_; // child
    int port_ = 1024;
    TServerType serverType_ = stNonBlocking;
};
