#pragma once
// Sessions in process: two TSessions (or one and a raw peer) joined by an in-memory link, with
// recording views, plain rules boards and scripted boxes. Nothing waits on an event loop: what is
// in flight on the wire runs when a test calls Deliver.
#include "app/session/Session.h"
#include "board/core/ChessRules.h"
#include "tests/common/ScriptedDialogs.h"

#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace inproc {

// Events in flight between the two ends, delivered in order.
class TWire {
  public:
    void Post(std::function<void()> event) { events_.push_back(std::move(event)); }
    // Runs every event in flight and what those post in turn, with Qt's posted events between.
    void Deliver();
    void Step(int events); // runs the first few events in flight only
    // Two ends joined: the first belongs to link a, the second to link b (null: a raw peer).
    std::pair<class TMemoryConnection *, class TMemoryConnection *>
    Pair(TPeerLink *a, const QString &aSees, TPeerLink *b, const QString &bSees);

  private:
    std::deque<std::function<void()>> events_;
    std::vector<std::unique_ptr<class TMemoryConnection>> ends_;
};

// One end of an in-memory connection. An end without a link is a raw peer the test reads itself.
class TMemoryConnection final : public TPeerConnection {
  public:
    TMemoryConnection(TWire &wire, TPeerLink *link, QString peerAddress)
        : wire_(wire), link_(link), address_(std::move(peerAddress)) {}
    void Write(const QByteArray &bytes) override;
    QByteArray Take() override { return std::exchange(inbox_, {}); }
    // Closes with the end's own notice (as an outgoing socket does); Drop gives the peer its notice
    // only (as a listener dropping its connections).
    void Close() override { End(true); }
    void Drop() { End(false); }
    // In flight is lost; both ends see the end, or (silently) neither does and nothing gets
    // through.
    void Sever(bool silently);
    bool Severed() const { return severed_; }
    bool Open() const override { return open_; }
    QString PeerAddress() const override { return address_; }
    // TLS in play: both ends started it, so each learns the other's Key; plain bytes that reach an
    // end in its handshake fail it, as a real handshake fails on them.
    void StartTls(bool server) override;
    QPointer<TMemoryConnection> Peer;
    QString Key; // the fingerprint this end proves

  private:
    void End(bool ownNotice);
    void Handshake();
    bool securing_ = false;
    TWire &wire_;
    TPeerLink *link_;
    QString address_;
    QByteArray inbox_;
    bool open_ = true;
    bool severed_ = false;
};

class TMemoryTransport final : public TPeerTransport {
  public:
    TMemoryTransport(TWire &wire, QString address) : wire_(wire), address_(std::move(address)) {}
    TMemoryTransport *Remote = nullptr; // what Call reaches, whatever the host
    QString Fingerprint;                // this copy's key; empty: no key, links stay plain
    QString OwnFingerprint() const override { return Fingerprint; }
    void Bind(TPeerLink *link) override { link_ = link; }
    void Listen() override { listening_ = true; }
    bool Listening() const override { return listening_; }
    quint16 ListeningPort() const override { return listening_ ? 1024 : 0; }
    void StopCalling() override { listening_ = false; }
    void Call(const QString &host) override;
    void HangUp(TPeerRole role) override;
    void Shutdown() override;
    // A caller with no session of its own: the returned end is the test's.
    TMemoryConnection *AcceptRaw(const QString &address);

  private:
    TMemoryConnection *Current() const;
    TWire &wire_;
    QString address_;
    TPeerLink *link_ = nullptr;
    bool listening_ = false;
};

// What a session showed last, and everything it added or told.
struct TRecordingView final : TSessionView {
    // A board that stops taking moves puts a held piece back, as the board control does.
    void ShowTurn(bool whiteToMove, bool takes) override {
        WhiteToMove = whiteToMove, TakesMoves = takes;
        if (!takes)
            CancelDrag();
    }
    void ShowClock(bool white, const QString &text) override {
        (white ? WhiteClock : BlackClock) = text;
    }
    void ShowMoveList(const QStringList &lines) override { MoveList = lines; }
    void AddMessage(const QString &line) override { Messages << line; }
    void ShowStatus(int panel, const QString &text) override { Status[panel] = text; }
    void ShowButtons(const TSessionButtons &buttons) override { Buttons = buttons; }
    void ShowOpponent(const QString &opponent, const QString &address) override {
        Opponent = opponent, OpponentAddress = address;
    }
    void CancelDrag() override {
        if (OnCancelDrag)
            OnCancelDrag();
    }
    void ClearChatInput() override {}
    void NotifyAway(TNoticeKind, const TNotice &notice) override { Notices.push_back(notice); }

    bool WhiteToMove = true, TakesMoves = false;
    QString WhiteClock, BlackClock, Opponent, OpponentAddress;
    QStringList MoveList, Messages;
    QString Status[3];
    TSessionButtons Buttons;
    std::vector<TNotice> Notices;
    std::function<void()> OnCancelDrag;
};

// One copy of the program without its window.
struct TPlayer {
    TPlayer(TWire &wire, const QString &address);
    TChessRules Board;
    TRecordingView View;
    ScriptedDialogs Boxes;
    TMemoryTransport *Transport;
    std::vector<std::string> Kept; // every game kept, as PGN
    // The players the Connect box offers.
    std::vector<TConnectOffer> Offers;
    std::unique_ptr<TSession> Session;
    bool Holding = false; // a piece is held (see Take)
    qint64 Now = 0;       // the session's clock, in ms; callers from 127.* are local

    TSession *operator->() const { return Session.get(); }
    // A whole local move, e.g. Move("E2", "E4"); false when the board does not take it.
    bool Move(const char *from, const char *to);
    // A piece picked up and held while other things happen; Drop ends the drag (a move or not).
    void Take();
    void Drop(const char *from = nullptr, const char *to = nullptr);
};

Square At(const char *square);

// Two copies: Caller calls Listener.
struct TTable {
    explicit TTable(const QString &callerAddress = QStringLiteral("127.0.0.1"));
    bool Connect();   // Caller calls and both see the connection
    bool StartGame(); // Listener (White) starts a game; both have it
    // Plays the half-moves in turn, each by the side to move, delivered after each.
    bool Play(const std::vector<std::pair<const char *, const char *>> &moves);
    void Cut(bool silently = false) { // the connection between them breaks
        static_cast<TMemoryConnection *>(Caller->Link().Current())->Sever(silently);
    }
    // What is in flight arrives, then time passes on both sides a second at a time.
    void Pass(qint64 ms);
    TPlayer &Mover() {
        return Listener.Board.WhiteToMove() == Listener->PlaysWhite() ? Listener : Caller;
    }
    TWire Wire;
    TPlayer Listener, Caller;
};

} // namespace inproc
