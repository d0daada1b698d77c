#include "tests/view/ViewTestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <set>

namespace {

// A point inside a square that no grid line crosses.
QPoint Inside(const TChessBrd &board, Square sq) {
    return board.SquareRect(sq).center();
}

// Bounding box of the pixels of one colour inside an area.
QRect PixelsOf(const TChessBrd &board, const QRect &area, QColor colour) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (PixelAt(board, x, y) == colour)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

QImage Crop(const TChessBrd &board, const QRect &area) {
    return board.Canvas().Surface().copy(area);
}

// Records what the rules ask the view to draw, and draws it.
class RecordingBoard : public TChessBrd {
  public:
    std::vector<std::string> draws;
    void DrawSquare(Square sq) override {
        draws.push_back("square " + Name(sq));
        TChessBrd::DrawSquare(sq);
    }
    void DrawPiece(Square sq, char piece) override {
        draws.push_back("piece " + Name(sq) + " " + std::string(1, piece));
        TChessBrd::DrawPiece(sq, piece);
    }
    static std::string Name(Square sq) {
        return {static_cast<char>('A' + FileOf(sq) - 1), static_cast<char>('0' + RankOf(sq))};
    }
};

} // namespace

TEST(BoardPaint, TopLeftSquareIsLightInBothOrientations) {
    TChessBrd board;
    ConfigureMainBoard(board);
    ClearPieces(board);
    for (bool flipped : {false, true}) {
        board.SetWhiteOnTop(flipped);
        EXPECT_EQ(PixelAt(board, 40, 40), QColor(Qt::white)) << flipped;
        EXPECT_EQ(PixelAt(board, 40 + 31, 40), QColor(128, 128, 128)) << flipped;
        EXPECT_EQ(PixelAt(board, 40, 40 + 31), QColor(128, 128, 128)) << flipped;
        EXPECT_EQ(PixelAt(board, 260, 260), QColor(Qt::white)) << flipped;
    }
}

TEST(BoardPaint, GridLinesAreBlackWhateverTheLineStyleAndFramesFollowIt) {
    struct Case {
        const char *name;
        TPen pen;
    };
    const std::vector<Case> cases = {
        {"red", TPen{clRed, 1, TPenStyle::psSolid, TPenMode::pmCopy}},
        {"white", TPen{clWhite, 1, TPenStyle::psSolid, TPenMode::pmCopy}},
        {"olive", TPen{clOlive, 1, TPenStyle::psSolid, TPenMode::pmCopy}},
    };
    for (const Case &c : cases) {
        TChessBrd board;
        ConfigureMainBoard(board);
        ClearPieces(board);
        board.SetLineStyle(c.pen);
        const QColor frame = ResolveColor(c.pen.Color);
        for (int i = 1; i <= 7; ++i) {
            const int line = 24 + 31 * i;
            EXPECT_EQ(PixelAt(board, line, 40), QColor(Qt::black)) << c.name << i;
            EXPECT_EQ(PixelAt(board, 40, line), QColor(Qt::black)) << c.name << i;
            EXPECT_EQ(PixelAt(board, line, 271), QColor(Qt::black)) << c.name << i;
        }
        EXPECT_NE(PixelAt(board, 24, 40), QColor(Qt::black)) << c.name; // no line on the edge
        // Outer frame on all four sides including every corner; inner frame one pixel outside.
        for (QPoint p : {QPoint(0, 0), QPoint(295, 0), QPoint(295, 295), QPoint(0, 295),
                         QPoint(150, 0), QPoint(0, 150), QPoint(23, 23), QPoint(272, 23),
                         QPoint(272, 272), QPoint(23, 272), QPoint(150, 272)})
            EXPECT_EQ(PixelAt(board, p.x(), p.y()), frame)
                << c.name << " " << p.x() << "," << p.y();
        EXPECT_EQ(PixelAt(board, 1, 1), ResolveColor(clInactiveBorder)) << c.name;
    }
}

TEST(BoardPaint, ScreenShowsTheSurface) {
    QWidget host;
    host.resize(320, 340);
    TChessBrd board(&host);
    ConfigureMainBoard(board);
    host.show();
    board.MakeMove(Square::E2, Square::E4);
    const QImage onScreen = board.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(onScreen, board.Canvas().Surface());
}

