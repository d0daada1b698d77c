#pragma once

#include <QImage>
#include <QString>
#include <vector>

// A glyph for one of the main window's picture buttons, by the button's name.
struct GlyphDef {
    const char *ButtonName;
    int Size; // square, in pixels
};

// BitBtn1 (step back) and BitBtn2 (step forward) sit on 17-pixel buttons; the others on 25.
const std::vector<GlyphDef> &ButtonGlyphDefs();

// Draws the glyph with an alpha channel; throws std::invalid_argument for an unknown name.
QImage DrawButtonGlyph(const GlyphDef &def);
