#pragma once

#include "tools/artwork/ChessGlyphs.h"

#include <QImage>

// The program's icon at any size: a white knight in front of a small board.
QImage DrawProgramIcon(const ChessGlyphs &glyphs, int size);

// The 32 x 32 window and tray icon, reduced to the standard 16 colours with a hard mask.
QImage DrawWindowIcon(const ChessGlyphs &glyphs);
