#pragma once

#include "board/core/ChessRules.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Leaf count of the legal move tree below the board's current point, played through MakeMove and
// taken back through GotoMove. The board ends on the point it started from with the record bounds
// restored; entries after that point are rewritten. Handlers assigned to the board fire as usual.
std::uint64_t Perft(TChessRules &board, int depth);

// Leaf count below each legal root move, keyed by its move text ("E2-E4") and sorted by that text.
std::vector<std::pair<std::string, std::uint64_t>> PerftDivide(TChessRules &board, int depth);

// "E2-E4" style text of a move.
std::string MoveText(Square from, Square to);
