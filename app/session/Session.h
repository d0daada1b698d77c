#pragma once
#include "app/session/Dialogs.h"
#include "app/session/GameState.h"
#include "app/session/KnownPeers.h"
#include "app/session/Notices.h"
#include "app/session/PeerLink.h"
#include "app/session/PreciseTimer.h"
#include "app/session/ResumeLines.h"
#include "board/core/ChessTypes.h"

#include <QDate>
#include <QObject>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QTimer;
class TChessRules;
class TDialogs;

// Whether the local player can offer a draw now, or why not.
enum class TDrawOffer { Available, NoGame, Waiting, Unsupported };

// What the buttons offer; derived from the session's state each time it changes.
struct TSessionButtons {
    bool NewGame = true;     // New Game
    bool Resign = false;     // Resign Game
    bool Connected = false;  // the connect button reads "Disconnect"
    bool StepAsks = false;   // the two step buttons
    bool StepSwitch = false; // the step switch
    bool StepsOff = false;   // the step switch reads "< ON >"
    // Whether "Offer a draw" takes a click, else why not.
    TDrawOffer Draw = TDrawOffer::NoGame;
    friend bool operator==(const TSessionButtons &, const TSessionButtons &) = default;
};

// What the session shows. The window implements it with its widgets; tests record it.
class TSessionView {
  public:
    virtual ~TSessionView() = default;
    // Whose turn the status bar shows, and whether the board takes the local player's moves.
    virtual void ShowTurn(bool whiteToMove, bool boardTakesMoves) = 0;
    virtual void ShowClock(bool white, const QString &text) = 0;
    // The game record, one line per half-move played.
    virtual void ShowMoveList(const QStringList &lines) = 0;
    virtual void AddMessage(const QString &line) = 0;
    virtual void ShowStatus(int panel, const QString &text) = 0;
    virtual void ShowButtons(const TSessionButtons &buttons) = 0;
    // address: where a name the peer gave itself comes from (its tooltip); empty otherwise.
    virtual void ShowOpponent(const QString &opponent, const QString &address = {}) = 0;
    // Puts a held piece back; its end of drag reaches the session before this returns.
    virtual void CancelDrag() = 0;
    // The listener is on or off (off while calling out, or once the window closes).
    virtual void ShowListening(bool listening) { (void)listening; }
    // Whether the link is private, with the safety code both players see (empty when plain).
    virtual void ShowPrivacy(const QString &safetyCode) { (void)safetyCode; }
    virtual void ClearChatInput() = 0;
    // Tells the player about something while the window is away (the view decides whether).
    virtual void NotifyAway(TNoticeKind kind, const TNotice &notice) = 0;
};

// What a session uses besides the board and the view; tests replace it.
struct TSessionSeams {
    // Starts a reverse lookup of an address and later calls answer with the name, or with an empty
    // text when it has none; an answer after the session is gone must not be delivered.
    std::function<void(const QString &address, std::function<void(const QString &name)> answer)>
        LookUpName;
    // Keeps an ended game's PGN; false with the reason when it could not.
    std::function<bool(const std::string &pgn, QString &reason)> KeepGame;
    TPreciseTimer::TClock Clock; // the clocks' time source; empty: the system's
    // Whether a caller's address is on the local network; empty: this machine's interfaces.
    std::function<bool(const QString &address)> IsLocal;
    // The players found on the local network, for the Connect box; empty: none.
    TConnectOffers Offers;
    QString ListeningText = QStringLiteral("Waiting for a call ...");
    // Where known opponents are kept; empty: in memory only.
    QString KnownPeersFile;
};

// The game between this copy and its peer: the connection, the game's state, both clocks, the
// questions asked and being answered, and the end of a game with what is kept of it. It drives the
// rules it is given (in the program, the board control) and shows everything through the view.
class TSession : public QObject, private TPeerLinkOwner {
  public:
    // A stranger's call waits this long for the local player's consent.
    static constexpr qint64 StrangerWaitMs = 30000;
    // No one plays this many games a minute: a peer that starts them faster is cut off.
    static constexpr std::size_t MaxPeerGamesPerMinute = 30;
    // Between copies that announced Resume: a dropped game waits this long for its peer; a beat
    // goes out this often, and a peer silent this long has dropped; a caller that does not name
    // the game this soon is turned away; a call back is given up after CallWaitMs.
    static constexpr qint64 GraceMs = 120000;
    static constexpr qint64 BeatMs = 5000, SilenceMs = 15000;
    static constexpr qint64 RecogniseMs = 10000, CallWaitMs = 10000;
    static constexpr qint64 FirstCallMs = 2000, LongestCallPauseMs = 30000;

