#include "tools/artwork/IndexedPicture.h"

#include <utility>

IndexedPicture::IndexedPicture(int width, int height, QVector<QRgb> palette, std::uint8_t fill)
    : Width(width), Height(height), Palette(std::move(palette)),
      Pixels(static_cast<std::size_t>(width) * height, fill) {}

QVector<QRgb> StandardPalette16() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QVector<QRgb> BlackWhitePalette() {
    return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
}

int PaletteIndexOf(const QVector<QRgb> &palette, QRgb colour) {
    for (int i = 0; i < palette.size(); ++i) {
        if (qRgb(qRed(palette[i]), qGreen(palette[i]), qBlue(palette[i])) ==
            qRgb(qRed(colour), qGreen(colour), qBlue(colour))) {
            return i;
        }
    }
    return -1;
}
