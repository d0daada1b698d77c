#pragma once

#include "board/core/ChessRules.h"

#include <string>
#include <string_view>
#include <vector>

// "E2" -> Square::E2; anything else -> Square::None.
Square Sq(std::string_view name);
// Square::E2 -> "E2"; None -> "--".
std::string Name(Square sq);
// Board part of a FEN text ("8/2p5/...") as a 64-letter position string.
std::string Placement(std::string_view fenBoard);
// Loads a placement and the side to move, castling rights and en-passant square onto a fresh game.
void SetUpBoard(TChessRules &board, std::string_view fenBoard, bool whiteToMove,
                CastleSet castling = {}, Square enPassant = Square::None);
// Plays "E2-E4 E7-E5 ..." and answers whether every move was accepted.
bool Play(TChessRules &board, std::string_view moves);

// Plays halfMoves moves without captures, each to the placement seen least so far, so that no
// placement comes up three times and the side to move always has a move. False if it got stuck.
bool PlayQuietGame(TChessRules &board, int halfMoves);

// A board that writes every event and every repaint request into lists, in order.
class RecordingBoard : public TChessRules {
  public:
    RecordingBoard();
    void DrawSquare(Square sq) override;
    void DrawPiece(Square sq, char Piece) override;
    void RedrawChangedSquares(const std::string &oldPosition) override;
    void RepaintBoard() override;

    std::vector<std::string> events;
    std::vector<std::string> paints;
    // Letter the promotion handler writes into its argument; '\0' leaves it alone.
    char promoteTo = '\0';
};