    TSession(TChessRules &board, TSessionView &view, TDialogs &dialogs,
             std::unique_ptr<TPeerTransport> transport, TSessionSeams seams = {},
             QObject *parent = nullptr);
    ~TSession() override;

    // Start-up: listens; false when the port could not be had (the failure was shown).
    bool Start();
    // The window is closing: nothing listens or calls any more.
    void Close();

    // What the user did.
    void NewGame();
    void Resign();
    // Connect pressed: asks for the address and calls it; Disconnect: ends the connection.
    void ConnectOrDisconnect();
    void Chat(const QString &text);
    void AskStep(bool back);
    void AskStepSwitch();
    // Offers the peer a draw in the game running, when TSessionButtons::Draw says it can be.
    void OfferDraw();
    // The name the peer is told; empty: none (the peer shows this side's address).
    void SetPlayerName(const QString &name);
    const QString &PlayerName() const { return ownName_; }
    // The name the peer gave itself on this connection (or the last); empty: none.
    const QString &PeerName() const { return peerName_; }
    // The local player picks up a piece, and lets it go (a move was made on drop, or not).
    void PieceTaken();
    void DragEnded();
    // A whole local move as the board's drag makes it: take, drop, end of drag.
    bool PlayLocalMove(Square from, Square to);

    // The clock of the side to move loses a second; its flag falls below 0:0.
    void Timer1Timer();
    // Once a second while the peer announced Resume or a game is suspended: the beat, a silent
    // peer, the grace period and the calls back, all by the session's clock.
    void ResumeTick();

    int TimePerSide() const { return timePerSide_; }
    void SetTimePerSide(int minutes) { timePerSide_ = minutes; }

    // What the session stands at.
    bool Connected() const { return link_->HasPeer(); }
    bool IsServer() const { return link_->Role() == TPeerRole::Accepted; }
    TGamePhase Phase() const { return game_.Phase; }
    bool GameRunning() const { return game_.Running(); }
    bool Suspended() const { return game_.Phase == TGamePhase::Suspended; }
    bool PlaysWhite() const { return game_.PlayWhite; }
    const std::optional<TGameOutcome> &Outcome() const { return game_.Outcome; }
    bool ClockRunning() const { return timer_->Enabled(); }
    // Clocks as minutes and seconds; a test may set one to make a flag fall.
    struct TClock {
        int Minutes = 0, Seconds = 0;
    };
    TClock WhiteClock() const { return white_; }
    TClock BlackClock() const { return black_; }
    void SetClock(bool white, TClock clock);
    const QString &ConnectAddress() const { return connectAddress_; }
    TPeerLink &Link() const { return *link_; }
    TPreciseTimer &Timer() const { return *timer_; }
    TKnownPeers &KnownPeers() { return known_; }
    // The code both players see on a private link; empty while the link is plain.
    QString SafetyCode() const;

    // The game on the board as PGN, as it stands: finished or not.
    std::string GamePgnText() const;
    QDate GameDate() const { return gameDate_.isValid() ? gameDate_ : QDate::currentDate(); }

  private:
    // From the link.
    void PeerConnected(TPeerRole role, const QString &address) override;
    void PeerEnded() override;
    void CallFailed() override;
    bool Welcome(const QString &address) override;
    void StrangerCalling(const QString &address) override;
    void AskAboutStranger(std::uint64_t stranger, const QString &address, const QString &name);
    void PeerSecured(const QString &fingerprint) override;
    void SecureFailed(const QString &reason) override;
    void StrangerSettled(const QString &fingerprint) override;
    void ConsiderStranger(std::uint64_t stranger);
    bool SayIfKeyChanged(const QString &name, const QString &fingerprint);
    void LookUpName(const QString &address, std::function<void(const QString &)> answer);
    qint64 Now() const;
    bool PeerArrived(const TPeerLine &line) override;
    bool MayRun(const TPeerLine &line) override;
    void PeerLine(const TPeerLine &line) override;
    void PeerAnnounced() override;
    bool ResumeAnnounced();
    void NamesAnnounced();

