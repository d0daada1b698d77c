#include "board/core/Perft.h"

#include <algorithm>

namespace {

std::uint64_t Walk(TChessRules &board, int depth) {
    const auto moves = board.LegalMoves();
    if (depth <= 1)
        return depth == 1 ? moves.size() : 1;
    const int moveNumber = board.CurrentMove();
    const bool white = board.WhiteToMove();
    std::uint64_t leaves = 0;
    for (const auto &[from, to] : moves) {
        board.MakeMove(from, to);
        leaves += Walk(board, depth - 1);
        board.GotoMove(moveNumber, white);
    }
    return leaves;
}

// Puts the record bounds back once a search is done, so the board reads as before.
class BoundsKeeper {
  public:
    explicit BoundsKeeper(TChessRules &board)
        : board_(board), last_(board.LastMoveNumber), lastWhite_(board.LastWhiteToMove) {}
    ~BoundsKeeper() {
        board_.LastMoveNumber = last_;
        board_.LastWhiteToMove = lastWhite_;
    }
    BoundsKeeper(const BoundsKeeper &) = delete;
    BoundsKeeper &operator=(const BoundsKeeper &) = delete;

  private:
    TChessRules &board_;
    int last_;
    bool lastWhite_;
};

} // namespace

std::string MoveText(Square from, Square to) {
    return TChessRules::SquareName(from) + "-" + TChessRules::SquareName(to);
}

std::uint64_t Perft(TChessRules &board, int depth) {
    BoundsKeeper keeper(board);
    return Walk(board, depth);
}

std::vector<std::pair<std::string, std::uint64_t>> PerftDivide(TChessRules &board, int depth) {
    BoundsKeeper keeper(board);
    std::vector<std::pair<std::string, std::uint64_t>> result;
    const int moveNumber = board.CurrentMove();
    const bool white = board.WhiteToMove();
    for (const auto &[from, to] : board.LegalMoves()) {
        board.MakeMove(from, to);
        result.emplace_back(MoveText(from, to), Walk(board, depth - 1));
        board.GotoMove(moveNumber, white);
    }
    std::sort(result.begin(), result.end());
    return result;
}
