#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>

// The three DejaVu faces of fonts-dejavu-core the artwork is drawn with, by file path.
struct FontFiles {
    QString Sans;      // DejaVuSans.ttf: the chess figures
    QString SansBold;  // DejaVuSans-Bold.ttf
    QString SerifBold; // DejaVuSerif-Bold.ttf
};

// Looks in dir, or in the usual Debian folders when dir is empty. Throws std::runtime_error
// naming the missing file when one is not found.
FontFiles FindFontFiles(const QString &dir = {});

// The outline of text set in a font file, with its base line at y = 0.
QPainterPath TextOutline(const QString &fontFile, const QString &text);

// Scales outline (keeping its shape, then narrowing it down to minWidthRatio if still too wide)
// so that it fits box, and places it centred horizontally, its bottom on the box's bottom.
QPainterPath FitIntoBox(const QPainterPath &outline, const QRectF &box, qreal minWidthRatio = 1.0);
