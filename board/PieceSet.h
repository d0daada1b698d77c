#pragma once

#include "board/ViewTypes.h"

#include <QImage>
#include <QString>
#include <array>
#include <vector>

// The masked piece images cut from a piece sheet, each ready to draw: alpha 255 where the mask
// is opaque, alpha 0 where it is pure white.
class TPieceImages {
  public:
    // Empties the list and sets the side of the images that follow.
    void Clear(int size);
    // Adds one cell and its mask (both at least Size() x Size()); returns the new index.
    int Add(const QImage &image, const QImage &mask);
    int Count() const { return static_cast<int>(images_.size()); }
    int Size() const { return size_; }
    // The image at index, or a null image for an index outside the list.
    const QImage &Image(int index) const;

  private:
    std::vector<QImage> images_;
    int size_ = 0;
};

// Index of each piece's image: [0 White, 1 Black][pawn, knight, bishop, rook, queen, king].
using TPieceImageTable = std::array<std::array<int, 6>, 2>;

// A picture is usable when present and at least 1 x 1.
bool IsBitmapUsable(const QImage *bitmap);
// A piece sheet must be usable and have width : height = 3 : 2.
bool IsValidPieceSet(const QImage *bitmap);

// Resource path of a built-in sheet.
QString StandardSheetPath(StandardSet size);
// The built-in sheet read as a whole BMP file; a null image when it cannot be read.
QImage LoadStandardSheet(StandardSet size);

// Cuts a sheet of 6 x 4 cells (side = height / 4) into twelve images in the order
// P N B R Q K p n b r q k and records their indices.
void CutPieceSheet(const QImage &sheet, TPieceImages &images, TPieceImageTable &table);

// Index of a piece letter's image, or -1 for a letter outside "PNBRQKpnbrqk".
int PieceIndexOf(const TPieceImageTable &table, char piece);
