#pragma once

#include "board/core/ChessRules.h"

#include <string>

// The state a move is judged in: what one record entry holds, plus the side to move.
struct TPositionState {
    std::string Board; // 64 letters, A8 first
    bool WhiteToMove = true;
    CastleSet Castling;
    Square EnPassant = Square::None;
};

// The board's position now (placement, side to move, castlings, en-passant square).
TPositionState PositionStateOf(const TChessRules &board);

// Standard algebraic notation ("Nbd7", "exd6", "e8=N#", "O-O-O") of a move by the side to move in
// state. promotion is the letter a promoting pawn becomes, in either case (N, B, R or Q); it is
// not looked at for other moves. Check and mate are judged on the position after the whole move.
// Empty when the move is not legal there or the promotion letter is not one of those four.
// Repetition does not count: a position seen three times still has its moves named.
// boardAfter, when given, receives the placement the move leaves (untouched when the SAN is empty).
std::string SanOfMove(const TPositionState &state, Square from, Square to, char promotion = 'Q',
                      std::string *boardAfter = nullptr);
// The same for the position on board now; the board is not changed.
std::string SanOfMove(const TChessRules &board, Square from, Square to, char promotion = 'Q');

// Is (from, to) a legal move of a pawn onto its last rank on board now? The session asks before
// playing a local move, so the piece can be chosen before the board promotes.
bool IsPromotionMove(const TChessRules &board, Square from, Square to);

// FEN of a position. Castlings whose king and rook no longer stand at home are left out, so every
// right written is one a FEN reader accepts. The board keeps no half-move clock: the caller gives
// it.
std::string PositionFen(const TPositionState &state, int halfMoveClock, int fullMoveNumber);

// Loads state onto a board that is then ready to play from it; its own record, repaint hooks and
// events are left as they are, so use a fresh board made for the purpose.
void LoadPositionState(TChessRules &board, const TPositionState &state);
