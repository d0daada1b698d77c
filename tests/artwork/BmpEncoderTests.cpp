// The BMP encoder against Qt's decoder: sizes, padding, bit order and refusals.
#include "tools/artwork/BmpEncoder.h"

#include <QImage>

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <stdexcept>

namespace {

struct EncodeRow {
    const char *Name;
    int Width;
    int Height;
    int BitsPerPixel;
    int PaletteSize;
    int ExpectedFileSize;
};

using test_rows::PrintTo;

// A pattern that differs in every neighbouring pixel and row, so swapped nibbles, bits or rows
// show.
IndexedPicture Pattern(const EncodeRow &row) {
    QVector<QRgb> palette;
    for (int i = 0; i < row.PaletteSize; ++i) {
        palette << qRgb((i * 37) % 256, (i * 91) % 256, 255 - i);
    }
    IndexedPicture picture(row.Width, row.Height, palette, 0);
    for (int y = 0; y < row.Height; ++y) {
        for (int x = 0; x < row.Width; ++x) {
            picture.Set(x, y, static_cast<std::uint8_t>((x * 3 + y * 5 + x * y) % row.PaletteSize));
        }
    }
    return picture;
}

class EncodeBmpRoundTrip : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(EncodeBmpRoundTrip, DecodesToTheSamePixelsAndSize) {
    const EncodeRow &row = GetParam();
    const IndexedPicture picture = Pattern(row);
    const QByteArray bytes = EncodeBmp(picture, row.BitsPerPixel);
    EXPECT_EQ(bytes.size(), row.ExpectedFileSize);

    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(bytes, "BMP"));
    ASSERT_EQ(decoded.width(), row.Width);
    ASSERT_EQ(decoded.height(), row.Height);
    for (int y = 0; y < row.Height; ++y) {
        for (int x = 0; x < row.Width; ++x) {
            const QRgb got = decoded.pixel(x, y);
            ASSERT_EQ(qRgb(qRed(got), qGreen(got), qBlue(got)), picture.Palette[picture.At(x, y)])
                << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, EncodeBmpRoundTrip,
                         ::testing::Values(
                             // 14 + 40 + palette + padded rows
                             EncodeRow{"OneBitWordAligned", 32, 3, 1, 2, 62 + 4 * 3},
                             EncodeRow{"OneBitOddWidthPads", 9, 2, 1, 2, 62 + 4 * 2},
                             EncodeRow{"OneBitThirtyThreeNeedsTwoWords", 33, 1, 1, 2, 62 + 8},
                             EncodeRow{"FourBitOddWidth", 7, 5, 4, 16, 118 + 4 * 5},
                             EncodeRow{"FourBitNineNeedsTwoWords", 9, 2, 4, 16, 118 + 8 * 2},
                             EncodeRow{"FourBitShortPalette", 4, 4, 4, 3, 54 + 12 + 4 * 4},
                             EncodeRow{"EightBitOneWide", 1, 1, 8, 5, 54 + 20 + 4},
                             EncodeRow{"SinglePixelOneBit", 1, 1, 1, 2, 66}),
                         test_rows::RowName);

struct RefusalRow {
    const char *Name;
    IndexedPicture Picture;
    int BitsPerPixel;
};

IndexedPicture WithPixel(IndexedPicture picture, std::uint8_t index) {
    picture.Set(0, 0, index);
    return picture;
}

class EncodeBmpRefuses : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(EncodeBmpRefuses, ThrowsInsteadOfWritingABrokenFile) {
    EXPECT_THROW(EncodeBmp(GetParam().Picture, GetParam().BitsPerPixel), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, EncodeBmpRefuses,
    ::testing::Values(
        RefusalRow{"DepthTwo", IndexedPicture(2, 2, BlackWhitePalette(), 0), 2},
        RefusalRow{"DepthTwentyFour", IndexedPicture(2, 2, BlackWhitePalette(), 0), 24},
        RefusalRow{"PaletteTooLargeForOneBit", IndexedPicture(2, 2, StandardPalette16(), 0), 1},
        RefusalRow{"IndexPastPalette", WithPixel(IndexedPicture(2, 2, BlackWhitePalette(), 0), 2),
                   1},
        RefusalRow{"ZeroWidth", IndexedPicture(0, 2, BlackWhitePalette(), 0), 1},
        RefusalRow{"EmptyPalette", IndexedPicture(2, 2, {}, 0), 4}),
    test_rows::RowName);

} // namespace
