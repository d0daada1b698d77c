// Any text given as a position leaves a well-formed board on which the rules still work.
#include "board/core/ChessRules.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    TChessRules board;
    const std::string text(reinterpret_cast<const char *>(data), size);
    board.LoadPosition(text);
    const std::string &pos = board.Position();
    if (pos.size() != 64)
        std::abort();
    for (char c : pos)
        if (std::string_view(" PNBRQKpnbrqk").find(c) == std::string_view::npos)
            std::abort();
    // Play a few legal moves from the loaded placement for either side.
    for (bool white : {true, false}) {
        board.SetWhiteToMove(white);
        for (int i = 0; i < 4; ++i) {
            const auto moves = board.LegalMoves();
            if (moves.empty() != !board.CanMove())
                std::abort();
            if (moves.empty())
                break;
            const auto &m = moves[(size + i) % moves.size()];
            if (!board.MakeMove(m.first, m.second))
                std::abort();
        }
        board.MoveBack();
        board.GetMoveList();
    }
    return 0;
}
