#pragma once
// One TCP connection on the event loop: connect, send with queueing, receive, close, and the
// notifications its owner turns into component events.
#include "net/SocketTypes.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

class TCustomWinSocket : public QObject {
    Q_OBJECT
  public:
    enum class TState { Closed, LookingUp, Connecting, Connected };
    enum class TNotice { Connecting, Connect, Disconnect, Read, Write };

    // At most this many bytes written but not yet taken by the system: a peer that stops reading
    // is cut off rather than let the queue grow. Far above any burst the program sends.
    static constexpr qint64 MaxQueuedBytes = 8 * 1024 * 1024;

    explicit TCustomWinSocket(QObject *parent = nullptr);
    ~TCustomWinSocket() override;

    // Owner's routes for this socket's notifications; both are called on the event loop.
    std::function<void(TCustomWinSocket *, TNotice)> OnNotice;
    std::function<void(TCustomWinSocket *, TErrorEvent, int &)> OnFailure;

    TState State() const { return state_; }
    bool Connected() const { return state_ == TState::Connected; }

    // Marks a name lookup in progress; fails with "Socket already open" unless closed.
    void BeginLookup();
    // Gives up a lookup that has not led to a connect yet.
    void CancelLookup();
    // Raises the connecting notice and starts a non-blocking connect. The all-zero address fails at
    // once: the socket closes with its disconnect notice, then "Windows socket error" naming
    // "connect".
    void ConnectTo(const QHostAddress &address, quint16 port);
    // The same for a resolver's list: its first six addresses are tried in order, each but the
    // last for at most AttemptTimeout (the last within Qt's own 30 s); one connecting notice, then
    // one connect or one connect failure (the last attempt's). An empty list is the all-zero
    // address.
    void ConnectTo(const QList<QHostAddress> &addresses, quint16 port);
    int AttemptTimeout() const { return attemptTimeoutMs_; }
    void SetAttemptTimeout(int ms) { attemptTimeoutMs_ = ms; }
    // Takes over a connection accepted by a listener.
    void Adopt(QTcpSocket *socket);
    // Closes an open connection and raises the disconnect notice before returning; gives up a call
    // still being looked up or connected without any notice; no effect otherwise.
    void Close();
    // Closes without any notice (the listener dropping its connections). Both closes still deliver
    // what was queued for sending, for at most CloseTimeout; then the connection is aborted.
    void Drop();
    int CloseTimeout() const { return closeTimeoutMs_; }
    void SetCloseTimeout(int ms) { closeTimeoutMs_ = ms; }

    // Takes the whole text; what the system cannot take now is queued and written when writable.
    // Returns the number of bytes taken, 0 when not connected. When the queue would pass
    // MaxQueuedBytes the connection is aborted instead, its disconnect notice is posted, and 0 is
    // returned.
    qint64 SendString(const QByteArray &text);
    // Every byte received and not yet taken; may be part of a line or several lines.
    QByteArray ReceiveAvailable();
    // Dotted IPv4 (an IPv4 peer of a dual-stack listener too) or compressed IPv6.
    QString PeerAddress() const;
    // Blocking reverse lookup of the peer's address; empty when it has no name or when not
    // connected.
    QString PeerHostName() const;
    quint16 PeerPort() const;
    // The system's handle of the open connection; -1 when there is none.
    qintptr SocketHandle() const;
    // The connection's socket, which can start TLS in place; null when there is none.
    QSslSocket *Secure() const { return qobject_cast<QSslSocket *>(socket_.data()); }

  private:
    void Attach(QTcpSocket *socket);
    void StartAttempt();
    void AttemptTimedOut();
    static void SendWithoutDelay(QTcpSocket *socket);
    void Detach(bool graceful);
    void CutOff();
    // Queues a step behind the notifications already waiting, as window messages would be, so that
    // a nested event loop inside a handler still sees later data and the order of events is kept.
    template <class F> void Post(F &&step);
    void Notify(TNotice notice);
    // Runs the error handler; returns the code it left.
    int Fail(TErrorEvent kind, int code);
    void HandleConnected();
    void HandleReadyRead();
    void HandleBytesWritten();
    void HandleDisconnected();
    void HandleError(QAbstractSocket::SocketError error);

    QPointer<QTcpSocket> socket_;
    TState state_ = TState::Closed;
    quint64 generation_ = 0;
    QByteArray received_;
    bool writeBacklog_ = false;
    QList<QHostAddress> candidates_; // addresses of the call in progress, in the resolver's order
    qsizetype nextCandidate_ = 0;
    quint16 callPort_ = 0;
    // Qt bounds a single connect by itself (30 s); this bounds each attempt that has a successor.
    int attemptTimeoutMs_ = 5000;
    int closeTimeoutMs_ = 3000;
    QTimer *attemptTimer_; // child
};
