#include "tools/artwork/AboutArt.h"

#include "tools/artwork/Figures.h"
#include "tools/artwork/IndexedPicture.h"
#include "tools/artwork/Quantise.h"

#include <algorithm>

namespace {

constexpr int KnightKind = 1;

// Scale and narrowing shared by the two stacked words so they read as one face.
QPainterPath SetWord(const QPainterPath &word, qreal scale, qreal narrow, qreal left,
                     qreal baseLine) {
    QTransform place;
    place.translate(left - word.boundingRect().left() * scale * narrow, baseLine);
    place.scale(scale * narrow, scale);
    return place.map(word);
}

} // namespace

QImage DrawProductName(const FontFiles &fonts) {
    const QPainterPath initial = TextOutline(fonts.SerifBold, QStringLiteral("B"));
    const QPainterPath upper = TextOutline(fonts.SansBold, QStringLiteral("oard"));
    const QPainterPath lower = TextOutline(fonts.SansBold, QStringLiteral("wick"));

    // "wick" ends clear of the version label (box x 128 = image x 120), "oard" inside the image.
    constexpr qreal wordsLeft = 66;
    constexpr qreal narrow = 0.88;
    constexpr qreal wordHeight = 30;
    const qreal heightScale =
        wordHeight / std::max(upper.boundingRect().height(), lower.boundingRect().height());
    const qreal wordScale =
        std::min({heightScale, (110.0 - wordsLeft) / (lower.boundingRect().width() * narrow),
                  (140.0 - wordsLeft) / (upper.boundingRect().width() * narrow)});

    return DrawSupersampled(141, 109, 4, [&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.fillPath(FitIntoBox(initial, QRectF(0, 8, 66, 88)), QColor(0, 0, 128));
        p.fillPath(SetWord(upper, wordScale, narrow, wordsLeft, 52), QColor(0, 0, 0));
        p.fillPath(SetWord(lower, wordScale, narrow, wordsLeft, 96), QColor(0, 0, 0));
    });
}

QImage DrawAboutPicture(const ChessGlyphs &glyphs) {
    const QImage drawn = DrawSupersampled(100, 100, 8, [&](QPainter &p) {
        p.fillRect(QRectF(0, 0, 100, 100), Qt::white);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 10; ++column) {
                if ((row + column) % 2 == 1) {
                    p.fillRect(QRectF(10 * column, 70 + 10 * row, 10, 10), QColor(0, 128, 128));
                }
            }
        }
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1, 1, 98, 98));
        p.drawLine(QPointF(1, 70), QPointF(99, 70));
        PaintFigure(p, glyphs, KnightKind, true, QRectF(4, 14, 44, 62), true, 0.6);
        PaintFigure(p, glyphs, KnightKind, false, QRectF(52, 14, 44, 62));
    });
    return QuantiseToPalette(drawn, StandardPalette16());
}