struct InsetCase {
    const char *name;
    StandardSet sheet;
    int side; // outer size given by the owner (frame 24)
    int inset;
};

// Every pixel of a lone piece's image rectangle shows the sheet's piece pixel where the sheet's
// mask is not pure white and the empty board elsewhere, overlapping neighbours when too large.
TEST(BoardPaint, PieceIsDrawnThroughItsMaskAtTheInset) {
    const std::vector<InsetCase> cases = {
        {"Size32 on 31", StandardSet::Size32, 296, 0},
        {"Size32 on 40", StandardSet::Size32, 368, 4},
        {"Size40 on 40", StandardSet::Size40, 368, 0},
        {"Size80 on 40", StandardSet::Size80, 368, -20},
        {"Size64 on 31", StandardSet::Size64, 296, -16},
    };
    for (const InsetCase &c : cases) {
        for (char letter : {'N', 'q'}) {
            TChessBrd empty, board;
            for (TChessBrd *b : {&empty, &board}) {
                ConfigureMainBoard(*b);
                b->SetBounds(0, 0, c.side, c.side);
                b->SetStandardSize(c.sheet);
                ClearPieces(*b);
            }
            std::string position(64, ' ');
            position[Ord(Square::D4) - 1] = letter;
            board.SetPosition(position);

            const QImage sheet = LoadStandardSheet(c.sheet);
            ASSERT_FALSE(sheet.isNull()) << c.name;
            const int cell = sheet.height() / 4;
            ASSERT_EQ(board.PieceSize(), cell);
            const int kind =
                static_cast<int>(std::string("pnbrqk").find(static_cast<char>(tolower(letter))));
            const int row = letter == 'N' ? 0 : 2;
            const QPoint origin = board.SquareRect(Square::D4).topLeft() + QPoint(c.inset, c.inset);
            int opaque = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    const QRgb maskPixel = sheet.pixel(kind * cell + x, (row + 1) * cell + y);
                    const bool shows = (maskPixel & 0xFFFFFF) != 0xFFFFFF;
                    opaque += shows ? 1 : 0;
                    const QColor expected = shows
                                                ? sheet.pixelColor(kind * cell + x, row * cell + y)
                                                : PixelAt(empty, origin.x() + x, origin.y() + y);
                    ASSERT_EQ(PixelAt(board, origin.x() + x, origin.y() + y), expected)
                        << c.name << " " << letter << " at " << x << "," << y;
                }
            EXPECT_GT(opaque, cell * cell / 8) << c.name;
        }
    }
}

TEST(BoardPaint, WestLabelOfTheTopRowStartsAt9And36) {
    TChessBrd board;
    ConfigureMainBoard(board);
    const TChessBrd::TLabelOffsets offsets = board.LabelOffsets();
    EXPECT_EQ(offsets.Edge, 9);
    EXPECT_EQ(offsets.Centre, 12);
    EXPECT_EQ(board.CoordFont().Size(), 7);
    const QRect glyph = PixelsOf(board, QRect(1, 25, 22, 30), Qt::white);
    ASSERT_FALSE(glyph.isEmpty());
    EXPECT_GE(glyph.left(), 9);
    EXPECT_LE(glyph.left(), 10);
    EXPECT_GE(glyph.top(), 36);
    EXPECT_LE(glyph.top(), 39);
    EXPECT_LE(glyph.bottom(), 36 + 10);
}

// The label of a rank or file appears in the mirrored place when the board is turned.
TEST(BoardPaint, LabelsFollowTheOrientation) {
    TChessBrd upright, flipped;
    for (TChessBrd *b : {&upright, &flipped}) {
        ConfigureMainBoard(*b);
        ClearPieces(*b);
    }
    flipped.SetWhiteOnTop(true);
    for (int i = 0; i < 8; ++i) {
        const int j = 7 - i;
        const QRect westI(1, 24 + 31 * i, 22, 31), westJ(1, 24 + 31 * j, 22, 31);
        const QRect southI(24 + 31 * i, 273, 31, 22), southJ(24 + 31 * j, 273, 31, 22);
        const QRect eastI(273, 24 + 31 * i, 22, 31), northI(24 + 31 * i, 1, 31, 22);
        EXPECT_EQ(Crop(upright, westI), Crop(flipped, westJ)) << i;
        EXPECT_EQ(Crop(upright, southI), Crop(flipped, southJ)) << i;
        EXPECT_EQ(Crop(upright, westI).copy(0, 0, 22, 31), Crop(upright, eastI)) << i;
        EXPECT_FALSE(PixelsOf(upright, northI, Qt::white).isEmpty()) << i;
        if (i != j) {
            EXPECT_NE(Crop(upright, westI), Crop(upright, westJ)) << i;
        }
    }
}

