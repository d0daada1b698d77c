#pragma once

#include "tools/artwork/ChessGlyphs.h"
#include "tools/artwork/Fonts.h"

#include <QImage>

// The product name as the About box shows it: a large initial "B" with "oard" and "wick"
// stacked beside it. 141 x 109 pixels, transparent, meant to sit at (8, 0) of the box, where
// it covers the three name labels; under the version label at (128, 72) it stays empty.
QImage DrawProductName(const FontFiles &fonts);

// The About box's 100 x 100 picture in the standard 16 colours: two knights facing each
// other across a board, one White and one Black.
QImage DrawAboutPicture(const ChessGlyphs &glyphs);
