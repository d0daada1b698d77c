#include "tests/view/ViewTestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

TEST(BoardGeometry, NewBoardKeepsItsSizeThroughPaint) {
    TChessBrd board;
    EXPECT_EQ(board.Width(), 368);
    EXPECT_EQ(board.Height(), 368);
    board.Paint();
    EXPECT_EQ(board.SizeOfSquare(), 40);
    EXPECT_EQ(board.Width(), 368);
    EXPECT_EQ(board.Height(), 368);
    EXPECT_EQ(board.BoardLeft(), 24);
    EXPECT_EQ(board.BoardTop(), 24);
}

// Every order of the main window's settings must settle on the same board.
TEST(BoardGeometry, MainWindowConfigurationInAnyOrderGives296With31PixelSquares) {
    const std::vector<ConfigStep> steps = MainBoardSteps();
    std::vector<std::size_t> order(steps.size());
    std::iota(order.begin(), order.end(), 0);
    // The four steps that bear on the size, plus a repainting one, in every permutation; the
    // remaining steps follow in stored-form order.
    const std::vector<std::size_t> sizing = {0, 2, 7, 8, 10};
    std::vector<std::size_t> perm = sizing;
    int tried = 0;
    do {
        TChessBrd board;
        std::string names;
        for (std::size_t i : perm) {
            steps[i].Apply(board);
            names += steps[i].Name + ", ";
        }
        for (std::size_t i : order)
            if (std::find(sizing.begin(), sizing.end(), i) == sizing.end())
                steps[i].Apply(board);
        board.Paint();
        EXPECT_EQ(board.Width(), 296) << names;
        EXPECT_EQ(board.Height(), 296) << names;
        EXPECT_EQ(board.SizeOfSquare(), 31) << names;
        EXPECT_EQ(board.Left(), 8);
        EXPECT_EQ(board.Top(), 28);
        ++tried;
    } while (std::next_permutation(perm.begin(), perm.end()));
    EXPECT_EQ(tried, 120);
}

struct SizeCase {
    const char *name;
    std::function<void(TChessBrd &)> act;
    int square;
    int side;
};

TEST(BoardGeometry, SizeRuleCases) {
    const std::vector<SizeCase> cases = {
        {"owner sets 300 x 300",
         [](TChessBrd &b) {
             b.SetBounds(0, 0, 300, 300);
             b.Paint();
         },
         31, 296},
        {"square 31 on 368 settles at 35",
         [](TChessBrd &b) {
             b.SetSizeOfSquare(31);
             EXPECT_EQ(b.Width(), 296);
             EXPECT_EQ(b.Height(), 368);
             b.Paint();
         },
         35, 328},
        {"square 31 twice settles at 33",
         [](TChessBrd &b) {
             b.SetSizeOfSquare(31);
             b.Paint();
             b.SetSizeOfSquare(31);
             b.Paint();
         },
         33, 312},
        {"border 10 narrows at once, the mean side decides at paint",
         [](TChessBrd &b) {
             b.SetSizeOfBorder(10);
             EXPECT_EQ(b.Width(), 340);
             EXPECT_EQ(b.Height(), 368);
             EXPECT_EQ(b.BoardLeft(), 10);
             EXPECT_EQ(b.BoardTop(), 10);
             b.Paint();
         },
         41, 348},
        {"uneven sides use their mean",
         [](TChessBrd &b) {
             b.SetBounds(0, 0, 400, 300);
             b.Paint();
         },
         37, 344},
        {"too small for any square keeps one pixel",
         [](TChessBrd &b) {
             b.SetBounds(0, 0, 20, 20);
             b.Paint();
         },
         1, 56},
        {"square size 0 is one pixel",
         [](TChessBrd &b) {
             b.SetSizeOfSquare(0);
             EXPECT_EQ(b.SizeOfSquare(), 1);
             b.SetBounds(0, 0, 56, 56);
             b.Paint();
         },
         1, 56},
        {"negative square size is one pixel",
         [](TChessBrd &b) {
             b.SetSizeOfSquare(-7);
             EXPECT_EQ(b.SizeOfSquare(), 1);
             EXPECT_EQ(b.Width(), 56);
             EXPECT_EQ(b.PointToSquare(24, 24), Square::A8);
             EXPECT_EQ(b.PointToSquare(31, 31), Square::H1);
             b.Paint();
         },
         20, 208},
    };
    for (const SizeCase &c : cases) {
        TChessBrd board;
        c.act(board);
        EXPECT_EQ(board.SizeOfSquare(), c.square) << c.name;
        EXPECT_EQ(board.Width(), c.side) << c.name;
        EXPECT_EQ(board.Height(), c.side) << c.name;
        EXPECT_EQ(board.Canvas().Surface().size(), QSize(c.side, c.side)) << c.name;
    }
}

