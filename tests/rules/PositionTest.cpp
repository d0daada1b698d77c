#include "tests/rules/RulesTestSupport.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

const std::string Start = TChessRules::StartPosition;

struct LoadCase {
    const char *name;
    std::string value;
    std::string expected;
};

class LoadPositionTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadPositionTest, PlacesLettersAndRepaintsOnce) {
    RecordingBoard board;
    board.LoadPosition("8");
    board.SetWhiteToMove(false);
    board.paints.clear();
    board.LoadPosition(GetParam().value);
    EXPECT_EQ(board.Position(), GetParam().expected);
    EXPECT_EQ(board.Position().size(), 64u);
    EXPECT_EQ(board.paints, std::vector<std::string>{"Board"});
    EXPECT_FALSE(board.WhiteToMove()) << "placement alone must not change the side to move";
}

const LoadCase LoadCases[] = {
    {"Start", Start, Start},
    {"InitLower", "init", Start},
    {"InitMixedCase", "InIt", Start},
    {"NewGameUpper", "NEWGAME", Start},
    {"NewGameWithSpaceIsNotKeyword", "newgame ", "n" + std::string(63, ' ')},
    {"TenLetters", "rnbqkbnrpp", "rnbqkbnrpp" + std::string(54, ' ')},
    {"Empty", "", std::string(64, ' ')},
    {"DigitsAndStrangersBecomeEmpty", "r1x2Kk9Z", "r   Kk  " + std::string(56, ' ')},
    {"NulEndsCopy", std::string("KQ\0kq", 5), "KQ" + std::string(62, ' ')},
    {"BeyondSixtyFourIgnored", std::string(64, 'P') + "kkkk", std::string(64, 'P')},
};

INSTANTIATE_TEST_SUITE_P(Strings, LoadPositionTest, testing::ValuesIn(LoadCases),
                         test_rows::RowName);

TEST(BoardState, FreshBoardIsAStartedGame) {
    TChessRules board;
    EXPECT_EQ(board.Position(), Start);
    EXPECT_TRUE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
    EXPECT_EQ(board.CastlingAllowed(), AllCastlings);
    EXPECT_EQ(board.EnPassant(), Square::None);
    EXPECT_EQ(board.FirstMoveNumber, 1);
    EXPECT_EQ(board.LastMoveNumber, 1);
    EXPECT_TRUE(board.LastWhiteToMove);
}

struct EnPassantWrite {
    const char *name;
    Square written;
    Square expected;
};

class EnPassantWriterTest : public testing::TestWithParam<EnPassantWrite> {};

TEST_P(EnPassantWriterTest, AcceptsOnlyRanksThreeAndSix) {
    TChessRules board;
    board.SetEnPassant(Square::D6);
    board.SetEnPassant(GetParam().written);
    EXPECT_EQ(board.EnPassant(), GetParam().expected);
}

const EnPassantWrite EnPassantWrites[] = {
    {"E3", Square::E3, Square::E3},
    {"A3", Square::A3, Square::A3},
    {"H3", Square::H3, Square::H3},
    {"E6", Square::E6, Square::E6},
    {"A6", Square::A6, Square::A6},
    {"H6", Square::H6, Square::H6},
    {"E4Ignored", Square::E4, Square::D6},
    {"E5Ignored", Square::E5, Square::D6},
    {"H7Ignored", Square::H7, Square::D6},
    {"A2Ignored", Square::A2, Square::D6},
    {"NoneIgnored", Square::None, Square::D6},
};

INSTANTIATE_TEST_SUITE_P(Writes, EnPassantWriterTest, testing::ValuesIn(EnPassantWrites),
                         test_rows::RowName);

TEST(BoardState, WritersStoreWithoutSideEffects) {
    RecordingBoard board;
    ASSERT_TRUE(Play(board, "E2-E4 E7-E5"));
    board.paints.clear();
    board.SetCurrentMove(40);
    board.SetWhiteToMove(false);
    board.SetCastlingAllowed(CastleSet{CanStillCastle::BlackQueenSide});
    EXPECT_EQ(board.CurrentMove(), 2);
    EXPECT_FALSE(board.WhiteToMove());
    EXPECT_EQ(board.CastlingAllowed().Bits(), 8);
    EXPECT_TRUE(board.paints.empty());
}

TEST(BoardState, ResetGameRestartsButKeepsRecordEntriesAndPromotionPiece) {
    RecordingBoard board;
    board.promoteTo = 'n';
    SetUpBoard(board, "8/4P2k/8/8/8/8/8/4K3", true);
    ASSERT_TRUE(Play(board, "E7-E8 H7-H6"));
    board.paints.clear();
    board.ResetGame();
    EXPECT_EQ(board.Position(), Start);
    EXPECT_TRUE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
    EXPECT_EQ(board.CastlingAllowed(), AllCastlings);
    EXPECT_EQ(board.LastMoveNumber, 1);
    EXPECT_TRUE(board.LastWhiteToMove);
    EXPECT_TRUE(board.paints.empty());
    EXPECT_EQ(board.MoveHistory(1, false).FromSq, Square::H7) << "stored entries survive a reset";
    board.promoteTo = '\0';
    SetUpBoard(board, "8/P6k/8/8/8/8/8/4K3", true);
    ASSERT_TRUE(Play(board, "A7-A8"));
    EXPECT_EQ(board.PieceAt(Square::A8), 'N') << "the promotion piece survives a reset";
}

