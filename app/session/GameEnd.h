#pragma once
#include "app/session/Notices.h"
#include "board/core/Pgn.h"

#include <QtGlobal>

class TChessRules;

// What the session saw end a game, before the board is looked at. A program ends every game by
// sending Resign, so a received Resign is only what the peer's program did.
enum class TEndTrigger {
    WhiteResigned,
    BlackResigned,
    WhiteFlagFell,
    BlackFlagFell,
    ConnectionLost,
    Replaced,  // a new game started over it
    DrawAgreed // both players agreed a draw
};

// How a game ended and its result.
struct TGameOutcome {
    TGameEnd How = TGameEnd::ConnectionLost;
    TGameResult Result = TGameResult::Unfinished;
    friend bool operator==(const TGameOutcome &, const TGameOutcome &) = default;
};

// What the final position says by itself.
struct TBoardEnd {
    bool WhiteToMove = true;
    bool CanMove = true;  // the side to move has a legal move (repetition aside)
    bool InCheck = false; // its king is attacked
    bool Repetition = false;
    bool BareKings = false;
};
TBoardEnd BoardEndOf(const TChessRules &board);

// A position that ends the game decides it (mate, stalemate, repetition, bare kings); otherwise
// the trigger does: a resignation or a fallen flag loses, an agreement draws, a lost connection
// leaves it unfinished.
TGameOutcome JudgeGameEnd(const TBoardEnd &board, TEndTrigger trigger);

// The peer's program also runs the local clock and may see its flag fall first, then sends
// Resign: a Resign that comes while the local side is to move with at most this much time left
// is the local flag falling.
inline constexpr int FlagMarginSeconds = 2;
TEndTrigger PeerResignTrigger(bool localPlaysWhite, bool localToMove, qint64 localSecondsLeft);
