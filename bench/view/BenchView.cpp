// Painting costs of the board control on the main window's configuration.
#include "board/ChessBrd.h"

#include <benchmark/benchmark.h>

namespace {

void ConfigureMainBoard(TChessBrd &board) {
    TFont font;
    font.Height = -9;
    font.Color = clWhite;
    board.SetBounds(8, 28, 296, 296);
    board.SetBoardLines(true);
    board.SetBorderColor(clInactiveBorder);
    board.SetCoordFont(font);
    board.SetSizeOfBorder(24);
    board.SetSizeOfSquare(31);
    board.SetSquareColorDark(clGray);
    board.SetSquareColorLight(clWhite);
    board.SetStandardSize(StandardSet::Size32);
    board.Paint();
}

void BM_FullPaint296(benchmark::State &state) {
    TChessBrd board;
    ConfigureMainBoard(board);
    for (auto _ : state) {
        board.Paint();
        benchmark::DoNotOptimize(board.Canvas().Surface().constBits());
    }
}
BENCHMARK(BM_FullPaint296)->Unit(benchmark::kMicrosecond);

// One move and its way back through the record: the squares it changed are all that is drawn.
void BM_MoveAndStepBack(benchmark::State &state) {
    TChessBrd board;
    ConfigureMainBoard(board);
    for (auto _ : state) {
        board.MakeMove(Square::E2, Square::E4);
        board.MoveBack();
    }
}
BENCHMARK(BM_MoveAndStepBack)->Unit(benchmark::kMicrosecond);

void BM_DrawSquare(benchmark::State &state) {
    TChessBrd board;
    ConfigureMainBoard(board);
    for (auto _ : state)
        board.DrawSquare(Square::E4);
}
BENCHMARK(BM_DrawSquare)->Unit(benchmark::kMicrosecond);

} // namespace
