#pragma once
// The outgoing socket component: properties, events and the call sequence lookup -> connecting ->
// connect.
#include "net/CustomWinSocket.h"
#include "net/SocketTypes.h"

#include <QHostInfo>
#include <QObject>
#include <QString>

class TClientSocket : public QObject {
    Q_OBJECT
  public:
    explicit TClientSocket(QObject *parent = nullptr);
    ~TClientSocket() override;

    // True from the connect event until the disconnect event. Setting True raises OnLookup and
    // starts the call (the name lookup runs asynchronously); setting False closes an open
    // connection with its disconnect event and does nothing while a call is still in progress.
    bool Active() const { return winSocket_->Connected(); }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // Settable only while not active ("Can't change value while socket is active"). Host is an
    // IPv4 or IPv6 literal (brackets allowed) or a name whose addresses are all tried in the
    // resolver's order; Address is a literal, used when Host is empty.
    QString Host() const { return host_; }
    void SetHost(const QString &value);
    QString Address() const { return address_; }
    void SetAddress(const QString &value);
    int Port() const { return port_; }
    void SetPort(int value);
    TClientType ClientType() const { return clientType_; }
    void SetClientType(TClientType value);

    TCustomWinSocket *Socket() const { return winSocket_; }
    TCustomWinSocket *WinSocket() const { return winSocket_; }

    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnDisconnect;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnWrite;
    TSocketErrorEvent OnError;

  private:
    void CheckInactive() const;
    void HostLookedUp(const QHostInfo &info);
    void Route(TCustomWinSocket *socket, TCustomWinSocket::TNotice notice);

    TCustomWinSocket *winSocket_; // child
    QString host_;
    QString address_;
    int port_ = 1024;
    TClientType clientType_ = ctNonBlocking;
    int lookupId_ = -1;
    quint16 pendingPort_ = 0;
};