    // Resuming a game after a dropped connection (SessionResume.cpp).
    void ShareGameIdentity();
    void TakeGameShare(const TPeerLine &line);
    bool ResumeArrived(const TPeerLine &line);
    void TakeClaim(const TResumeClaim &claim);
    void CompareClaims(const TResumeClaim &peer);
    TResumeClaim OwnClaim() const;
    bool SuspendGame();
    void RejoinConnected();
    void CallBack();
    void NextCallLater();
    void ShowSuspension();
    void DeliveredMove(bool made);
    void SayLeaving();
    void DropSuspension();
    void EndSuspension(const QString &why);
    void GiveUpAndStay(const QString &why);
    void RunPulse();

    void WireBoard();
    bool PeerMove(const TPeerLine &line);
    void RunControl(const TPeerLine &line);
    void StartGame(bool playWhite);
    void ReceivedNew(const TPeerLine &line);
    void CheckMoves();
    void UpdateMove();
    void ShowClocks();
    void ShowButtons();
    void ConnectionClosed();
    bool StartListening();
    void AnswerRequest(TAskKind kind);
    void Ask(TAskKind kind);
    void ShowRefusal(TAskKind kind);
    void StepBoard(bool back);
    void SwitchSteps(bool off);
    void DrawNotice(const QString &text);
    void LocalMoveDone();
    void Release();
    char PromotionFor();
    void EndGame(TEndTrigger trigger);
    void ResignWith(TEndTrigger trigger);
    void KeepEndedGame();
    bool LocalMoveInProgress() const;
    bool ClockOfWhite() const;
    void ShowListening();
    // Names and draw offers (SessionDraw.cpp).
    bool RunPlayerLine(const TPeerLine &line);
    void ShowPeerName(const std::string &sent);
    void SendName();
    bool DrawArrived(const TPeerLine &line);
    void AnswerDraw(const TPeerLine &line);
    void DrawAnswered(const TPeerLine &line);
    bool DrawOffered() const;
    TDrawOffer DrawOfferNow() const;
    void DrawLapses();

    TChessRules &board_;
    TSessionView &view_;
    TDialogs &dialogs_;
    TSessionSeams seams_;
    TPeerLink *link_;      // child
    TPreciseTimer *timer_; // child
    TGameState game_;
    TClock white_, black_;
    int timePerSide_ = 45;
    QString connectAddress_;
    QString opponent_; // the peer's name, else its address; kept for the last game's record
    QDate gameDate_;   // the day the game on the board started
    Square moveFrom_ = Square::None, moveTo_ = Square::None; // the last move played on the board
    bool closing_ = false;
    bool choosing_ = false;        // the local player chooses a promotion piece
    qint64 strangerSince_ = 0;     // when the stranger held now called
    std::deque<qint64> peerGames_; // when the peer started its latest games
    TResumeState resume_;
    QTimer *pulse_ = nullptr; // child, made once the peer announces Resume

    QString peerAddress_;          // the address of the connection (or the last)
    QString peerName_;             // the name the peer gave itself, if it did
    QString ownName_;              // the name the peer is told
    std::uint64_t nameSentOn_ = 0; // the connection the name went out on
    // The open draw offer made here: the connection, game and half-moves it was made at.
    struct TDrawOffered {
        std::uint64_t Connection = 0, Game = 0;
        std::uint32_t Number = 0, Moves = 0;
    };
    std::optional<TDrawOffered> drawOffered_;
    bool drawAsking_ = false; // the peer's offer is being answered
    TKnownPeers known_;
    // The stranger held: its address, its name once looked up, and whether the box was asked.
    QString strangerAddress_, strangerName_;
    std::uint64_t strangerLookedUp_ = 0, strangerConsidered_ = 0;
    QString checkedKey_; // a stranger's key already looked at before it was let in
};
