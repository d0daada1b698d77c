#pragma once

#include <QImage>
#include <QVector>

// Reduces a drawn picture to the given palette, as a 16-colour icon stores it: every pixel
// becomes fully transparent (alpha below half) or the nearest palette colour, fully opaque.
QImage QuantiseToPalette(const QImage &picture, const QVector<QRgb> &palette);

// Draws at factor times the size and shrinks smoothly: cleaner edges for tiny pictures.
template <typename Draw> QImage DrawSupersampled(int width, int height, int factor, Draw draw);

#include <QPainter>

template <typename Draw> QImage DrawSupersampled(int width, int height, int factor, Draw draw) {
    QImage big(width * factor, height * factor, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter painter(&big);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(factor, factor);
        draw(painter);
    }
    return big.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}
