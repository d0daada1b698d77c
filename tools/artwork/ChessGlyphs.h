#pragma once

#include <QPainterPath>
#include <QRawFont>
#include <QString>

// The chess figures U+2654..U+265F of one font file as outlines. Kind 0..5 is pawn, knight,
// bishop, rook, queen, king; the hollow figure is the one drawn for White, the solid one for Black.
class ChessGlyphs {
  public:
    // Throws std::runtime_error when the file cannot be read or lacks any of the twelve figures.
    explicit ChessGlyphs(const QString &fontPath);

    QPainterPath Hollow(int kind) const;
    QPainterPath Solid(int kind) const;

  private:
    QPainterPath Outline(char16_t codePoint) const;

    QRawFont font_;
};
