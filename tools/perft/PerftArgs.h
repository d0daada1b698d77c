#pragma once

#include "board/core/ChessTypes.h"

#include <string>

// Command line of boardwick-perft: POSITION SIDE CASTLING EP DEPTH.
struct PerftArgs {
    std::string position;
    bool whiteToMove = true;
    CastleSet castling;
    Square enPassant = Square::None;
    int depth = 1;
};

// Fills args from argv[1..5]; on a bad argument returns false and sets error to a one-line reason.
bool ParsePerftArgs(int argc, const char *const *argv, PerftArgs &args, std::string &error);
