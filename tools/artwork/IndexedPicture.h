#pragma once

#include <QColor>
#include <QVector>

#include <cstdint>
#include <vector>

// A picture whose pixels are indices into its own palette; what the BMP encoder writes.
struct IndexedPicture {
    int Width = 0;
    int Height = 0;
    QVector<QRgb> Palette;
    std::vector<std::uint8_t> Pixels; // row-major, top row first

    IndexedPicture() = default;
    IndexedPicture(int width, int height, QVector<QRgb> palette, std::uint8_t fill);

    std::uint8_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
    void Set(int x, int y, std::uint8_t index) {
        Pixels[static_cast<std::size_t>(y) * Width + x] = index;
    }
};

// The standard 16-colour palette in its usual order; black is 0, silver 7, grey 8, white 15.
QVector<QRgb> StandardPalette16();
// Two entries: black (0) and white (1).
QVector<QRgb> BlackWhitePalette();

// Index of an exact colour in a palette; -1 if it is not there.
int PaletteIndexOf(const QVector<QRgb> &palette, QRgb colour);
