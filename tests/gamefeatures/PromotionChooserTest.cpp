#include "app/PromotionChooser.h"

#include "board/ChessBrd.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <memory>

namespace {

struct KeyRow {
    const char *name;
    Qt::Key key;
    char choice;
    bool accepted;
};

using test_rows::PrintTo;

class PromotionChooserKeys : public testing::TestWithParam<KeyRow> {};

TEST_P(PromotionChooserKeys, KeyChoosesThePiece) {
    TChessBrd board;
    TPromotionChooser chooser(nullptr, PromotionPictures(board, true));
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    QSignalSpy finished(&chooser, &QDialog::finished);
    QTest::keyClick(&chooser, GetParam().key);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(chooser.Choice(), GetParam().choice);
    EXPECT_EQ(chooser.result() == QDialog::Accepted, GetParam().accepted);
}

const KeyRow KeyRows[] = {
    {"EnterTakesTheDefaultQueen", Qt::Key_Return, 'Q', true},
    {"EscGivesQueen", Qt::Key_Escape, 'Q', false},
    {"LetterR", Qt::Key_R, 'R', true},
    {"LetterN", Qt::Key_N, 'N', true},
};

INSTANTIATE_TEST_SUITE_P(Rows, PromotionChooserKeys, testing::ValuesIn(KeyRows),
                         test_rows::RowName);

TEST(PromotionChooser, ClickChoosesThePiece) {
    TChessBrd board;
    TPromotionChooser chooser(nullptr, PromotionPictures(board, true));
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    QTest::mouseClick(chooser.Button('N'), Qt::LeftButton);
    EXPECT_EQ(chooser.Choice(), 'N');
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
}

// The buttons show the board's own pieces of the mover's colour.
TEST(PromotionChooser, PicturesAreTheBoardsPiecesOfTheMoversColour) {
    TChessBrd board;
    ASSERT_GT(board.PieceSize(), 0);
    for (const bool white : {true, false}) {
        const auto pictures = PromotionPictures(board, white);
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const char letter =
                white ? PromotionLetters[i] : static_cast<char>(PromotionLetters[i] + 32);
            const QImage &piece = board.PieceImages().Image(board.PieceImageIndex(letter));
            ASSERT_EQ(pictures[i].size(), piece.size()) << letter;
            // Wherever the piece is opaque, the picture shows exactly its pixel.
            int opaque = 0;
            for (int y = 0; y < piece.height(); ++y)
                for (int x = 0; x < piece.width(); ++x)
                    if (qAlpha(piece.pixel(x, y)) == 255) {
                        ++opaque;
                        EXPECT_EQ(pictures[i].pixel(x, y), piece.pixel(x, y))
                            << letter << " at " << x << "," << y;
                    }
            EXPECT_GT(opaque, 0) << letter;
        }
    }
}

// The modal function answers from its nested loop, and a queen when it is dismissed.
TEST(PromotionChooser, ChoosePromotionRunsModally) {
    TChessBrd board;
    QWidget window;
    window.show();
    for (const auto &[key, expected] :
         {std::pair{Qt::Key_N, 'N'}, std::pair{Qt::Key_Escape, 'Q'}}) {
        QTimer::singleShot(0, &window, [key = key] {
            ASSERT_TRUE(
                QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
            QTest::keyClick(QApplication::activeModalWidget(), key);
        });
        EXPECT_EQ(ChoosePromotion(&window, board, true), expected);
    }
}

// The window under the chooser may close while it is open; the move then gets a queen, safely.
TEST(PromotionChooser, ParentGoingAwayLeavesTheQueen) {
    TChessBrd board;
    auto window = std::make_unique<QWidget>();
    window->show();
    QTimer::singleShot(0, [&window] {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
        window.reset();
    });
    EXPECT_EQ(ChoosePromotion(window.get(), board, false), 'Q');
    EXPECT_EQ(window, nullptr);
}

} // namespace
