#include "board/core/KingAttack.h"

#include <cstring>

namespace {

// Letter at (file, row) with file 0..7 and row 0..7 (row 0 = rank 8); '\0' off the board.
char At(const char *board, int file, int row) {
    if (file < 0 || file > 7 || row < 0 || row > 7)
        return '\0';
    return board[row * 8 + file];
}

struct Step {
    int file;
    int row;
};

constexpr Step KnightSteps[] = {{-2, -1}, {-2, 1}, {2, -1}, {2, 1},
                                {-1, -2}, {1, -2}, {-1, 2}, {1, 2}};
constexpr Step DiagonalSteps[] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
constexpr Step StraightSteps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};

// Walks from the king until the first occupied square; true when it holds one of the two line
// attackers, or the enemy king on the very first step.
bool RayHits(const char *board, int file, int row, Step step, char lineA, char lineB, char king) {
    for (int n = 1; n <= 7; ++n) {
        const char piece = At(board, file + n * step.file, row + n * step.row);
        if (piece == '\0')
            return false;
        if (piece != ' ')
            return piece == lineA || piece == lineB || (n == 1 && piece == king);
    }
    return false;
}

} // namespace

bool KingAttacked(const char *board, bool whiteKing) {
    const char king = whiteKing ? 'K' : 'k';
    const void *found = std::memchr(board, king, 64);
    if (found == nullptr)
        return !whiteKing;
    const int index = static_cast<int>(static_cast<const char *>(found) - board);
    const int file = index % 8;
    const int row = index / 8;

    // Enemy letters: pawn, knight, bishop, rook, queen, king.
    const char *enemy = whiteKing ? "pnbrqk" : "PNBRQK";
    // Enemy pawns attack towards their own forward direction: white pawns stand one row below a
    // black king.
    const int pawnRow = whiteKing ? row - 1 : row + 1;
    if (At(board, file - 1, pawnRow) == enemy[0] || At(board, file + 1, pawnRow) == enemy[0])
        return true;
    for (Step s : KnightSteps)
        if (At(board, file + s.file, row + s.row) == enemy[1])
            return true;
    for (Step s : DiagonalSteps)
        if (RayHits(board, file, row, s, enemy[2], enemy[4], enemy[5]))
            return true;
    for (Step s : StraightSteps)
        if (RayHits(board, file, row, s, enemy[3], enemy[4], enemy[5]))
            return true;
    return false;
}
