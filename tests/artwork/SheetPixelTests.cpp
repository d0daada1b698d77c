// The pictures inside the built-in sheets: colours, masks and pieces as the board draws them.
#include "tests/artwork/SheetFixture.h"

#include "tools/artwork/BmpEncoder.h"
#include "tools/artwork/ChessGlyphs.h"
#include "tools/artwork/Fonts.h"
#include "tools/artwork/PieceSheet.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr const char *KindNames[6] = {"pawn", "knight", "bishop", "rook", "queen", "king"};

class SheetPixels : public ::testing::TestWithParam<SheetRow> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sheet.loadFromData(ReadResource(SheetPath(GetParam())), "BMP"));
        cell = sheet.height() / 4;
    }

    // Pixels the board draws opaque for piece kind in colour side (0 White, 1 Black).
    int OpaqueCount(int side, int kind) const {
        int count = 0;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                count += CellPixel(sheet, kind, 2 * side + 1, x, y) != White ? 1 : 0;
            }
        }
        return count;
    }

    // Where both colours are drawn opaque: how often White's pixel is the brighter, and how often
    // Black's.
    std::pair<int, int> BrighterCounts(int kind) const {
        int whiteBrighter = 0;
        int blackBrighter = 0;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                if (CellPixel(sheet, kind, 1, x, y) == White ||
                    CellPixel(sheet, kind, 3, x, y) == White) {
                    continue;
                }
                const int white = qGray(CellPixel(sheet, kind, 0, x, y));
                const int black = qGray(CellPixel(sheet, kind, 2, x, y));
                whiteBrighter += white > black ? 1 : 0;
                blackBrighter += black > white ? 1 : 0;
            }
        }
        return {whiteBrighter, blackBrighter};
    }

    QImage sheet;
    int cell = 0;
};

TEST_P(SheetPixels, UsesOnlyTheAllowedColours) {
    const std::vector<QRgb> &allowed = GetParam().Allowed;
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            const QRgb pixel = CellPixel(sheet, 0, 0, x, y);
            ASSERT_NE(std::find(allowed.begin(), allowed.end(), pixel), allowed.end())
                << "pixel " << x << "," << y << " is #" << std::hex << pixel;
        }
    }
}

TEST_P(SheetPixels, EveryMaskHoldsAFigureThatLeavesRoomAroundIt) {
    for (int side = 0; side < 2; ++side) {
        for (int kind = 0; kind < 6; ++kind) {
            const int opaque = OpaqueCount(side, kind);
            EXPECT_GT(opaque, cell * cell / 8)
                << KindNames[kind] << " side " << side << ": mask nearly empty";
            EXPECT_LT(opaque, cell * cell * 3 / 4)
                << KindNames[kind] << " side " << side << ": mask nearly full";
        }
    }
}

