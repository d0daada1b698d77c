// Bytes from a peer, split into reads at arbitrary points, go through the framing, the line
// parser and the move text into the rules of a game in progress: no crash, bounded memory,
// and the board only ever changes by legal moves.
#include "app/session/LineFramer.h"
#include "app/session/MoveText.h"
#include "app/session/PeerProtocol.h"
#include "board/core/ChessRules.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    TChessRules board;
    for (auto [from, to] :
         {std::pair{Square::E2, Square::E4}, {Square::E7, Square::E5}, {Square::G1, Square::F3}})
        board.MakeMove(from, to);

    TLineFramer framer;
    const std::string_view all(reinterpret_cast<const char *>(data), size);
    std::size_t at = 0;
    // Each read's length comes from the input itself, so the fuzzer explores the splits too.
    while (at < all.size()) {
        const std::size_t len = 1 + std::uint8_t(all[at]) % 64;
        for (const std::string &line : framer.Feed(all.substr(at, len))) {
            if (line.size() > TLineFramer::MaxLine || line.find('\n') != std::string::npos)
                std::abort();
            const TPeerLine parsed = ParsePeerLine(line, DefaultMessageTag);
            if (parsed.Channel != TPeerChannel::Move)
                continue;
            const TMoveText move = ReadMoveText(parsed.Payload);
            if (!move.WellFormed || !move.HasTo)
                continue;
            const Square from = TChessRules::SquareAt(move.FromFile, move.FromRank);
            const Square to = TChessRules::SquareAt(move.ToFile, move.ToRank);
            const bool legal = board.IsLegalMove(from, to);
            const std::string before = board.Position();
            if (board.MakeMove(from, to) != legal || (!legal && board.Position() != before))
                std::abort();
        }
        if (framer.Pending() > TLineFramer::MaxLine)
            std::abort();
        at += len;
    }
    return 0;
}
