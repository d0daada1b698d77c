#include "board/core/ChessRules.h"

namespace {

// Entries run (1, White), (1, Black), (2, White), ...; -1 for move numbers below 1.
long EntryIndex(int moveNumber, bool whiteSide) {
    if (moveNumber < 1)
        return -1;
    return (static_cast<long>(moveNumber) - 1) * 2 + (whiteSide ? 0 : 1);
}

} // namespace

const MoveInfo &TChessRules::MoveHistory(int MoveNumber, bool WhiteSide) const {
    static const MoveInfo neverWritten;
    const long index = EntryIndex(MoveNumber, WhiteSide);
    if (index < 0 || static_cast<unsigned long>(index) >= history_.size())
        return neverWritten;
    return history_[static_cast<std::size_t>(index)];
}

// The record grows on demand, so a game of any length is kept whole.
MoveInfo &TChessRules::Entry(int MoveNumber, bool WhiteSide) {
    const auto index = static_cast<std::size_t>(EntryIndex(MoveNumber, WhiteSide));
    if (index >= history_.size())
        history_.resize(index + 1);
    return history_[index];
}

void TChessRules::RecordCurrent() {
    MoveInfo &entry = Entry(currentMove_, whiteToMove_);
    entry.Board = position_;
    entry.Castling = castling_;
    entry.EnPassantSq = enPassant_;
}

bool TChessRules::GotoMove(int MoveNumber, bool WhiteSide) {
    if (MoveNumber > LastMoveNumber ||
        (MoveNumber == LastMoveNumber && LastWhiteToMove && !WhiteSide))
        return false;
    if (MoveNumber < FirstMoveNumber)
        return false;
    // An entry that holds no position cannot be shown; taking it would blank the board.
    const MoveInfo &entry = MoveHistory(MoveNumber, WhiteSide);
    if (entry.Board.size() != 64)
        return false;

    currentMove_ = MoveNumber;
    whiteToMove_ = WhiteSide;
    const std::string oldPosition = position_;
    position_ = entry.Board;
    enPassant_ = entry.EnPassantSq;
    castling_ = entry.Castling;
    RedrawChangedSquares(oldPosition);
    return true;
}

bool TChessRules::MoveBack() {
    return whiteToMove_ ? GotoMove(currentMove_ - 1, false) : GotoMove(currentMove_, true);
}

bool TChessRules::MoveForward() {
    return whiteToMove_ ? GotoMove(currentMove_, false) : GotoMove(currentMove_ + 1, true);
}

std::vector<std::string> TChessRules::GetMoveList() const {
    std::vector<std::string> lines;
    if (LastMoveNumber < FirstMoveNumber)
        return lines;
    for (int n = FirstMoveNumber; n <= LastMoveNumber; ++n) {
        const MoveInfo &white = MoveHistory(n, true);
        lines.push_back(std::to_string(n) + ". " + SquareName(white.FromSq) + "-" +
                        SquareName(white.ToSq));
        if (n == LastMoveNumber && LastWhiteToMove)
            break;
        const MoveInfo &black = MoveHistory(n, false);
        lines.push_back(std::string(14, ' ') + SquareName(black.FromSq) + "-" +
                        SquareName(black.ToSq));
    }
    return lines;
}

bool TChessRules::IsThreefoldPosition() const {
    const long current = EntryIndex(currentMove_, whiteToMove_);
    if (current < 0 || static_cast<unsigned long>(current) >= history_.size())
        return false;
    const std::string &board = history_[static_cast<std::size_t>(current)].Board;
    if (board.empty())
        return false;
    int seen = 0;
    for (long i = current - 1; i >= 0; --i) {
        if (history_[static_cast<std::size_t>(i)].Board == board && ++seen >= 2)
            return true;
    }
    return false;
}
