#pragma once

#include "tools/artwork/IndexedPicture.h"

#include <QByteArray>

// Encodes a palette picture as a complete uncompressed Windows BMP file: 14-byte file header,
// 40-byte info header, the palette as 4-byte entries, then the rows bottom-up, each padded to
// a multiple of 4 bytes. bitsPerPixel is 1, 4 or 8. Throws std::invalid_argument when the
// palette has more entries than the depth can address, a pixel indexes past the palette, or
// the size is not positive.
QByteArray EncodeBmp(const IndexedPicture &picture, int bitsPerPixel);

// Bytes of one stored row: width * bits rounded up to whole 32-bit words.
int BmpRowBytes(int width, int bitsPerPixel);
