#pragma once
// The listening socket and the connections it accepted, oldest first.
#include "net/ServerClientWinSocket.h"

#include <QSocketNotifier>
#include <QTimer>
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
    // The listener's own failure (kind accept); a code left non-zero is raised afterwards.
    std::function<void(TServerWinSocket *, TErrorEvent, int &)> OnListenerFailure;

    // Binds all local interfaces on the port, IPv4 and IPv6 on one dual-stack socket (IPv4 alone
    // where the system has no IPv6), announces the listener, listens with a backlog of 5. Fails
    // with "Can't listen on an open socket" while listening, or with the system's error.
    void Listen(quint16 port);
    bool Listening() const { return listenHandle_ >= 0; }
    quint16 LocalPort() const { return Listening() ? port_ : 0; }
    // Frees every accepted connection without a disconnect notice, then closes the listener.
    void CloseListener();

    int ConnectionCount() const { return static_cast<int>(connections_.size()); }
    // 0 = oldest still held; fails with "List index out of bounds (n)" otherwise.
    TServerClientWinSocket *Connection(int index) const;

  private:
    void AcceptPending();
    void AcceptFailed(int code);
    void Accept(QTcpSocket *socket);
    void Remove(TServerClientWinSocket *connection);

    // Our own accept loop rather than QTcpServer's, which after a failed accept either pauses for
    // good or, once a queue was found empty, spins without reporting anything.
    int listenHandle_ = -1;
    quint16 port_ = 0;
    QSocketNotifier *notifier_ = nullptr; // child while listening
    // A failed accept pauses the listener for a moment; it then tries again until the cause has
    // passed.
    QTimer *acceptRetry_;                               // child
    bool acceptFailing_ = false;                        // one report per spell of failures
    std::vector<TServerClientWinSocket *> connections_; // owned as QObject children
};
