#include "board/Canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// On/off run lengths of the dashed styles for one-pixel pens; empty means solid.
std::vector<int> DashPattern(TPenStyle style) {
    switch (style) {
    case TPenStyle::psDash:
        return {18, 6};
    case TPenStyle::psDot:
        return {3, 3};
    case TPenStyle::psDashDot:
        return {9, 6, 3, 6};
    case TPenStyle::psDashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

QRgb ApplyMode(TPenMode mode, QRgb dst, QRgb src) {
    switch (mode) {
    case TPenMode::pmCopy:
        return src;
    case TPenMode::pmNotCopy:
        return 0xFF000000u | ~src;
    case TPenMode::pmXor:
        return 0xFF000000u | (dst ^ src);
    case TPenMode::pmNot:
        return 0xFF000000u | ~dst;
    case TPenMode::pmBlack:
        return 0xFF000000u;
    case TPenMode::pmWhite:
        return 0xFFFFFFFFu;
    case TPenMode::pmNop:
        return dst;
    }
    return src;
}

QPainter::CompositionMode CompositionOf(TPenMode mode) {
    switch (mode) {
    case TPenMode::pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case TPenMode::pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::pmNot:
        return QPainter::RasterOp_NotDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

TCanvas::TCanvas() : surface_(0, 0, QImage::Format_RGB32) {}

void TCanvas::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (surface_.width() == width && surface_.height() == height)
        return;
    QImage grown(width, height, QImage::Format_RGB32);
    grown.fill(Qt::black);
    if (!surface_.isNull()) {
        QPainter p(&grown);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, surface_);
    }
    surface_ = std::move(grown);
}

void TCanvas::Save() {
    saved_.push_back(State{clip_, clipped_, BrushColor, Font});
}

void TCanvas::Restore() {
    if (saved_.empty())
        return;
    const State &state = saved_.back();
    clip_ = state.clip;
    clipped_ = state.clipped;
    BrushColor = state.brush;
    Font = state.font;
    saved_.pop_back();
}

QRegion TCanvas::EffectiveClip() const {
    return clipped_ ? clip_ : QRegion(surface_.rect());
}

void TCanvas::IntersectClipRect(const QRect &rect) {
    clip_ = EffectiveClip().intersected(rect);
    clipped_ = true;
}

void TCanvas::ExcludeClipRect(const QRect &rect) {
    clip_ = EffectiveClip().subtracted(rect);
    clipped_ = true;
}

QRect TCanvas::ClipBox() const {
    return EffectiveClip().boundingRect();
}

void TCanvas::FillRect(const QRect &rect) {
    QPainter p(&surface_);
    if (clipped_)
        p.setClipRegion(clip_);
    p.fillRect(rect, ResolveColor(BrushColor));
}

void TCanvas::TileImage(const QImage &picture) {
    const int w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0)
        return;
    const QRect box = ClipBox();
    if (box.isEmpty())
        return;
    QPainter p(&surface_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (clipped_)
        p.setClipRegion(clip_);
    // Only tiles that meet the clip box can leave pixels, so the others are skipped.
    for (int top = (box.top() / h) * h; top <= box.bottom(); top += h)
        for (int left = (box.left() / w) * w; left <= box.right(); left += w)
            p.drawImage(left, top, picture);
}

void TCanvas::MoveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y) {
    if (Pen.Style != TPenStyle::psClear) {
        if (Pen.Width <= 1)
            PlotLinePixels(penPos_.x(), penPos_.y(), x, y);
        else
            WideLine(penPos_.x(), penPos_.y(), x, y);
    }
    penPos_ = QPoint(x, y);
}

void TCanvas::PlotLinePixels(int x0, int y0, int x1, int y1) {
    const QRect bounds = ClipBox().intersected(surface_.rect());
    if (bounds.isEmpty())
        return;
    const QRegion region = EffectiveClip();
    const bool simpleClip = region.rectCount() == 1;
    const QRgb color = ResolveColor(Pen.Color).rgb();
    const std::vector<int> dashes = DashPattern(Pen.Style);
    std::size_t dashIndex = 0;
    int dashLeft = dashes.empty() ? 0 : dashes[0];

    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        const bool on = dashes.empty() || dashIndex % 2 == 0;
        if (on && bounds.contains(x, y) && (simpleClip || region.contains(QPoint(x, y)))) {
            QRgb *pixel = reinterpret_cast<QRgb *>(surface_.scanLine(y)) + x;
            *pixel = ApplyMode(Pen.Mode, *pixel, color);
        }
        if (!dashes.empty() && --dashLeft == 0) {
            dashIndex = (dashIndex + 1) % dashes.size();
            dashLeft = dashes[dashIndex];
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::WideLine(int x0, int y0, int x1, int y1) {
    QPainter p(&surface_);
    if (clipped_)
        p.setClipRegion(clip_);
    p.setCompositionMode(CompositionOf(Pen.Mode));
    static constexpr std::array<Qt::PenStyle, 6> styles = {
        Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};
    QColor color = ResolveColor(Pen.Color);
    if (Pen.Mode == TPenMode::pmBlack)
        color = Qt::black;
    else if (Pen.Mode == TPenMode::pmWhite)
        color = Qt::white;
    else if (Pen.Mode == TPenMode::pmNop)
        return;
    p.setPen(QPen(color, Pen.Width, styles[static_cast<std::size_t>(Pen.Style)], Qt::RoundCap));
    p.drawLine(x0, y0, x1, y1);
}

void TCanvas::TextOut(int x, int y, const QString &text) {
    QPainter p(&surface_);
    if (clipped_)
        p.setClipRegion(clip_);
    const QFont font = ResolveFont(Font);
    p.setFont(font);
    p.setPen(ResolveColor(Font.Color));
    p.drawText(x, y + QFontMetrics(font).ascent(), text);
}

int TCanvas::TextHeight(const QString &text) const {
    (void)text; // the cell height is the same for every text in one font
    return QFontMetrics(ResolveFont(Font)).height();
}

void TCanvas::DrawMasked(const QImage &image, int x, int y) {
    if (image.isNull())
        return;
    QPainter p(&surface_);
    if (clipped_)
        p.setClipRegion(clip_);
    p.drawImage(x, y, image);
}
