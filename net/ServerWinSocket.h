#pragma once
// The listening socket and the connections it accepted, oldest first.
#include "net/ServerClientWinSocket.h"

#include <QTcpServer>
#include <vector>

class TServerWinSocket : public TCustomWinSocket {
    Q_OBJECT
public:
    explicit TServerWinSocket(QObject *parent = nullptr);
    ~TServerWinSocket() override;

    // Owner's routes for the listener's own notices and for each accepted connection's.
    std::function<void(TServerWinSocket *)> OnListening;
    std::function<void(TServerClientWinSocket *)> OnClientConnecting; // client-connect, then accept
    std::function<void(TServerClientWinSocket *, TNotice)> OnClientNotice;
    std::function<void(TServerClientWinSocket *, TErrorEvent, int &)> OnClientFailure;

    // Binds all local IPv4 interfaces on the port, announces the listener, listens with a backlog of
    // 5. Fails with "Can't listen on an open socket" while listening, or with the system's error.
    void Listen(quint16 port);
    bool Listening() const { return Server_ && Server_->isListening(); }
    quint16 LocalPort() const { return Listening() ? Server_->serverPort() : 0; }
    // Frees every accepted connection without a disconnect notice, then closes the listener.
    void CloseListener();

    int ConnectionCount() const { return static_cast<int>(Connections_.size()); }
    // 0 = oldest still held; fails with "List index out of bounds (n)" otherwise.
    TServerClientWinSocket *Connection(int index) const;

private:
    void AcceptPending();
    void Accept(QTcpSocket *socket);
    void Remove(TServerClientWinSocket *connection);

    QTcpServer *Server_ = nullptr;
    std::vector<TServerClientWinSocket *> Connections_; // owned as QObject children
};
