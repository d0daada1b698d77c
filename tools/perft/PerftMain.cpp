#include "tools/perft/PerftArgs.h"

#include "board/core/ChessRules.h"
#include "board/core/Perft.h"

#include <cstdint>
#include <iostream>

// Counts the leaves of the legal move tree of a position, per root move and in total.
int main(int argc, char **argv) {
    PerftArgs args;
    std::string error;
    if (!ParsePerftArgs(argc, argv, args, error)) {
        std::cerr << "boardwick-perft: " << error << '\n';
        return 2;
    }
    TChessRules board;
    board.LoadPosition(args.position);
    board.SetWhiteToMove(args.whiteToMove);
    board.SetCastlingAllowed(args.castling);
    board.SetEnPassant(args.enPassant);

    std::uint64_t total = 0;
    for (const auto &[text, leaves] : PerftDivide(board, args.depth)) {
        std::cout << text << ": " << leaves << '\n';
        total += leaves;
    }
    std::cout << "total: " << total << '\n';
    return 0;
}
