#include "tools/artwork/Fonts.h"

#include <QDir>
#include <QFile>
#include <QRawFont>
#include <QTransform>

#include <algorithm>
#include <stdexcept>

namespace {

QString FindIn(const QStringList &dirs, const QString &name) {
    for (const QString &dir : dirs) {
        const QString path = QDir(dir).filePath(name);
        if (QFile::exists(path)) {
            return path;
        }
    }
    throw std::runtime_error("font file " + name.toStdString() +
                             " not found (package fonts-dejavu-core)");
}

} // namespace

FontFiles FindFontFiles(const QString &dir) {
    const QStringList dirs =
        dir.isEmpty() ? QStringList{"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu"}
                      : QStringList{dir};
    return {FindIn(dirs, "DejaVuSans.ttf"), FindIn(dirs, "DejaVuSans-Bold.ttf"),
            FindIn(dirs, "DejaVuSerif-Bold.ttf")};
}

QPainterPath TextOutline(const QString &fontFile, const QString &text) {
    const QRawFont font(fontFile, 200.0, QFont::PreferNoHinting);
    if (!font.isValid()) {
        throw std::runtime_error("cannot read font file " + fontFile.toStdString());
    }
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QPainterPath outline;
    qreal x = 0;
    for (int i = 0; i < glyphs.size(); ++i) {
        outline.addPath(font.pathForGlyph(glyphs[i]).translated(x, 0));
        x += advances.value(i).x();
    }
    return outline;
}

QPainterPath FitIntoBox(const QPainterPath &outline, const QRectF &box, qreal minWidthRatio) {
    const QRectF bounds = outline.boundingRect();
    if (bounds.isEmpty()) {
        return outline;
    }
    qreal scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    // Narrowing a little keeps letters large in a tight box; below the limit the whole shrinks.
    const qreal tallScale = box.height() / bounds.height();
    qreal widthRatio = 1.0;
    if (bounds.width() * tallScale > box.width()) {
        widthRatio = std::max(minWidthRatio, box.width() / (bounds.width() * tallScale));
        scale = std::min(tallScale, box.width() / (bounds.width() * widthRatio));
    }
    QTransform place;
    place.translate(box.left() + (box.width() - bounds.width() * scale * widthRatio) / 2 -
                        bounds.left() * scale * widthRatio,
                    box.bottom() - bounds.bottom() * scale);
    place.scale(scale * widthRatio, scale);
    return place.map(outline);
}
