#include "tools/artwork/BmpEncoder.h"

#include <stdexcept>

namespace {

constexpr int FileHeaderBytes = 14;
constexpr int InfoHeaderBytes = 40;
constexpr int PixelsPerMetre = 2835; // 72 dots per inch

void PutU16(QByteArray &out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(QByteArray &out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

} // namespace

int BmpRowBytes(int width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

QByteArray EncodeBmp(const IndexedPicture &picture, int bitsPerPixel) {
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8) {
        throw std::invalid_argument("BMP depth must be 1, 4 or 8 bits per pixel");
    }
    if (picture.Width <= 0 || picture.Height <= 0 ||
        picture.Pixels.size() != static_cast<std::size_t>(picture.Width) * picture.Height) {
        throw std::invalid_argument("BMP picture has no pixels or a wrong pixel count");
    }
    const int maxColours = 1 << bitsPerPixel;
    if (picture.Palette.isEmpty() || picture.Palette.size() > maxColours) {
        throw std::invalid_argument("BMP palette does not fit the depth");
    }
    for (std::uint8_t index : picture.Pixels) {
        if (index >= picture.Palette.size()) {
            throw std::invalid_argument("BMP pixel indexes past the palette");
        }
    }

    const int rowBytes = BmpRowBytes(picture.Width, bitsPerPixel);
    const int paletteBytes = 4 * static_cast<int>(picture.Palette.size());
    const int pixelOffset = FileHeaderBytes + InfoHeaderBytes + paletteBytes;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes) * picture.Height;

    QByteArray out;
    out.reserve(pixelOffset + static_cast<int>(imageBytes));
    out.append("BM");
    PutU32(out, pixelOffset + imageBytes);
    PutU32(out, 0); // two reserved words
    PutU32(out, pixelOffset);

    PutU32(out, InfoHeaderBytes);
    PutU32(out, static_cast<std::uint32_t>(picture.Width));
    PutU32(out, static_cast<std::uint32_t>(picture.Height)); // positive: rows stored bottom-up
    PutU16(out, 1);                                          // planes
    PutU16(out, bitsPerPixel);
    PutU32(out, 0); // no compression
    PutU32(out, imageBytes);
    PutU32(out, PixelsPerMetre);
    PutU32(out, PixelsPerMetre);
    PutU32(out, static_cast<std::uint32_t>(picture.Palette.size()));
    PutU32(out, 0); // all colours important

    for (QRgb colour : picture.Palette) {
        out.append(static_cast<char>(qBlue(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qRed(colour)));
        out.append('\0');
    }

    const int perByte = 8 / bitsPerPixel;
    for (int y = picture.Height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < picture.Width; ++x) {
            const int shift =
                8 - bitsPerPixel * (x % perByte + 1); // leftmost pixel in the high bits
            row[x / perByte] = static_cast<char>(static_cast<std::uint8_t>(row[x / perByte]) |
                                                 (picture.At(x, y) << shift));
        }
        out.append(row);
    }
    return out;
}
