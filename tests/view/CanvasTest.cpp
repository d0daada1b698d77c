#include "board/Canvas.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Points = std::set<std::pair<int, int>>;

// Pixels of the canvas that differ from the white it was filled with.
Points Marked(const TCanvas &canvas) {
    Points marked;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.Surface().pixelColor(x, y) != QColor(Qt::white))
                marked.insert({x, y});
    return marked;
}

TCanvas WhiteCanvas(int w, int h) {
    TCanvas canvas;
    canvas.SetSize(w, h);
    canvas.BrushColor = clWhite;
    canvas.FillRect(QRect(0, 0, w, h));
    return canvas;
}

} // namespace

TEST(Canvas, LinesLeaveOutTheirEndPixel) {
    struct Case {
        const char *name;
        QPoint from, to;
        Points expected;
    };
    const std::vector<Case> cases = {
        {"right", {1, 1}, {4, 1}, {{1, 1}, {2, 1}, {3, 1}}},
        {"left", {4, 1}, {1, 1}, {{4, 1}, {3, 1}, {2, 1}}},
        {"down", {2, 0}, {2, 3}, {{2, 0}, {2, 1}, {2, 2}}},
        {"up", {2, 3}, {2, 0}, {{2, 3}, {2, 2}, {2, 1}}},
        {"diagonal", {0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
        {"single point draws nothing", {2, 2}, {2, 2}, {}},
        {"one step", {5, 5}, {6, 5}, {{5, 5}}},
    };
    for (const Case &c : cases) {
        TCanvas canvas = WhiteCanvas(8, 8);
        canvas.Pen = TPen{clBlack, 1, TPenStyle::psSolid, TPenMode::pmCopy};
        canvas.MoveTo(c.from.x(), c.from.y());
        canvas.LineTo(c.to.x(), c.to.y());
        EXPECT_EQ(Marked(canvas), c.expected) << c.name;
    }
}

TEST(Canvas, ClipRegionSaveAndRestore) {
    TCanvas canvas = WhiteCanvas(10, 10);
    canvas.Save();
    canvas.IntersectClipRect(QRect(2, 2, 6, 6));
    canvas.ExcludeClipRect(QRect(4, 4, 2, 2));
    EXPECT_EQ(canvas.ClipBox(), QRect(2, 2, 6, 6));
    canvas.BrushColor = clBlack;
    canvas.FillRect(QRect(0, 0, 10, 10));
    const Points marked = Marked(canvas);
    EXPECT_EQ(marked.size(), 36u - 4u);
    EXPECT_FALSE(marked.count({4, 4}));
    EXPECT_FALSE(marked.count({1, 1}));
    EXPECT_TRUE(marked.count({2, 2}));
    canvas.Restore();
    EXPECT_EQ(canvas.ClipBox(), QRect(0, 0, 10, 10));
    EXPECT_EQ(canvas.BrushColor, clWhite);
}

TEST(Canvas, PenOutlivesRestoreButBrushAndFontDoNot) {
    TCanvas canvas = WhiteCanvas(4, 4);
    canvas.BrushColor = clGray;
    canvas.Font.Height = -12;
    canvas.Save();
    canvas.BrushColor = clRed;
    canvas.Font.Height = -20;
    canvas.Pen = TPen{clRed, 3, TPenStyle::psDash, TPenMode::pmXor};
    canvas.Restore();
    EXPECT_EQ(canvas.BrushColor, clGray);
    EXPECT_EQ(canvas.Font.Height, -12);
    EXPECT_EQ(canvas.Pen.Width, 3);
    EXPECT_EQ(canvas.Pen.Style, TPenStyle::psDash);
    EXPECT_EQ(canvas.Pen.Mode, TPenMode::pmXor);
}

TEST(Canvas, PenModesAndStyles) {
    struct Case {
        const char *name;
        TPen pen;
        int drawTimes;
        std::size_t marked; // pixels changed on a 30-pixel line
    };
    const std::vector<Case> cases = {
        {"copy", {clBlack, 1, TPenStyle::psSolid, TPenMode::pmCopy}, 1, 30},
        {"xor twice restores", {clRed, 1, TPenStyle::psSolid, TPenMode::pmXor}, 2, 0},
        {"not", {clRed, 1, TPenStyle::psSolid, TPenMode::pmNot}, 1, 30},
        {"nop", {clBlack, 1, TPenStyle::psSolid, TPenMode::pmNop}, 1, 0},
        {"clear", {clBlack, 1, TPenStyle::psClear, TPenMode::pmCopy}, 1, 0},
        {"dot", {clBlack, 1, TPenStyle::psDot, TPenMode::pmCopy}, 1, 15},
        {"dash", {clBlack, 1, TPenStyle::psDash, TPenMode::pmCopy}, 1, 18 + 6},
        {"wide", {clBlack, 3, TPenStyle::psSolid, TPenMode::pmCopy}, 1, 90},
    };
    for (const Case &c : cases) {
        TCanvas canvas = WhiteCanvas(40, 9);
        canvas.Pen = c.pen;
        for (int i = 0; i < c.drawTimes; ++i) {
            canvas.MoveTo(5, 4);
            canvas.LineTo(35, 4);
        }
        const Points marked = Marked(canvas);
        if (c.pen.Width > 1) {
            EXPECT_GE(marked.size(), c.marked) << c.name;
            EXPECT_TRUE(marked.count({20, 3}) && marked.count({20, 5})) << c.name;
        } else {
            EXPECT_EQ(marked.size(), c.marked) << c.name;
        }
    }
}

TEST(Canvas, TilesStartAtTheCornerAndStayInsideTheClip) {
    QImage tile(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            tile.setPixelColor(x, y, QColor(50 * x, 100 * y, 7));
    TCanvas canvas = WhiteCanvas(20, 20);
    canvas.IntersectClipRect(QRect(7, 5, 6, 5));
    canvas.TileImage(tile);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 7 && x < 13 && y >= 5 && y < 10;
            const QColor expected = inside ? tile.pixelColor(x % 3, y % 2) : QColor(Qt::white);
            ASSERT_EQ(canvas.Surface().pixelColor(x, y), expected) << x << "," << y;
        }
}

TEST(Canvas, TextLeavesTheBackgroundBetweenStrokes) {
    TCanvas canvas = WhiteCanvas(40, 20);
    canvas.BrushColor = clGray;
    canvas.FillRect(QRect(0, 0, 40, 20));
    canvas.Font.Color = clBlack;
    canvas.Font.SetSize(10);
    canvas.TextOut(2, 2, QStringLiteral("0"));
    std::size_t ink = 0, ground = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const QColor c = canvas.Surface().pixelColor(x, y);
            ink += c == QColor(Qt::black) ? 1 : 0;
            ground += c == QColor(128, 128, 128) ? 1 : 0;
            ASSERT_TRUE(c == QColor(Qt::black) || c == QColor(128, 128, 128)) << x << "," << y;
            if (x < 2 || y < 2) {
                ASSERT_EQ(c, QColor(128, 128, 128)) << "text starts at its top-left corner";
            }
        }
    EXPECT_GT(ink, 10u);
    EXPECT_GT(canvas.TextHeight(QStringLiteral("0")), 10);
}

TEST(Canvas, ResizingKeepsThePixelsThatStillFit) {
    TCanvas canvas = WhiteCanvas(5, 5);
    canvas.BrushColor = clRed;
    canvas.FillRect(QRect(1, 1, 1, 1));
    canvas.SetSize(8, 3);
    EXPECT_EQ(canvas.Surface().size(), QSize(8, 3));
    EXPECT_EQ(canvas.Surface().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(canvas.Surface().pixelColor(0, 0), QColor(Qt::white));
}
