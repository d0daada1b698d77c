#include "tests/view/ViewTestSupport.h"

#include <gtest/gtest.h>

TEST(PieceSheets, BuiltInSheetsLoadWithTheirSizes) {
    struct Case {
        StandardSet size;
        int width, height, colours; // size of the palette
    };
    const std::vector<Case> cases = {{StandardSet::Size32, 192, 128, 16},
                                     {StandardSet::Size40, 240, 160, 16},
                                     {StandardSet::Size64, 384, 256, 2},
                                     {StandardSet::Size80, 480, 320, 2}};
    TChessBrd board;
    EXPECT_EQ(board.PieceSize(), 40) << "a new board uses the 40-pixel sheet";
    for (const Case &c : cases) {
        const QImage sheet = LoadStandardSheet(c.size);
        ASSERT_FALSE(sheet.isNull()) << c.width;
        EXPECT_EQ(sheet.size(), QSize(c.width, c.height));
        EXPECT_EQ(sheet.colorCount(), c.colours);
        EXPECT_TRUE(TChessBrd::IsValidPieceSet(&sheet));
        board.SetStandardSize(c.size);
        EXPECT_EQ(board.StandardPieceSet().size(), sheet.size());
        EXPECT_EQ(board.PieceSize(), c.height / 4);
        EXPECT_EQ(board.PieceImages().Count(), 12);
    }
}

TEST(PieceSheets, AcceptanceOfPictures) {
    struct Case {
        const char *name;
        const QImage *picture;
        bool usable, validSheet;
    };
    const QImage empty, wide(300, 200, QImage::Format_RGB32), odd(300, 201, QImage::Format_RGB32),
        tall(200, 300, QImage::Format_RGB32), tiny(3, 2, QImage::Format_RGB32),
        line(1, 0, QImage::Format_RGB32);
    const std::vector<Case> cases = {
        {"none", nullptr, false, false},   {"empty", &empty, false, false},
        {"300 x 200", &wide, true, true},  {"300 x 201", &odd, true, false},
        {"200 x 300", &tall, true, false}, {"3 x 2", &tiny, true, true},
        {"1 x 0", &line, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TChessBrd::IsBitmapUsable(c.picture), c.usable) << c.name;
        EXPECT_EQ(TChessBrd::IsValidPieceSet(c.picture), c.validSheet) << c.name;
    }
}

TEST(PieceSheets, ImageIndexFollowsTheLetterOrder) {
    TChessBrd board;
    const std::string letters = "PNBRQKpnbrqk";
    for (std::size_t i = 0; i < letters.size(); ++i)
        EXPECT_EQ(board.PieceImageIndex(letters[i]), static_cast<int>(i)) << letters[i];
    for (char other : {' ', 'x', 'Z', '0', '\0', 'l'})
        EXPECT_EQ(board.PieceImageIndex(other), -1) << static_cast<int>(other);
}

// Only pure white in a mask lets the board through; the cells come from their own places.
TEST(PieceSheets, MaskIsTransparentOnlyForPureWhite) {
    QImage sheet = MakeTestSheet(10);
    const QColor maskShades[] = {QColor(255, 255, 255), QColor(254, 255, 255),
                                 QColor(128, 128, 128), QColor(255, 255, 254), QColor(0, 0, 0)};
    for (int i = 0; i < 5; ++i)
        sheet.setPixelColor(20 + 1 + i, 10 + 1, maskShades[i]); // white bishop's mask, row 1
    TChessBrd board;
    board.SetCustomPieceSet(&sheet);
    ASSERT_EQ(board.PieceSize(), 10);
    const QImage &bishop = board.PieceImages().Image(board.PieceImageIndex('B'));
    EXPECT_EQ(qAlpha(bishop.pixel(1, 1)), 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(qAlpha(bishop.pixel(1 + i, 1)), 255) << i;
    EXPECT_EQ(qAlpha(bishop.pixel(0, 5)), 0) << "white rim";
    for (int colour = 0; colour < 2; ++colour)
        for (int kind = 0; kind < 6; ++kind) {
            const QImage &image = board.PieceImages().Image(colour * 6 + kind);
            EXPECT_EQ(image.pixelColor(5, 5), TestSheetColour(colour, kind)) << colour << kind;
        }
    EXPECT_TRUE(board.PieceImages().Image(12).isNull());
    EXPECT_TRUE(board.PieceImages().Image(-1).isNull());
}
