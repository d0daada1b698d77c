#include "tools/artwork/ButtonGlyphs.h"

#include "tools/artwork/Quantise.h"

#include <QPainterPath>

#include <cstring>
#include <stdexcept>

namespace {

constexpr int Supersample = 4;
const QColor Ink(32, 32, 32);

// New Game: a small board with a green "plus" badge.
void PaintNewGame(QPainter &p) {
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            p.fillRect(QRectF(1 + 3 * column, 4 + 3 * row, 3, 3),
                       (row + column) % 2 == 0 ? QColor(240, 240, 240) : QColor(0, 110, 110));
        }
    }
    p.setPen(QPen(Ink, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 3.5, 13, 13).adjusted(0, 0, -0.5, -0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    p.drawEllipse(QPointF(11.5, 4.5), 4.5, 4.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 3.5, 6, 2));
    p.drawRect(QRectF(10.5, 1.5, 2, 6));
}

// Resign Game: a white flag on a pole.
void PaintResign(QPainter &p) {
    p.setPen(QPen(QColor(90, 60, 30), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 1.5), QPointF(3, 15));
    QPainterPath flag;
    flag.moveTo(3.7, 2);
    flag.cubicTo(7, 0.5, 10, 3.5, 14.5, 2);
    flag.lineTo(14.5, 9);
    flag.cubicTo(10, 10.5, 7, 7.5, 3.7, 9);
    flag.closeSubpath();
    p.setPen(QPen(Ink, 0.9));
    p.setBrush(Qt::white);
    p.drawPath(flag);
}

// Connect: two arrows passing each other, as lines go both ways.
void PaintConnect(QPainter &p) {
    const QColor blue(0, 70, 170);
    p.setPen(QPen(blue, 1.8, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(1, 5), QPointF(10, 5));
    p.drawLine(QPointF(6, 11), QPointF(15, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({QPointF(9, 1.5), QPointF(15, 5), QPointF(9, 8.5)}));
    p.drawPolygon(QPolygonF({QPointF(7, 7.5), QPointF(1, 11), QPointF(7, 14.5)}));
}

// About: the usual information sign.
void PaintAbout(QPainter &p) {
    p.setPen(QPen(QColor(10, 50, 140), 1));
    p.setBrush(QColor(40, 100, 210));
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.3, 1.3);
    p.drawRect(QRectF(6.9, 6.8, 2.2, 5.8));
}

void PaintTriangle(QPainter &p, bool pointsLeft) {
    const qreal tip = pointsLeft ? 1.5 : 7.5;
    const qreal base = pointsLeft ? 7 : 2;
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF({QPointF(tip, 4.5), QPointF(base, 1), QPointF(base, 8)}));
}

} // namespace

const std::vector<GlyphDef> &ButtonGlyphDefs() {
    static const std::vector<GlyphDef> defs = {{"BitBtn1", 9},  {"BitBtn2", 9},  {"BitBtn3", 16},
                                               {"BitBtn4", 16}, {"BitBtn5", 16}, {"BitBtn6", 16}};
    return defs;
}

QImage DrawButtonGlyph(const GlyphDef &def) {
    const auto draw = [&def](QPainter &p) {
        if (std::strcmp(def.ButtonName, "BitBtn1") == 0) {
            PaintTriangle(p, true);
        } else if (std::strcmp(def.ButtonName, "BitBtn2") == 0) {
            PaintTriangle(p, false);
        } else if (std::strcmp(def.ButtonName, "BitBtn3") == 0) {
            PaintNewGame(p);
        } else if (std::strcmp(def.ButtonName, "BitBtn4") == 0) {
            PaintResign(p);
        } else if (std::strcmp(def.ButtonName, "BitBtn5") == 0) {
            PaintAbout(p);
        } else if (std::strcmp(def.ButtonName, "BitBtn6") == 0) {
            PaintConnect(p);
        } else {
            throw std::invalid_argument(std::string("no glyph for ") + def.ButtonName);
        }
    };
    return DrawSupersampled(def.Size, def.Size, Supersample, draw);
}
