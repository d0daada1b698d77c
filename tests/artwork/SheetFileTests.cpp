// The built-in sheets as files: embedded, exact size, BMP layout the board's loader expects.
#include "tests/artwork/SheetFixture.h"

#include "tools/artwork/IndexedPicture.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

class SheetFile : public ::testing::TestWithParam<SheetRow> {};

TEST_P(SheetFile, IsEmbeddedWithItsExactSize) {
    const SheetRow &row = GetParam();
    const QByteArray bytes = ReadResource(SheetPath(row));
    ASSERT_EQ(bytes.size(), row.FileSize);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(U32At(bytes, 2), static_cast<std::uint32_t>(row.FileSize)) << "size field";
}

TEST_P(SheetFile, HeaderDescribesAnUncompressedBottomUpPaletteBitmap) {
    const SheetRow &row = GetParam();
    const QByteArray bytes = ReadResource(SheetPath(row));
    ASSERT_EQ(bytes.size(), row.FileSize);
    const int paletteSize = 1 << row.BitsPerPixel;

    EXPECT_EQ(U32At(bytes, 14), 40u) << "info header size";
    EXPECT_EQ(static_cast<int>(U32At(bytes, 18)), row.Width);
    EXPECT_EQ(static_cast<int>(U32At(bytes, 22)), row.Height)
        << "positive height means bottom-up rows";
    EXPECT_EQ(U16At(bytes, 26), 1) << "planes";
    EXPECT_EQ(U16At(bytes, 28), row.BitsPerPixel);
    EXPECT_EQ(U32At(bytes, 30), 0u) << "compression";
    const std::uint32_t coloursUsed = U32At(bytes, 46);
    EXPECT_TRUE(coloursUsed == 0 || coloursUsed == static_cast<std::uint32_t>(paletteSize))
        << coloursUsed;
    EXPECT_EQ(U32At(bytes, 10), static_cast<std::uint32_t>(14 + 40 + 4 * paletteSize))
        << "pixel offset";
    EXPECT_EQ(U32At(bytes, 34),
              static_cast<std::uint32_t>(row.FileSize - (14 + 40 + 4 * paletteSize)))
        << "image size field";
}

TEST_P(SheetFile, PaletteIsTheStandardOneForItsDepth) {
    const SheetRow &row = GetParam();
    const QByteArray bytes = ReadResource(SheetPath(row));
    ASSERT_EQ(bytes.size(), row.FileSize);
    const QVector<QRgb> expected =
        row.BitsPerPixel == 4 ? StandardPalette16() : BlackWhitePalette();
    for (int i = 0; i < expected.size(); ++i) {
        const int at = 54 + 4 * i;
        const QRgb stored =
            qRgb(static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
                 static_cast<std::uint8_t>(bytes[at]));
        EXPECT_EQ(stored, expected[i]) << "palette entry " << i;
    }
}

TEST_P(SheetFile, DecodesAsWholeFileWithThreeToTwoProportions) {
    const SheetRow &row = GetParam();
    QImage image;
    ASSERT_TRUE(image.loadFromData(ReadResource(SheetPath(row)), "BMP"));
    EXPECT_EQ(image.width(), row.Width);
    EXPECT_EQ(image.height(), row.Height);
    EXPECT_EQ(2 * image.width(), 3 * image.height());
    EXPECT_EQ(image.height() % 4, 0);
}

// The first stored row is the bottom picture row: check the raw bytes against the decoder.
TEST_P(SheetFile, FirstStoredRowIsTheBottomRow) {
    const SheetRow &row = GetParam();
    const QByteArray bytes = ReadResource(SheetPath(row));
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
    const int offset = static_cast<int>(U32At(bytes, 10));
    const QVector<QRgb> palette = row.BitsPerPixel == 4 ? StandardPalette16() : BlackWhitePalette();
    const int perByte = 8 / row.BitsPerPixel;
    for (int x = 0; x < row.Width; ++x) {
        const auto byte = static_cast<std::uint8_t>(bytes[offset + x / perByte]);
        const int index =
            (byte >> (8 - row.BitsPerPixel * (x % perByte + 1))) & ((1 << row.BitsPerPixel) - 1);
        const QRgb decoded = image.pixel(x, row.Height - 1);
        ASSERT_EQ(palette[index], qRgb(qRed(decoded), qGreen(decoded), qBlue(decoded)))
            << "x " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, SheetFile, ::testing::ValuesIn(BuiltInSheetRows()),
                         test_rows::RowName);

} // namespace
