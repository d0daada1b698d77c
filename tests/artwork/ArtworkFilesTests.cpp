// Every artwork file the program asks for is embedded and decodes.
#include "SheetFixture.h"

#include <gtest/gtest.h>

namespace {

struct FileRow {
    const char* Path;
    int Width;
    int Height;
};

void PrintTo(const FileRow& row, std::ostream* out)
{
    *out << row.Path;
}

class ArtworkFile : public ::testing::TestWithParam<FileRow> {};

TEST_P(ArtworkFile, IsEmbeddedAndHasItsSize)
{
    const FileRow& row = GetParam();
    QImage image;
    ASSERT_TRUE(image.loadFromData(ReadResource(QString::fromLatin1(row.Path)))) << row.Path;
    EXPECT_EQ(image.width(), row.Width);
    EXPECT_EQ(image.height(), row.Height);
}

INSTANTIATE_TEST_SUITE_P(Pieces, ArtworkFile,
                         ::testing::Values(FileRow{":/pieces/Size32.bmp", 192, 128},
                                           FileRow{":/pieces/Size40.bmp", 240, 160},
                                           FileRow{":/pieces/Size64.bmp", 384, 256},
                                           FileRow{":/pieces/Size80.bmp", 480, 320}));

} // namespace
