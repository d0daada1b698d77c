#pragma once
#include "app/session/LineFramer.h"
#include "app/session/PeerProtocol.h"
#include "app/session/PeerTransport.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

// What the link tells the session it serves.
class TPeerLinkOwner {
  public:
    virtual ~TPeerLinkOwner() = default;
    // A caller or a call is connected; it is the current connection from now on.
    virtual void PeerConnected(TPeerRole role, const QString &address) = 0;
    // The current connection (or a call that never connected) has ended.
    virtual void PeerEnded() = 0;
    virtual void CallFailed() = 0;
    // Every received line passes here first; false: it was dealt with and does not join the queue.
    virtual bool PeerArrived(const TPeerLine &line) = 0;
    // Whether the first waiting line may run now.
    virtual bool MayRun(const TPeerLine &line) = 0;
    virtual void PeerLine(const TPeerLine &line) = 0;
    // The peer's announcement has come: PeerFeatures() tells what it understands.
    virtual void PeerAnnounced() {}
    // Whether a caller from this address is let in at once; false: a stranger, held with nothing
    // sent until Admit or Dismiss.
    virtual bool Welcome(const QString &address) = 0;
    virtual void StrangerCalling(const QString &address) = 0;
    // The current connection is private: its peer proved it holds the key of fingerprint. Lines
    // held back meanwhile go out right after this returns.
    virtual void PeerSecured(const QString &fingerprint) { (void)fingerprint; }
    // The encrypted link could not be made; the connection ends next.
    virtual void SecureFailed(const QString &reason) { (void)reason; }
    // The stranger held is known plain (empty fingerprint) or has proved its key.
    virtual void StrangerSettled(const QString &fingerprint) { (void)fingerprint; }
};

// The one connection to the peer: the transport it runs on, the connection in use and its role,
// the framing of what it sends, the queue of received lines not yet dispatched, and a serial that
// tells connections apart. Every line put on the wire is built here.
class TPeerLink : public QObject {
  public:
    // A peer that keeps sending while the board is busy is cut off past this many waiting lines;
    // a game in play never holds more than a handful.
    static constexpr std::size_t MaxQueued = 512;
    static constexpr std::size_t MaxQueuedBytes = 256 * 1024;
    // One turn of the event loop runs at most this many received lines, or this long; the rest
    // run on the next turn, so a flood cannot freeze the window.
    static constexpr int MaxLinesPerTurn = 64;
    static constexpr qint64 MaxMsPerTurn = 4;
    // Read but not yet framed: past this the peer is cut off.
    static constexpr std::size_t MaxUnreadBytes = 4 * 1024 * 1024;
    static constexpr qsizetype FeedSlice = 16 * 1024;
    // A copy with a key holds its own lines back until the link is private or known plain: plain
    // once the peer's first line is no announcement, or none came this soon.
    static constexpr int SettleMs = 1500;
    // An ask or answer not come this soon, or a handshake not finished by UpgradeMs after
    // connecting, ends the connection.
    static constexpr int AnswerMs = 3000;
    static constexpr int UpgradeMs = 10000;

    TPeerLink(std::string tag, std::unique_ptr<TPeerTransport> transport, TPeerLinkOwner &owner,
              QObject *parent = nullptr);
    ~TPeerLink() override;

    TPeerTransport &Transport() const { return *transport_; }
    void Listen() { transport_->Listen(); }
    bool Listening() const { return transport_->Listening(); }
    quint16 ListeningPort() const { return transport_->ListeningPort(); }
    void StopCalling() { transport_->StopCalling(); }
    void Call(const QString &host) { transport_->Call(host); }
    // Ends the current connection; the session hears of it whichever way the transport closes.
    void HangUp();
    void Shutdown() { transport_->Shutdown(); }

    // From the transport.
    // A caller asks to connect: false when the seat is taken and it must be turned away.
    bool SeatFree() const { return !HasPeer(); }
    // A new current connection; what this copy understands is announced on it at once.
    void Opened(TPeerConnection *connection, TPeerRole role);
    // Takes everything the connection has ready. Complete lines of the current connection join the
    // queue; bytes of any other are read and forgotten. Then dispatches what may go.
    void Readable(TPeerConnection *connection);
    // A connection has ended; only the current one (or the end of a call not yet connected)
    // reaches the session.
    void Ended(TPeerConnection *connection);
    void Failed() { owner_.CallFailed(); }
    // Ends the current connection once whatever runs now has returned.
    void CutOffSoon();
    // The last connection was ended here for what its peer did.
    bool CutOffHere() const { return cutOff_; }

