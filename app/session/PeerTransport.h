#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

class TPeerLink;

// Which side opened the connection in use: the local listener accepted it, or the local side
// called out.
enum class TPeerRole { Accepted, Called };

// One connection as the link sees it: a TCP socket in the program, one end of an in-memory pipe in
// tests. The transport owns it; the link only keeps a guarded pointer.
class TPeerConnection : public QObject {
  public:
    using QObject::QObject;
    // Queues bytes for the peer; nothing happens once the connection has ended.
    virtual void Write(const QByteArray &bytes) = 0;
    // Every byte received and not yet taken.
    virtual QByteArray Take() = 0;
    // Ends the connection; the transport then reports it ended.
    virtual void Close() = 0;
    virtual bool Open() const = 0;
    virtual QString PeerAddress() const = 0;
    // Starts TLS at this byte boundary, as the server (the side that answered the upgrade) or the
    // client. The transport later reports the link's Secured, or its SecureFailed and the end.
    virtual void StartTls(bool server) { (void)server; }
    // The link closed it on purpose: its end is nobody's business.
    bool TurnedAway = false;
    // Once secured: the fingerprint of the key the peer proved it holds.
    QString PeerFingerprint;
};

// How the link listens, calls and hangs up. The transport reports what happens through the link's
// Opened, Readable, Ended and CallFailed, always from the event loop.
class TPeerTransport {
  public:
    virtual ~TPeerTransport() = default;
    virtual void Bind(TPeerLink *link) = 0;
    // Switches the listener on; throws the failure (a taken port, for example).
    virtual void Listen() = 0;
    virtual bool Listening() const = 0;
    virtual quint16 ListeningPort() const = 0;
    // Stops taking calls and gives up a call still under way.
    virtual void StopCalling() = 0;
    virtual void Call(const QString &host) = 0;
    // Ends the connection of that role. Dropping the listener's connections reports nothing.
    virtual void HangUp(TPeerRole role) = 0;
    // Nothing listens or calls any more.
    virtual void Shutdown() = 0;
    // The fingerprint of this copy's key; empty: no key, so no encrypted link is offered.
    virtual QString OwnFingerprint() const { return {}; }
};
