#pragma once

// Is the king of one colour attacked on a 64-letter board (index 0 = A8, 63 = H1)?
// The king is the first such letter in board order. A missing black king counts as attacked,
// a missing white king as not attacked; an enemy king next to it counts as an attack.
bool KingAttacked(const char *board, bool whiteKing);
