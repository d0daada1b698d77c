#pragma once
#include "app/session/GameEnd.h"
#include "app/session/PeerProtocol.h"

#include <array>
#include <cstdint>
#include <optional>

// Where the game of the current connection stands. Ended games can be resumed by a granted step;
// a suspended game waits for its peer to come back after the connection dropped.
enum class TGamePhase { None, Running, Ended, Suspended };

// What the board is busy with; received lines that would change it wait meanwhile.
enum class TBoardHold {
    Free,
    PieceHeld,     // the local player holds a piece (see InterruptsDrag)
    MoveInProgress // a move is being played, its notices included: nothing but chat goes through
};

// The four consent questions a peer can ask; each has at most one box open.
enum class TAskKind { Back, Forward, WardOff, WardOn };
inline constexpr std::size_t AskKinds = 4;

// The session's own state, in one place: nothing is read back from the window's widgets.
struct TGameState {
    TGamePhase Phase = TGamePhase::None;
    bool PlayWhite = false; // the local player has White
    bool MoverWhite = true; // side that made the move being played
    TBoardHold Hold = TBoardHold::Free;
    int MovesMade = 0;        // half-moves played on the board in this game, both sides
    std::uint64_t Serial = 0; // moves on at every new game
    std::uint32_t Number = 0; // the numbered game of this connection (see TPeerFeatures::Numbered)
    bool StartedHere = false; // the numbered game was started by the local player
    int LocalMovesMade = 0;   // moves played by local drops
    int LocalMovesSent = 0;   // of those, sent to the peer
    bool LocalDraw = false;   // the local move being played drew the game
    bool StepsOff = false;    // the step buttons are switched off (kept across connections)
    bool StepAsksOn = false;  // the step buttons take clicks: on at connecting, then by the switch
    std::array<bool, AskKinds> Asking{};   // a question of this kind is open
    std::array<bool, AskKinds> Refusing{}; // a refusal notice of this kind is open
    std::array<int, AskKinds> Asked{};     // questions this side asked and has no answer to yet
    int MinutesPerSide = 0;                // the time control the game started with
    char PeerPromotion = 0;            // named by the peer's Promote line, for its next move only
    char LocalPromotion = 0;           // chosen for the local move being played; announced with it
    std::uint64_t MoveConnection = 0;  // the connection the local move being played belongs to
    std::optional<TEndTrigger> Ending; // what ended the game; empty while none has ended it
    bool KeepPending = false;          // ended inside a move: kept once the move is complete
    std::optional<TGameOutcome> Outcome; // the ended game's outcome, once judged

    bool Running() const { return Phase == TGamePhase::Running; }
};

// A New Game that meets a running game in which no move has been made yet may have crossed the
// peer's own New Game on the wire. Both programs then take their colours from the connection's
// roles instead (the side that accepted the call plays White), which gives opposite colours
// whichever way the lines crossed.
bool ColoursByRole(const TGameState &game);

// Whether a received line may be dispatched while the board is held so.
bool MayDispatch(const TPeerLine &line, TBoardHold hold);
// Whether a received line takes a held piece out of the player's hand before it acts: it changes
// the game under the piece or opens a box. A move cannot arrive legally while the local player is
// to move, and lines that change nothing leave the drag alone.
bool InterruptsDrag(const TPeerLine &line);

// The consent question a control word asks, and the words that answer it.
std::optional<TAskKind> AskKindOf(TControlWord word);
TControlWord AskOf(TAskKind kind);
TControlWord GrantOf(TAskKind kind);
std::optional<TAskKind> GrantedKindOf(TControlWord word);
TControlWord RefusalOf(TAskKind kind);
// The refusal notice a control word brings, by the question it answers.
std::optional<TAskKind> RefusedKindOf(TControlWord word);
