// Glyphs, icons and the About box artwork: embedded, sized for their places, drawn sensibly.
#include "tests/artwork/SheetFixture.h"

#include "tools/artwork/AboutArt.h"
#include "tools/artwork/ArtworkWriter.h"
#include "tools/artwork/ButtonGlyphs.h"
#include "tools/artwork/IconArt.h"
#include "tools/artwork/IndexedPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

struct FileRow {
    const char *Path;
    int Width;
    int Height;
    bool Transparent; // drawn on a transparent ground: corners clear
};

void PrintTo(const FileRow &row, std::ostream *out) {
    *out << row.Path;
}

QImage LoadArtwork(const char *path) {
    QImage image;
    image.loadFromData(ReadResource(QString::fromLatin1(path)));
    return image.convertToFormat(QImage::Format_ARGB32);
}

int OpaqueCount(const QImage &image, const QRect &area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return count;
}

class ArtworkFile : public ::testing::TestWithParam<FileRow> {};

TEST_P(ArtworkFile, IsEmbeddedWithItsSizeAndHasAPicture) {
    const FileRow &row = GetParam();
    const QImage image = LoadArtwork(row.Path);
    ASSERT_FALSE(image.isNull()) << row.Path;
    EXPECT_EQ(image.width(), row.Width);
    EXPECT_EQ(image.height(), row.Height);
    const int opaque = OpaqueCount(image, image.rect());
    EXPECT_GT(opaque, row.Width * row.Height / 8) << "nearly nothing drawn";
    if (row.Transparent) {
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "top-left corner";
        EXPECT_LT(opaque, row.Width * row.Height) << "no transparent pixel at all";
    }
}

INSTANTIATE_TEST_SUITE_P(All, ArtworkFile,
                         ::testing::Values(FileRow{":/glyphs/BitBtn1.png", 9, 9, true},
                                           FileRow{":/glyphs/BitBtn2.png", 9, 9, true},
                                           FileRow{":/glyphs/BitBtn3.png", 16, 16, true},
                                           FileRow{":/glyphs/BitBtn4.png", 16, 16, true},
                                           FileRow{":/glyphs/BitBtn5.png", 16, 16, true},
                                           FileRow{":/glyphs/BitBtn6.png", 16, 16, true},
                                           FileRow{":/icons/boardwick.png", 32, 32, false},
                                           FileRow{":/icons/boardwick-16.png", 16, 16, false},
                                           FileRow{":/icons/boardwick-32.png", 32, 32, false},
                                           FileRow{":/icons/boardwick-48.png", 48, 48, false},
                                           FileRow{":/icons/boardwick-64.png", 64, 64, false},
                                           FileRow{":/icons/boardwick-128.png", 128, 128, false},
                                           FileRow{":/about/ProductName.png", 141, 109, true},
                                           FileRow{":/about/Picture.png", 100, 100, false}));

// The window icon and the About picture are 16-colour pictures: palette colours, hard mask.
class SixteenColourArtwork : public ::testing::TestWithParam<const char *> {};

TEST_P(SixteenColourArtwork, UsesOnlyTheStandardColoursAndAHardMask) {
    const QImage image = LoadArtwork(GetParam());
    ASSERT_FALSE(image.isNull());
    const QVector<QRgb> palette = StandardPalette16();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(qAlpha(pixel) == 0 || qAlpha(pixel) == 255) << x << "," << y;
            if (qAlpha(pixel) == 255) {
                ASSERT_GE(PaletteIndexOf(palette, pixel), 0)
                    << x << "," << y << " #" << std::hex << pixel;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, SixteenColourArtwork,
                         ::testing::Values(":/icons/boardwick.png", ":/about/Picture.png"));

// Mean x of the ink: a triangle's mass lies towards its base, away from its tip.
double InkCentreX(const QImage &image) {
    double sum = 0;
    double weight = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            sum += x * qAlpha(image.pixel(x, y));
            weight += qAlpha(image.pixel(x, y));
        }
    }
    return weight > 0 ? sum / weight : 0;
}

struct DirectionRow {
    const char *Path;
    bool PointsLeft;
};

void PrintTo(const DirectionRow &row, std::ostream *out) {
    *out << row.Path;
}

class StepGlyph : public ::testing::TestWithParam<DirectionRow> {};

TEST_P(StepGlyph, PointsTheWayItSteps) {
    const QImage image = LoadArtwork(GetParam().Path);
    ASSERT_FALSE(image.isNull());
    const double centre = (image.width() - 1) / 2.0;
    if (GetParam().PointsLeft) {
        EXPECT_GT(InkCentreX(image), centre + 0.5);
    } else {
        EXPECT_LT(InkCentreX(image), centre - 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(BackAndForward, StepGlyph,
                         ::testing::Values(DirectionRow{":/glyphs/BitBtn1.png", true},
                                           DirectionRow{":/glyphs/BitBtn2.png", false}));

// The version label of the About box sits at (128, 72), 42 x 13, over the name's right part.
TEST(ProductName, LeavesTheVersionLabelClear) {
    const QImage image = LoadArtwork(":/about/ProductName.png");
    ASSERT_FALSE(image.isNull());
    const QRect underLabel(128 - 8, 72, 141 - (128 - 8), 13);
    EXPECT_EQ(OpaqueCount(image, underLabel), 0);
    EXPECT_GT(OpaqueCount(image, QRect(0, 0, 64, 109)), 64 * 109 / 4) << "the initial is large";
}

TEST(ButtonGlyphs, UnknownButtonIsRefused) {
    EXPECT_THROW(DrawButtonGlyph(GlyphDef{"Button1", 16}), std::invalid_argument);
}

// The committed pictures are what the tool draws now.
TEST(ArtworkTool, RedrawsTheCommittedPictures) {
    const std::optional<FontFiles> installed = InstalledFonts();
    if (!installed) {
        GTEST_SKIP() << "DejaVu fonts (fonts-dejavu-core) not installed";
    }
    const FontFiles &fonts = *installed;
    const ChessGlyphs glyphs(fonts.Sans);
    struct Drawn {
        QString Path;
        QImage Picture;
    };
    std::vector<Drawn> drawn;
    for (const GlyphDef &def : ButtonGlyphDefs()) {
        drawn.push_back({QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(def.ButtonName)),
                         DrawButtonGlyph(def)});
    }
    drawn.push_back({":/icons/boardwick.png", DrawWindowIcon(glyphs)});
    for (int size : ProgramIconSizes()) {
        drawn.push_back(
            {QStringLiteral(":/icons/boardwick-%1.png").arg(size), DrawProgramIcon(glyphs, size)});
    }
    drawn.push_back({":/about/ProductName.png", DrawProductName(fonts)});
    drawn.push_back({":/about/Picture.png", DrawAboutPicture(glyphs)});

    for (const Drawn &item : drawn) {
        const QImage committed = LoadArtwork(qPrintable(item.Path));
        EXPECT_TRUE(committed == item.Picture.convertToFormat(QImage::Format_ARGB32))
            << qPrintable(item.Path);
    }
}

} // namespace
