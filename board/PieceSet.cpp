#include "board/PieceSet.h"

#include <QFile>
#include <cstring>

namespace {
const QImage NoImage;
constexpr const char *PieceLetters = "PNBRQKpnbrqk";
} // namespace

void TPieceImages::Clear(int size) {
    images_.clear();
    size_ = std::max(0, size);
}

int TPieceImages::Add(const QImage &image, const QImage &mask) {
    QImage piece(size_, size_, QImage::Format_ARGB32_Premultiplied);
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    const QImage stencil = mask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < size_; ++y) {
        auto *out = reinterpret_cast<QRgb *>(piece.scanLine(y));
        const bool rowInside = y < source.height() && y < stencil.height();
        const auto *in =
            rowInside ? reinterpret_cast<const QRgb *>(source.constScanLine(y)) : nullptr;
        const auto *cut =
            rowInside ? reinterpret_cast<const QRgb *>(stencil.constScanLine(y)) : nullptr;
        for (int x = 0; x < size_; ++x) {
            const bool inside = rowInside && x < source.width() && x < stencil.width();
            const bool opaque = inside && (cut[x] & 0xFFFFFFu) != 0xFFFFFFu;
            out[x] = opaque ? (in[x] | 0xFF000000u) : 0u;
        }
    }
    images_.push_back(std::move(piece));
    return Count() - 1;
}

const QImage &TPieceImages::Image(int index) const {
    if (index < 0 || index >= Count())
        return NoImage;
    return images_[static_cast<std::size_t>(index)];
}

bool IsBitmapUsable(const QImage *bitmap) {
    return bitmap != nullptr && bitmap->width() > 0 && bitmap->height() > 0;
}

bool IsValidPieceSet(const QImage *bitmap) {
    return IsBitmapUsable(bitmap) && 2 * bitmap->width() == 3 * bitmap->height();
}

QString StandardSheetPath(StandardSet size) {
    switch (size) {
    case StandardSet::Size32:
        return QStringLiteral(":/pieces/Size32.bmp");
    case StandardSet::Size40:
        return QStringLiteral(":/pieces/Size40.bmp");
    case StandardSet::Size64:
        return QStringLiteral(":/pieces/Size64.bmp");
    case StandardSet::Size80:
        return QStringLiteral(":/pieces/Size80.bmp");
    }
    return {};
}

QImage LoadStandardSheet(StandardSet size) {
    QFile file(StandardSheetPath(size));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QImage::fromData(file.readAll(), "BMP");
}

void CutPieceSheet(const QImage &sheet, TPieceImages &images, TPieceImageTable &table) {
    const int size = sheet.height() / 4;
    images.Clear(size);
    for (int colour = 0; colour < 2; ++colour)
        for (int kind = 0; kind < 6; ++kind) {
            const QImage cell = sheet.copy(kind * size, 2 * colour * size, size, size);
            const QImage mask = sheet.copy(kind * size, (2 * colour + 1) * size, size, size);
            table[static_cast<std::size_t>(colour)][static_cast<std::size_t>(kind)] =
                images.Add(cell, mask);
        }
}

int PieceIndexOf(const TPieceImageTable &table, char piece) {
    if (piece == '\0')
        return -1;
    const char *found = std::strchr(PieceLetters, piece);
    if (found == nullptr)
        return -1;
    const auto k = static_cast<std::size_t>(found - PieceLetters);
    return table[k / 6][k % 6];
}
