#include "tools/artwork/IconArt.h"

#include "tools/artwork/Figures.h"
#include "tools/artwork/IndexedPicture.h"
#include "tools/artwork/Quantise.h"

namespace {

constexpr int KnightKind = 1;

} // namespace

QImage DrawProgramIcon(const ChessGlyphs &glyphs, int size) {
    // Drawn on a 32-unit grid; small sizes get a bolder outline so the knight stays readable.
    const qreal outline = size <= 16 ? 1.6 : size <= 32 ? 0.9 : 0.5;
    return DrawSupersampled(size, size, size <= 48 ? 8 : 4, [&](QPainter &p) {
        p.scale(size / 32.0, size / 32.0);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                p.fillRect(QRectF(1 + 7.5 * column, 1 + 7.5 * row, 7.5, 7.5),
                           (row + column) % 2 == 0 ? QColor(255, 255, 255) : QColor(0, 128, 128));
            }
        }
        p.setPen(QPen(QColor(0, 0, 128), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1, 1, 30, 30));
        PaintFigure(p, glyphs, KnightKind, true, QRectF(4, 2.5, 24, 27.5), true, outline);
    });
}

QImage DrawWindowIcon(const ChessGlyphs &glyphs) {
    return QuantiseToPalette(DrawProgramIcon(glyphs, 32), StandardPalette16());
}