// A drawn pixel under a transparent mask pixel would be lost when the board paints the piece.
TEST_P(SheetPixels, NoPiecePixelFallsOutsideItsMask) {
    for (int side = 0; side < 2; ++side) {
        for (int kind = 0; kind < 6; ++kind) {
            for (int y = 0; y < cell; ++y) {
                for (int x = 0; x < cell; ++x) {
                    if (CellPixel(sheet, kind, 2 * side, x, y) != White) {
                        ASSERT_NE(CellPixel(sheet, kind, 2 * side + 1, x, y), White)
                            << KindNames[kind] << " side " << side << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

// White's figure is light with dark outlines, Black's dark with light inner lines: where both
// are drawn, White's is clearly the brighter one far more often than the other way round.
TEST_P(SheetPixels, WhitePiecesShowLighterThanBlackPieces) {
    for (int kind = 0; kind < 6; ++kind) {
        const auto [whiteBrighter, blackBrighter] = BrighterCounts(kind);
        const int opaque = std::min(OpaqueCount(0, kind), OpaqueCount(1, kind));
        EXPECT_GT(whiteBrighter, opaque / 6) << KindNames[kind];
        EXPECT_GT(whiteBrighter, 2 * blackBrighter) << KindNames[kind];
    }
}

TEST_P(SheetPixels, SixKindsHaveSixDifferentShapes) {
    for (int side = 0; side < 2; ++side) {
        for (int a = 0; a < 6; ++a) {
            for (int b = a + 1; b < 6; ++b) {
                int differing = 0;
                for (int y = 0; y < cell; ++y) {
                    for (int x = 0; x < cell; ++x) {
                        differing += (CellPixel(sheet, a, 2 * side + 1, x, y) == White) !=
                                     (CellPixel(sheet, b, 2 * side + 1, x, y) == White);
                    }
                }
                EXPECT_GT(differing, cell)
                    << KindNames[a] << " vs " << KindNames[b] << " side " << side;
            }
        }
    }
}

// Black's figures are dark with light inner lines. A light pixel reachable from the transparent
// background through light pixels lies on the figure's outer edge and shows as a speck.
TEST_P(SheetPixels, BlackFiguresShowNoLightPixelOutsideTheirInnerLines) {
    auto transparent = [&](int kind, int x, int y) {
        return x < 0 || y < 0 || x >= cell || y >= cell || CellPixel(sheet, kind, 3, x, y) == White;
    };
    for (int kind = 0; kind < 6; ++kind) {
        auto light = [&](int x, int y) {
            return !transparent(kind, x, y) && qGray(CellPixel(sheet, kind, 2, x, y)) > qGray(Grey);
        };
        std::vector<std::pair<int, int>> stack;
        std::set<std::pair<int, int>> outer;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                if (light(x, y) && (transparent(kind, x - 1, y) || transparent(kind, x + 1, y) ||
                                    transparent(kind, x, y - 1) || transparent(kind, x, y + 1))) {
                    stack.emplace_back(x, y);
                }
            }
        }
        while (!stack.empty()) {
            const auto [x, y] = stack.back();
            stack.pop_back();
            if (!outer.insert({x, y}).second) {
                continue;
            }
            for (const auto &[nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
                if (light(nx, ny)) {
                    stack.emplace_back(nx, ny);
                }
            }
        }
        EXPECT_TRUE(outer.empty()) << KindNames[kind] << ": " << outer.size()
                                   << " light pixels on the outer edge, first at "
                                   << outer.begin()->first << "," << outer.begin()->second;
    }
}

// Soft sheets: the mask's grey pixels form its edge, and every mask has some.
TEST_P(SheetPixels, GreyMaskPixelsLieOnTheSilhouetteEdge) {
    for (int side = 0; side < 2; ++side) {
        for (int kind = 0; kind < 6; ++kind) {
            int grey = 0;
            for (int y = 0; y < cell; ++y) {
                for (int x = 0; x < cell; ++x) {
                    if (CellPixel(sheet, kind, 2 * side + 1, x, y) != Grey) {
                        continue;
                    }
                    ++grey;
                    bool nearTransparent = false;
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = x + dx;
                            const int ny = y + dy;
                            nearTransparent |=
                                nx < 0 || ny < 0 || nx >= cell || ny >= cell ||
                                CellPixel(sheet, kind, 2 * side + 1, nx, ny) == White;
                        }
                    }
                    EXPECT_TRUE(nearTransparent)
                        << KindNames[kind] << " side " << side << " at " << x << "," << y;
                }
            }
            if (GetParam().SoftEdges) {
                EXPECT_GT(grey, 0) << KindNames[kind] << " side " << side;
            } else {
                EXPECT_EQ(grey, 0) << KindNames[kind] << " side " << side;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, SheetPixels, ::testing::ValuesIn(BuiltInSheetRows()),
                         test_rows::RowName);

// The committed files are what the tool draws today: nobody edited one by hand or forgot to
// regenerate after changing the drawing code.
TEST(SheetTool, RedrawsTheCommittedSheetsByteForByte) {
    const std::optional<FontFiles> installed = InstalledFonts();
    if (!installed) {
        GTEST_SKIP() << "DejaVu fonts (fonts-dejavu-core) not installed";
    }
    const FontFiles &fonts = *installed;
    const ChessGlyphs glyphs(fonts.Sans);
    for (const SheetDef &def : BuiltInSheets()) {
        const QByteArray drawn = EncodeBmp(RenderPieceSheet(glyphs, def), def.BitsPerPixel);
        const QByteArray committed = ReadResource(QStringLiteral(":/pieces/") + def.FileName);
        EXPECT_TRUE(drawn == committed) << def.FileName;
    }
}

} // namespace
