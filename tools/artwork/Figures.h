#pragma once

#include "tools/artwork/ChessGlyphs.h"

#include <QColor>
#include <QPainter>
#include <QRectF>

// The largest closed contour of an outline: a figure's silhouette without its inner lines.
QPainterPath OuterContour(const QPainterPath &outline);

// Draws chess figure kind into box (bottom-aligned, centred), White's style (light body, dark
// outline) or Black's (dark body, light inner lines); mirrored turns it to face the other way.
// outlineWidth thickens White's outline, in the painter's units.
void PaintFigure(QPainter &painter, const ChessGlyphs &glyphs, int kind, bool white,
                 const QRectF &box, bool mirrored = false, qreal outlineWidth = 0);