TEST(BoardPaint, NoLabelsButFrameAndLinesWhenCoordsAreEmpty) {
    TChessBrd board;
    ConfigureMainBoard(board);
    ClearPieces(board);
    board.SetDisplayCoords(CoordSet{});
    const QColor frame = ResolveColor(clInactiveBorder);
    for (int y = 1; y < 295; ++y)
        for (int x = 1; x < 295; ++x) {
            const bool inFrame = x < 23 || y < 23 || x > 272 || y > 272;
            if (inFrame) {
                ASSERT_EQ(PixelAt(board, x, y), frame) << x << "," << y;
            }
        }
    EXPECT_EQ(PixelAt(board, 0, 0), QColor(Qt::black));
    EXPECT_EQ(PixelAt(board, 23, 100), QColor(Qt::black));
}

// Pictures repeat from the control's top-left corner, so a texture runs on across squares.
TEST(BoardPaint, TiledPicturesAreAnchoredAtTheControlsCorner) {
    QImage dark(7, 5, QImage::Format_RGB32), light(3, 11, QImage::Format_RGB32),
        frame(13, 4, QImage::Format_RGB32);
    for (QImage *picture : {&dark, &light, &frame})
        for (int y = 0; y < picture->height(); ++y)
            for (int x = 0; x < picture->width(); ++x)
                picture->setPixelColor(x, y, QColor(10 * x, 10 * y, picture == &dark ? 50 : 200));
    TChessBrd board;
    ConfigureMainBoard(board);
    ClearPieces(board);
    board.SetBoardLines(false);
    board.SetDisplayCoords(CoordSet{});
    board.SetSquareDark(dark);
    board.SetSquareLight(light);
    board.SetBorderBitmap(frame);
    for (Square sq : {Square::B8, Square::A7, Square::A8, Square::H1, Square::E4}) {
        const QImage &picture = TChessBrd::SquareColor(sq) == ColorBlack ? dark : light;
        const QRect area = board.SquareRect(sq);
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ASSERT_EQ(PixelAt(board, x, y),
                          picture.pixelColor(x % picture.width(), y % picture.height()))
                    << x << "," << y;
    }
    for (QPoint p : {QPoint(5, 7), QPoint(280, 100), QPoint(100, 290)})
        EXPECT_EQ(PixelAt(board, p.x(), p.y()), frame.pixelColor(p.x() % 13, p.y() % 4));

    board.SetSquareDark(QImage()); // an empty picture gives the colour back
    EXPECT_EQ(PixelAt(board, Inside(board, Square::B8).x(), Inside(board, Square::B8).y()),
              QColor(128, 128, 128));
}

TEST(BoardPaint, CustomPieceSetNeedsThreeToTwo) {
    struct Case {
        const char *name;
        QImage sheet;
        bool present;
        int pieceSize; // after assigning
    };
    const std::vector<Case> cases = {
        {"300 x 200 accepted", MakeTestSheet(50), true, 50},
        {"300 x 201 ignored", QImage(300, 201, QImage::Format_RGB32), true, 32},
        {"empty picture refused", QImage(), true, 32},
        {"no picture is the built-in sheet", QImage(), false, 32},
    };
    for (const Case &c : cases) {
        TChessBrd board;
        ConfigureMainBoard(board);
        board.SetCustomPieceSet(c.present ? &c.sheet : nullptr);
        EXPECT_EQ(board.PieceSize(), c.pieceSize) << c.name;
    }

    TChessBrd board;
    ConfigureMainBoard(board);
    const QImage custom = MakeTestSheet(50);
    board.SetCustomPieceSet(&custom);
    const QImage bad(300, 201, QImage::Format_RGB32);
    board.SetCustomPieceSet(&bad);
    EXPECT_EQ(board.PieceSize(), 50) << "an ignored sheet leaves the previous one in use";
    board.SetStandardSize(StandardSet::Size64);
    EXPECT_EQ(board.PieceSize(), 50) << "a valid custom sheet stays active";
    const QImage empty;
    board.SetCustomPieceSet(&empty);
    EXPECT_EQ(board.PieceSize(), 50);
    board.SetCustomPieceSet(nullptr);
    EXPECT_EQ(board.PieceSize(), 64);

    // The custom white king covers its square from the inset (31 - 50) / 2 = -9, rim excluded.
    board.SetCustomPieceSet(&custom);
    std::string lone(64, ' ');
    lone[Ord(Square::E1) - 1] = 'K';
    board.SetPosition(lone);
    const QPoint corner = board.SquareRect(Square::E1).topLeft() + QPoint(-9, -9);
    EXPECT_EQ(PixelAt(board, corner.x() + 1, corner.y() + 1), TestSheetColour(0, 5));
    EXPECT_EQ(PixelAt(board, corner.x() + 48, corner.y() + 48), TestSheetColour(0, 5));
    EXPECT_NE(PixelAt(board, corner.x() + 49, corner.y() + 25), TestSheetColour(0, 5));
}

