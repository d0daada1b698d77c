#pragma once
#include "app/LineFramer.h"
#include "app/PeerProtocol.h"
#include "net/ScktComp.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

class QString;

// Which side opened the connection in use: the local listener accepted it, or the local side
// called out.
enum class TPeerRole { Accepted, Called };

// The one connection to the peer: the socket in use and its role, the framing of what it sends,
// the queue of received lines not yet dispatched, the callers refused beside it, and a serial that
// tells connections apart. Every line put on the wire is built here.
class TPeerLink : public QObject {
  public:
    // A peer that keeps sending while the board is busy is cut off past this many waiting lines;
    // a game in play never holds more than a handful.
    static constexpr std::size_t MaxQueued = 512;
    static constexpr std::size_t MaxQueuedBytes = 256 * 1024;

    explicit TPeerLink(std::string tag, QObject *parent = nullptr);


    // The transport's listener and outgoing socket, which the window owns.
    void UseTransport(TServerSocket *listener, TClientSocket *caller);
    // Switches the listener on; throws the transport's failure (a taken port, for example).
    void Listen();
    bool Listening() const;
    quint16 ListeningPort() const;
    // Stops taking calls and gives up a call still under way, before the address box opens.
    void StopCalling();
    // Calls a host name or address; the transport reports the outcome.
    void Call(const QString &host);
    // Ends the current connection: the listener drops an accepted one, the outgoing socket closes.
    void HangUp();
    // The window is closing: nothing listens or calls any more.
    void Shutdown();

    // The connection.
    // A new current connection; what this copy understands is announced on it at once.
    void Attach(TCustomWinSocket *socket, TPeerRole role);
    void Detach(); // the current connection has ended
    bool IsCurrent(const TCustomWinSocket *socket) const;
    bool HasPeer() const { return !socket_.isNull(); }
    TCustomWinSocket *Current() const { return socket_; }
    // The role of the current connection, or of the last one once it has ended.
    TPeerRole Role() const { return lastRole_; }
    // Moves on whenever a connection starts or ends; an answer prepared for one connection checks
    // it before it goes out.
    std::uint64_t Serial() const { return connectionSerial_; }

    // Callers beyond the one peer: closed once the listener has finished announcing them; until
    // then their events change nothing.
    void Refuse(TCustomWinSocket *socket);
    bool IsRefused(const TCustomWinSocket *socket);

    // Outgoing lines, fire-and-forget on the current connection: nothing is sent without one.
    void SendControl(TControlWord word);
    void SendTime(int minutes);
    void SendMove(std::string_view moveText);
    void SendChat(const QString &text);
    // The piece the next move line promotes to; only to a peer that announced Promotion.
    void SendPromotion(char piece);

    // What the peer of the current connection announced; nothing before its announcement.
    const TPeerFeatures &PeerFeatures() const { return features_; }

    // Takes everything the socket has ready. Complete lines of the current connection join the
    // queue; a refused caller's bytes are read and forgotten. Then dispatches what may go.
    void Receive(TCustomWinSocket *socket);
    // Dispatches queued lines in arrival order for as long as MayDispatch lets the first one go;
    // chat lines behind a waiting line go at once. Safe to run again from inside a dispatch.
    void Pump();
    // Pump from the event loop, once whatever runs now has returned.
    void PumpSoon();
    std::size_t Queued() const { return queue_.size(); }
    std::size_t QueuedBytes() const;
    bool HasQueued(TControlWord word) const;

    // Every received line of the current connection passes here first (but the peer's
    // announcement, which the link keeps itself); false: it was dealt with
    // and does not join the queue.
    std::function<bool(const TPeerLine &)> OnArrival;
    std::function<bool(const TPeerLine &)> MayDispatch;
    std::function<void(const TPeerLine &)> OnLine;

  private:
    struct TQueued {
        std::uint64_t Serial;
        TPeerLine Line;
    };

    void Send(TPeerChannel channel, std::string_view payload);
    void Reset();

    std::string messageTag_;
    TServerSocket *listener_ = nullptr;
    TClientSocket *caller_ = nullptr;
    QPointer<TCustomWinSocket> socket_;
    TPeerRole lastRole_ = TPeerRole::Called;
    std::uint64_t connectionSerial_ = 0;
    TLineFramer framer_;
    TPeerFeatures features_;
    std::deque<TQueued> queue_;
    QList<QPointer<TCustomWinSocket>> refused_;
    bool pumpPosted_ = false;
};
