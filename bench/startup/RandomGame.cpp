// Prints a legal game of N half-moves (one "E2-E4" per line) that never ends early: no mate,
// stalemate, threefold repetition or bare kings. The same seed gives the same game.
// usage: boardwick-random-game HALF_MOVES [SEED]
#include "board/core/ChessRules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

std::string SquareText(Square sq) {
    return {char('A' + TChessRules::FileOf(sq) - 1), char('0' + TChessRules::RankOf(sq))};
}

bool GameGoesOn(const TChessRules &board) {
    if (!board.CanMove() || board.IsThreefoldPosition())
        return false;
    const std::string &pos = board.Position();
    return std::any_of(pos.begin(), pos.end(),
                       [](char c) { return c != ' ' && c != 'K' && c != 'k'; });
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2 || std::atoi(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: %s HALF_MOVES [SEED]\n", argv[0]);
        return 2;
    }
    const int wanted = std::atoi(argv[1]);
    std::mt19937 rng(argc > 2 ? unsigned(std::atoi(argv[2])) : 1u);
    TChessRules board;
    for (int played = 0; played < wanted; ++played) {
        auto moves = board.LegalMoves();
        std::shuffle(moves.begin(), moves.end(), rng);
        bool moved = false;
        for (auto [from, to] : moves) {
            if (!board.MakeMove(from, to))
                continue;
            if (GameGoesOn(board)) {
                std::printf("%s-%s\n", SquareText(from).c_str(), SquareText(to).c_str());
                moved = true;
                break;
            }
            board.MoveBack();
        }
        if (!moved) {
            std::fprintf(stderr,
                         "no move keeps the game going after %d half-moves; try another seed\n",
                         played);
            return 1;
        }
    }
    return 0;
}