// Stepping back redraws exactly the squares that changed and leaves the same picture as a
// fresh paint of that position.
TEST(BoardPaint, RedrawChangedSquaresTouchesOnlyChangedSquares) {
    RecordingBoard board;
    ConfigureMainBoard(board);
    TChessBrd reference;
    ConfigureMainBoard(reference);
    ASSERT_TRUE(board.MakeMove(Square::E2, Square::E4));
    board.draws.clear();
    ASSERT_TRUE(board.MoveBack());
    const std::vector<std::string> expected = {"square E4", "square E2", "piece E2 P"};
    EXPECT_EQ(board.draws, expected);
    EXPECT_EQ(board.Canvas().Surface(), reference.Canvas().Surface());

    board.draws.clear();
    board.RedrawChangedSquares(board.Position());
    EXPECT_TRUE(board.draws.empty());
}

TEST(BoardPaint, PlayedMoveDrawsOnlyItsSquares) {
    struct Case {
        const char *name;
        std::string position;
        bool whiteToMove;
        Square from, to;
        Square epSquare;
        std::vector<std::string> draws;
    };
    const std::string castle = "r   k  r" + std::string(48, ' ') + "R   K  R";
    std::string ep(64, ' ');
    ep[Ord(Square::E1) - 1] = 'K';
    ep[Ord(Square::E8) - 1] = 'k';
    ep[Ord(Square::E5) - 1] = 'P';
    ep[Ord(Square::D5) - 1] = 'p';
    std::string promo(64, ' ');
    promo[Ord(Square::A1) - 1] = 'K';
    promo[Ord(Square::H8) - 1] = 'k';
    promo[Ord(Square::B7) - 1] = 'P';
    const std::vector<Case> cases = {
        {"pawn push",
         TChessRules::StartPosition,
         true,
         Square::E2,
         Square::E4,
         Square::None,
         {"square E2", "square E4", "piece E4 P"}},
        {"castling",
         castle,
         true,
         Square::E1,
         Square::G1,
         Square::None,
         {"square E1", "square G1", "piece G1 K", "square H1", "piece F1 R"}},
        {"en passant",
         ep,
         true,
         Square::E5,
         Square::D6,
         Square::D6,
         {"square E5", "square D6", "piece D6 P", "square D5"}},
        {"promotion",
         promo,
         true,
         Square::B7,
         Square::B8,
         Square::None,
         {"square B7", "square B8", "piece B8 P", "square B8", "piece B8 Q"}},
    };
    for (const Case &c : cases) {
        RecordingBoard board;
        ConfigureMainBoard(board);
        board.SetPosition(c.position);
        board.SetWhiteToMove(c.whiteToMove);
        board.SetEnPassant(c.epSquare);
        board.draws.clear();
        ASSERT_TRUE(board.MakeMove(c.from, c.to)) << c.name;
        EXPECT_EQ(board.draws, c.draws) << c.name;

        TChessBrd reference;
        ConfigureMainBoard(reference);
        reference.SetPosition(board.Position());
        EXPECT_EQ(board.Canvas().Surface(), reference.Canvas().Surface()) << c.name;
    }
}