TEST(BoardGeometry, PointToSquare) {
    struct Case {
        int x, y;
        bool whiteOnTop;
        Square expected;
    };
    // Main window board: frame 24, squares 31, area 24..271.
    const std::vector<Case> cases = {
        {24, 24, false, Square::A8},     {271, 271, false, Square::H1},
        {24, 24, true, Square::H1},      {271, 271, true, Square::A8},
        {23, 24, false, Square::None},   {24, 23, false, Square::None},
        {272, 271, false, Square::None}, {271, 272, false, Square::None},
        {0, 0, false, Square::None},     {295, 295, true, Square::None},
        {-5, 100, false, Square::None},  {55, 24, false, Square::B8},
        {54, 54, false, Square::A8},     {55, 55, false, Square::B7},
        {163, 225, false, Square::E2},   {163, 225, true, Square::D7},
        {54, 271, false, Square::A1},    {271, 24, false, Square::H8},
        {271, 24, true, Square::A1},
    };
    TChessBrd board;
    ConfigureMainBoard(board);
    for (const Case &c : cases) {
        board.SetWhiteOnTop(c.whiteOnTop);
        EXPECT_EQ(board.PointToSquare(c.x, c.y), c.expected)
            << c.x << "," << c.y << " flipped " << c.whiteOnTop;
    }

    TChessBrd fresh; // first grid line of a default board belongs to the square on its right
    EXPECT_EQ(fresh.PointToSquare(64, 24), Square::B8);
    EXPECT_EQ(fresh.PointToSquare(63, 24), Square::A8);
}

TEST(BoardGeometry, SquareCellsInBothOrientationsMatchPointToSquare) {
    TChessBrd board;
    ConfigureMainBoard(board);
    for (bool flipped : {false, true}) {
        board.SetWhiteOnTop(flipped);
        for (int k = 1; k <= 64; ++k) {
            const Square sq = SquareFromOrd(k);
            const QRect cell = board.SquareRect(sq);
            EXPECT_EQ(cell.size(), QSize(31, 31));
            EXPECT_EQ(board.PointToSquare(cell.left(), cell.top()), sq);
            EXPECT_EQ(board.PointToSquare(cell.right(), cell.bottom()), sq);
            EXPECT_EQ(board.DisplayCell(TChessRules::FileOf(sq), TChessRules::RankOf(sq)),
                      board.DisplayCell(sq));
        }
        EXPECT_EQ(board.DisplayCell(Square::A8), flipped ? QPoint(7, 7) : QPoint(0, 0));
        EXPECT_EQ(board.DisplayCell(Square::H1), flipped ? QPoint(0, 0) : QPoint(7, 7));
        EXPECT_EQ(board.DisplayCell(Square::E2), flipped ? QPoint(3, 1) : QPoint(4, 6));
    }
    EXPECT_TRUE(board.SquareRect(Square::None).isEmpty());
}

