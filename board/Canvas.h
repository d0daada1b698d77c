#pragma once

#include "board/ViewTypes.h"

#include <QImage>
#include <QRegion>
#include <vector>

// The board's drawing surface: an image in memory that stands for the control's window, and the
// small set of drawing operations the board needs. Every operation draws at once and honours the
// clip region; nothing is buffered.
class TCanvas {
  public:
    TCanvas();

    const QImage &Surface() const { return surface_; }
    // Grows or shrinks the surface; pixels inside both sizes are kept.
    void SetSize(int width, int height);
    int Width() const { return surface_.width(); }
    int Height() const { return surface_.height(); }

    // Save and Restore bracket the clip region, the brush and the font. The pen is left out on
    // purpose: its width, style and mode outlive a Restore, only its colour is set per use.
    void Save();
    void Restore();
    void IntersectClipRect(const QRect &rect);
    void ExcludeClipRect(const QRect &rect);
    // Bounding rectangle of the clip region (the whole surface when nothing clips).
    QRect ClipBox() const;

    TPen Pen;
    TColor BrushColor = clWhite;
    TFont Font;

    // Fills rect, inside the clip, with the brush colour.
    void FillRect(const QRect &rect);
    // Lays the picture, opaque, at every multiple of its size from the surface's top-left corner.
    void TileImage(const QImage &picture);
    void MoveTo(int x, int y);
    // Draws from the pen position to (x, y) without the end pixel, and moves the pen there.
    void LineTo(int x, int y);
    // Text with its cell's top-left corner at (x, y), background left as it is.
    void TextOut(int x, int y, const QString &text);
    int TextHeight(const QString &text) const;
    // Draws an image whose alpha is 0 (keep the surface) or 255 (take the image's pixel).
    void DrawMasked(const QImage &image, int x, int y);

  private:
    struct State {
        QRegion clip;
        bool clipped;
        TColor brush;
        TFont font;
    };

    QRegion EffectiveClip() const;
    void PlotLinePixels(int x0, int y0, int x1, int y1);
    void WideLine(int x0, int y0, int x1, int y1);

    QImage surface_;
    QRegion clip_;
    bool clipped_ = false;
    QPoint penPos_;
    std::vector<State> saved_;
};