    // The stranger held: at most one at a time, refused at once while another waits or a peer
    // plays. Its serial tells one stranger from the next.
    bool HoldsStranger(std::uint64_t serial) const {
        return stranger_ && strangerSerial_ == serial;
    }
    std::uint64_t StrangerSerial() const { return strangerSerial_; }
    // The held stranger becomes the peer, as a local caller would, with what it sent meanwhile.
    void Admit();
    void Dismiss();

    bool HasPeer() const { return !connection_.isNull(); }
    bool IsCurrent(const TPeerConnection *connection) const;
    TPeerConnection *Current() const { return connection_; }
    // The role of the current connection, or of the last one once it has ended.
    TPeerRole Role() const { return lastRole_; }
    // Moves on whenever a connection starts or ends; an answer prepared for one connection checks
    // it before it goes out.
    std::uint64_t Serial() const { return connectionSerial_; }

    // Outgoing lines, fire-and-forget on the current connection: nothing is sent without one.
    void SendControl(TControlWord word);
    void SendTime(int minutes);
    // A new game, or the end of one: numbered for a peer that announced Numbered, else the time
    // line and "New", or "Resign".
    void SendNew(std::uint32_t game, int minutes);
    void SendResign(std::uint32_t game);
    void SendMove(std::string_view moveText);
    void SendChat(const QString &text);
    // The piece the next move line promotes to; only to a peer that announced Promotion.
    void SendPromotion(char piece);
    // A control line of an extension; the caller checks that the peer announced it.
    void SendExtension(std::string_view payload) { Send(TPeerChannel::Control, payload); }
    // A name or draw line; only to a peer that announced Name or Draw.
    void SendName(const QString &name);
    void SendDraw(TControlWord word, std::uint32_t game, std::uint32_t moves);

    // What the peer of the current connection announced; nothing before its announcement.
    const TPeerFeatures &PeerFeatures() const { return features_; }

    // The current connection is encrypted, with the peer's key proved.
    bool Private() const { return tls_ == TTls::Private; }
    // The verified fingerprint of the peer's key; empty while the link is plain.
    QString PeerFingerprint() const;
    // The stranger held may still prove a key: its consent box waits for StrangerSettled.
    bool StrangerUnsettled() const;
    // From the transport: the handshake of a connection succeeded, or failed for reason.
    void Secured(TPeerConnection *connection);
    void SecureFailed(TPeerConnection *connection, const QString &reason);

    // Dispatches queued lines in arrival order for as long as MayRun lets the first one go;
    // chat lines behind a waiting line go at once. Safe to run again from inside a dispatch.
    void Pump();
    // Pump from the event loop, once whatever runs now has returned.
    void PumpSoon();
    std::size_t Queued() const { return queue_.size(); }
    std::size_t QueuedBytes() const;
    bool HasQueued(TControlWord word) const;

  private:
    // Where the upgrade of a connection stands. Unknown: the peer's announcement is awaited;
    // Waiting: it announced Tls and the ask is awaited (the called side).
    enum class TTls { Plain, Unknown, Waiting, Asked, Handshake, Private };
    struct TQueued {
        std::uint64_t Serial;
        TPeerLine Line;
    };

    void Send(TPeerChannel channel, std::string_view payload);
    void WriteLine(TPeerConnection *connection, TPeerChannel channel, std::string_view payload);
    bool CanSecure() const;
    void Announce(TPeerConnection *connection);
    void StartSettling();
    // An announcement or upgrade line of the current connection, taken by the link; last: no byte
    // of the peer follows it yet.
    bool TakeLinkLine(const TPeerLine &line, bool last);
    void Settle();
    void StrangerRead(const QByteArray &bytes);
    void Reset();
    // proved: a stranger let in after proving its key while held.
    void Attach(TPeerConnection *connection, TPeerRole role, bool proved = false);
    void Feed(const QByteArray &bytes);
    void FeedUnread();
    bool Overfull();
    static void TurnAway(TPeerConnection *connection);
    void CutOff();

    std::string messageTag_;
    std::unique_ptr<TPeerTransport> transport_;
    TPeerLinkOwner &owner_;
    QPointer<TPeerConnection> connection_;
    TPeerRole lastRole_ = TPeerRole::Called;
    bool cutOff_ = false;
    std::uint64_t connectionSerial_ = 0;
    TLineFramer framer_;
    TPeerFeatures features_;
    std::deque<TQueued> queue_;
    bool pumpPosted_ = false;
    QByteArray unread_;
    qsizetype unreadAt_ = 0;
    bool feedPosted_ = false;
    QPointer<TPeerConnection> stranger_;
    std::uint64_t strangerSerial_ = 0;
    QByteArray strangerBytes_;
    TTls tls_ = TTls::Plain;
    QByteArray held_; // own lines held back until the link is private or known plain
    TTls strangerTls_ = TTls::Plain;
    TPeerFeatures strangerFeatures_;
};
