#include "tools/artwork/Figures.h"

#include "tools/artwork/Fonts.h"

#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>

namespace {

qreal PolygonArea(const QPolygonF &polygon) {
    qreal twice = 0;
    for (int i = 0; i < polygon.size(); ++i) {
        const QPointF &a = polygon[i];
        const QPointF &b = polygon[(i + 1) % polygon.size()];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2;
}

} // namespace

QPainterPath OuterContour(const QPainterPath &outline) {
    QPolygonF largest;
    for (const QPolygonF &polygon : outline.toSubpathPolygons()) {
        if (PolygonArea(polygon) > PolygonArea(largest)) {
            largest = polygon;
        }
    }
    QPainterPath contour;
    contour.addPolygon(largest);
    contour.closeSubpath();
    return contour;
}

void PaintFigure(QPainter &painter, const ChessGlyphs &glyphs, int kind, bool white,
                 const QRectF &box, bool mirrored, qreal outlineWidth) {
    // Both figures share one placement so that White's outline and Black's body line up.
    QPainterPath hollow = glyphs.Hollow(kind);
    QPainterPath solid = glyphs.Solid(kind);
    if (mirrored) {
        const QTransform flip = QTransform::fromScale(-1, 1);
        hollow = flip.map(hollow);
        solid = flip.map(solid);
    }
    const QRectF bounds = hollow.boundingRect().united(solid.boundingRect());
    QPainterPath frame;
    frame.addRect(bounds);
    const QPainterPath placedFrame = FitIntoBox(frame, box);
    QTransform place;
    place.translate(placedFrame.boundingRect().left(), placedFrame.boundingRect().top());
    place.scale(placedFrame.boundingRect().width() / bounds.width(),
                placedFrame.boundingRect().height() / bounds.height());
    place.translate(-bounds.left(), -bounds.top());

    painter.save();
    painter.setPen(Qt::NoPen);
    const QPainterPath body =
        place.map(OuterContour(hollow)).united(place.map(OuterContour(solid)));
    if (white) {
        painter.fillPath(body, Qt::white);
        painter.fillPath(place.map(hollow), Qt::black);
        if (outlineWidth > 0) {
            painter.strokePath(place.map(hollow), QPen(Qt::black, outlineWidth, Qt::SolidLine,
                                                       Qt::RoundCap, Qt::RoundJoin));
        }
    } else {
        painter.fillPath(body, Qt::white);
        painter.fillPath(place.map(solid), Qt::black);
    }
    painter.restore();
}