struct SquareCase {
    int file;
    int rank;
    Square square;
};

class SquareArithmeticTest : public testing::TestWithParam<SquareCase> {};

TEST_P(SquareArithmeticTest, SquareAtFileOfRankOfAgree) {
    const SquareCase &c = GetParam();
    EXPECT_EQ(TChessRules::SquareAt(c.file, c.rank), c.square);
    if (c.square != Square::None) {
        EXPECT_EQ(TChessRules::FileOf(c.square), c.file);
        EXPECT_EQ(TChessRules::RankOf(c.square), c.rank);
    }
}

const SquareCase SquareCases[] = {
    {1, 8, Square::A8},   {8, 8, Square::H8},   {1, 7, Square::A7},   {8, 1, Square::H1},
    {1, 1, Square::A1},   {5, 2, Square::E2},   {4, 6, Square::D6},   {0, 4, Square::None},
    {3, 9, Square::None}, {9, 1, Square::None}, {1, 0, Square::None}, {-1, -1, Square::None},
};

INSTANTIATE_TEST_SUITE_P(Table, SquareArithmeticTest, testing::ValuesIn(SquareCases));

TEST(SquareArithmetic, OrdinalsFollowBoardOrder) {
    EXPECT_EQ(Ord(Square::None), 0);
    EXPECT_EQ(Ord(Square::A8), 1);
    EXPECT_EQ(Ord(Square::H8), 8);
    EXPECT_EQ(Ord(Square::A7), 9);
    EXPECT_EQ(Ord(Square::E2), 53);
    EXPECT_EQ(Ord(Square::A1), 57);
    EXPECT_EQ(Ord(Square::H1), 64);
    EXPECT_EQ(sizeof(Square), 1u);
    EXPECT_EQ(TChessRules::FileOf(Square::None), 0);
    EXPECT_EQ(TChessRules::RankOf(Square::None), 9);
    for (int k = 1; k <= 64; ++k) {
        const auto sq = static_cast<Square>(k);
        EXPECT_EQ(TChessRules::SquareAt(TChessRules::FileOf(sq), TChessRules::RankOf(sq)), sq) << k;
    }
}

TEST(SquareArithmetic, CastleSetBitsAndOperations) {
    EXPECT_EQ(sizeof(CastleSet), 1u);
    EXPECT_EQ(CastleSet{CanStillCastle::WhiteKingSide}.Bits(), 1);
    EXPECT_EQ(CastleSet{CanStillCastle::WhiteQueenSide}.Bits(), 2);
    EXPECT_EQ(CastleSet{CanStillCastle::BlackKingSide}.Bits(), 4);
    EXPECT_EQ(CastleSet{CanStillCastle::BlackQueenSide}.Bits(), 8);
    CastleSet set = AllCastlings;
    EXPECT_EQ(set.Bits(), 15);
    set.exclude(CanStillCastle::WhiteQueenSide);
    EXPECT_FALSE(set.contains(CanStillCastle::WhiteQueenSide));
    EXPECT_TRUE(set.contains(CanStillCastle::BlackQueenSide));
    EXPECT_EQ(set.Bits(), 13);
    set.include(CanStillCastle::WhiteQueenSide);
    EXPECT_EQ(set, AllCastlings);
}

struct ColorCase {
    char letter;
    int color;
};

class PieceColorTest : public testing::TestWithParam<ColorCase> {};

TEST_P(PieceColorTest, ClassifiesLetterOnSquare) {
    TChessRules board;
    board.LoadPosition(std::string(1, GetParam().letter));
    EXPECT_EQ(board.PieceColor(Square::A8), GetParam().color);
    EXPECT_EQ(TChessRules::ColorOfLetter(GetParam().letter), GetParam().color);
}

const ColorCase ColorCases[] = {{' ', ColorNone},  {'K', ColorWhite}, {'P', ColorWhite},
                                {'B', ColorWhite}, {'R', ColorWhite}, {'q', ColorBlack},
                                {'b', ColorBlack}, {'r', ColorBlack}, {'n', ColorBlack}};

INSTANTIATE_TEST_SUITE_P(Letters, PieceColorTest, testing::ValuesIn(ColorCases));

TEST(PieceColor, RangeBoundaries) {
    EXPECT_EQ(TChessRules::ColorOfLetter('A'), ColorNone);
    EXPECT_EQ(TChessRules::ColorOfLetter('S'), ColorNone);
    EXPECT_EQ(TChessRules::ColorOfLetter('a'), ColorNone);
    EXPECT_EQ(TChessRules::ColorOfLetter('s'), ColorNone);
    TChessRules board;
    EXPECT_EQ(board.PieceColor(Square::None), ColorNone);
}

} // namespace