TEST(BoardGeometry, ResizeLimitsStayOrdered) {
    struct Case {
        int min, max; // assigned in this order
        int expectMin, expectMax;
    };
    const std::vector<Case> cases = {
        {2000, 1000, 1000, 1000}, {100, 50, 100, 100}, {200, 900, 200, 900}, {-5, 1000, -5, 1000}};
    for (const Case &c : cases) {
        TChessBrd board;
        board.SetResizeMinSize(c.min);
        board.SetResizeMaxSize(c.max);
        EXPECT_EQ(board.ResizeMinSize(), c.expectMin);
        EXPECT_EQ(board.ResizeMaxSize(), c.expectMax);
    }
    TChessBrd board;
    board.SetResizeMaxSize(50);
    EXPECT_EQ(board.ResizeMaxSize(), 100);
}

TEST(BoardGeometry, ResizeGestureGrowsAndClamps) {
    QWidget host;
    host.resize(1300, 1300);
    TChessBrd board(&host);
    board.SetCursor(crHandPoint);
    board.SetResizable(true);
    host.show();
    board.Paint();

    QTest::mouseMove(&board, QPoint(100, 100));
    EXPECT_EQ(board.Cursor(), crHandPoint);
    QTest::mouseMove(&board, QPoint(365, 362));
    EXPECT_EQ(board.Cursor(), crSizeNWSE);
    EXPECT_EQ(board.SavedCursor(), crHandPoint);
    EXPECT_FALSE(board.Resizing());

    QTest::mousePress(&board, Qt::LeftButton, {}, QPoint(365, 362));
    QTest::mouseMove(&board, QPoint(366, 363));
    EXPECT_TRUE(board.Resizing());
    QTest::mouseMove(&board, QPoint(500, 450));
    EXPECT_EQ(board.Width(), 500);
    EXPECT_EQ(board.Height(), 368);
    board.Paint();
    EXPECT_EQ(board.Width(), 432);
    EXPECT_EQ(board.Height(), 432);
    EXPECT_EQ(board.SizeOfSquare(), 48);
    QTest::mouseMove(&board, QPoint(500, 450));
    board.Paint();
    EXPECT_GT(board.Width(), 432);
    EXPECT_LE(board.Width(), 500);
    QTest::mouseMove(&board, QPoint(1200, 1100));
    EXPECT_EQ(board.Width(), 1000);
    QTest::mouseMove(&board, QPoint(20, 30));
    EXPECT_EQ(board.Width(), 100);
    QTest::mouseRelease(&board, Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_FALSE(board.Resizing());
    board.Paint();
    const int settled = board.Width();
    QTest::mouseMove(&board, QPoint(50, 60)); // no button: the width no longer follows
    EXPECT_EQ(board.Width(), settled);
    EXPECT_EQ(board.Cursor(), crHandPoint);
}

TEST(BoardGeometry, NoResizeGestureWhenNotResizable) {
    QWidget host;
    host.resize(1300, 1300);
    TChessBrd board(&host);
    board.SetCursor(crHandPoint);
    host.show();
    board.Paint();
    QTest::mouseMove(&board, QPoint(365, 365));
    QTest::mousePress(&board, Qt::LeftButton, {}, QPoint(365, 365));
    QTest::mouseMove(&board, QPoint(366, 366));
    QTest::mouseMove(&board, QPoint(500, 450));
    QTest::mouseRelease(&board, Qt::LeftButton, {}, QPoint(500, 450));
    EXPECT_EQ(board.Cursor(), crHandPoint);
    EXPECT_EQ(board.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(board.Width(), 368);
    EXPECT_FALSE(board.Resizing());
}

TEST(BoardGeometry, ResizeFromSetterRepaintsThroughThePlatform) {
    QWidget host;
    host.resize(600, 600);
    TChessBrd board(&host);
    host.show();
    board.SetSizeOfSquare(31);
    EXPECT_EQ(board.Width(), 296);
    // The queued repaint runs the size rule: (296 + 368) / 2 - 48 = 284 -> 35-pixel squares.
    EXPECT_TRUE(QTest::qWaitFor([&] { return board.Width() == 328; }, 2000));
    EXPECT_EQ(board.Canvas().Surface().size(), QSize(328, 328));
}
