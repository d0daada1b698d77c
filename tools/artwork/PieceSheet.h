#pragma once

#include "tools/artwork/ChessGlyphs.h"
#include "tools/artwork/IndexedPicture.h"

// One built-in sheet: 6 x 4 cells of CellSize pixels. BitsPerPixel 4 uses the standard
// 16-colour palette (black, grey, white and, with UseSilver, silver); 1 uses black and white.
struct SheetDef {
    const char *FileName;
    int CellSize;
    int BitsPerPixel;
    bool UseSilver;
};

// The four sheets the board ships with, smallest first.
const SheetDef (&BuiltInSheets())[4];

// Draws a sheet: row 0 White's pieces, row 1 their masks, row 2 Black's, row 3 their masks;
// columns pawn, knight, bishop, rook, queen, king. Every non-white piece pixel lies under an
// opaque (non-white) mask pixel, and the whole inside of each figure is opaque.
IndexedPicture RenderPieceSheet(const ChessGlyphs &glyphs, const SheetDef &def);
