#include "tools/artwork/ChessGlyphs.h"

#include <QList>

#include <stdexcept>

namespace {

// Unicode orders the figures king, queen, rook, bishop, knight, pawn.
char16_t FigureCode(char16_t firstOfSet, int kind) {
    static constexpr int fromKing[6] = {5, 4, 3, 2, 1, 0};
    return static_cast<char16_t>(firstOfSet + fromKing[kind]);
}

constexpr char16_t WhiteKing = 0x2654;
constexpr char16_t BlackKing = 0x265A;
constexpr qreal DesignPixels = 1000.0; // outlines are scaled by the caller; this is only precision

} // namespace

ChessGlyphs::ChessGlyphs(const QString &fontPath)
    : font_(fontPath, DesignPixels, QFont::PreferNoHinting) {
    if (!font_.isValid()) {
        throw std::runtime_error("cannot read font file " + fontPath.toStdString());
    }
    for (char16_t code = WhiteKing; code < BlackKing + 6; ++code) {
        if (!font_.supportsCharacter(QChar(code))) {
            throw std::runtime_error("font lacks the chess figures: " + fontPath.toStdString());
        }
    }
}

QPainterPath ChessGlyphs::Outline(char16_t codePoint) const {
    const QList<quint32> indexes = font_.glyphIndexesForString(QString(QChar(codePoint)));
    return font_.pathForGlyph(indexes.value(0));
}

QPainterPath ChessGlyphs::Hollow(int kind) const {
    return Outline(FigureCode(WhiteKing, kind));
}

QPainterPath ChessGlyphs::Solid(int kind) const {
    return Outline(FigureCode(BlackKing, kind));
}
