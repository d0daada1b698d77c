#include "tests/rules/RulesTestSupport.h"

#include "board/core/Perft.h"
#include "board/core/Pgn.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

// A middlegame reached after 400 recorded half-moves of quiet play from a rich position, so every
// repetition scan walks the whole record.
TChessRules &MiddlegameWithLongRecord() {
    static TChessRules board;
    static const bool ready = [] {
        SetUpBoard(board, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R", true,
                   AllCastlings);
        return PlayQuietGame(board, 400);
    }();
    if (!ready)
        throw std::runtime_error("could not build the 400-entry record");
    return board;
}

// One move with its end-of-game and repetition tests, then the step back that undoes it.
void BM_MakeMoveWithLongRecord(benchmark::State &state) {
    TChessRules &board = MiddlegameWithLongRecord();
    const int number = board.CurrentMove();
    const bool white = board.WhiteToMove();
    const int lastNumber = board.LastMoveNumber;
    const bool lastWhite = board.LastWhiteToMove;
    std::pair<Square, Square> quiet{Square::None, Square::None};
    for (const auto &move : board.LegalMoves())
        if (board.PieceAt(move.second) == ' ')
            quiet = move;
    for (auto _ : state) {
        if (!board.MakeMove(quiet.first, quiet.second))
            state.SkipWithError("move refused");
        board.GotoMove(number, white);
    }
    board.LastMoveNumber = lastNumber;
    board.LastWhiteToMove = lastWhite;
    state.counters["entries"] = static_cast<double>(2 * number - (white ? 1 : 0));
}
BENCHMARK(BM_MakeMoveWithLongRecord)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The step back alone, to tell its share in the figure above.
void BM_GotoMoveWithLongRecord(benchmark::State &state) {
    TChessRules &board = MiddlegameWithLongRecord();
    const int number = board.CurrentMove();
    const bool white = board.WhiteToMove();
    for (auto _ : state)
        benchmark::DoNotOptimize(board.GotoMove(number, white));
}
BENCHMARK(BM_GotoMoveWithLongRecord)->Unit(benchmark::kMicrosecond);

void BM_CanMoveWithLongRecord(benchmark::State &state) {
    TChessRules &board = MiddlegameWithLongRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(board.CanMove());
}
BENCHMARK(BM_CanMoveWithLongRecord)->Unit(benchmark::kMicrosecond);

// The PGN text of the whole 400-half-move record, as written when a game ends.
void BM_GamePgnOfLongRecord(benchmark::State &state) {
    const TChessRules &board = MiddlegameWithLongRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(GamePgn(board, {}));
}
BENCHMARK(BM_GamePgnOfLongRecord)->Unit(benchmark::kMillisecond);

void BM_PerftStartDepth5(benchmark::State &state) {
    TChessRules board;
    for (auto _ : state) {
        if (Perft(board, 5) != 4865609)
            state.SkipWithError("wrong leaf count");
    }
}
BENCHMARK(BM_PerftStartDepth5)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
